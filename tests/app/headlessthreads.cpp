#include "headless.h"
#include "threadcount.h"

#include <cstdio>

// Runs dmxplayer's conversions in a process that counts its threads, and reports how many
// were started: a conversion sends no frames, so it starts no output thread, not even for
// a moment.
int main(int argc, char *argv[])
{
    const int code = headless::run(argc, argv);
    std::printf("threads started: %d\n", threadcount_started());
    return code;
}
