// Sends frames through the real interface library, closes it as the program does at exit
// and leaves main: the last frame must still reach olad.
// Usage: dmxbox_exit_helper stream|single|burst|thread VALUE
//   stream: waits for the connection, streams frames, the last one all VALUE
//   single: one frame of VALUE, before any connection exists
//   burst:  1.5 s of frames every 2 ms whatever happens to them, the last one all VALUE
//   thread: as stream, but the frames come from a thread of their own, which has ended when
//           main closes the library, as the program's output thread has
#include "dmxbox.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace
{
int sendFrames(bool stream, bool burst, int value)
{
    unsigned char frame[512];
    if (stream) {
        std::memset(frame, value ^ 0xff, sizeof frame);
        int tries = 0;
        while (DMXSendBox(0, frame) == 0) {
            if (++tries > 2500)
                return 3;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        for (int i = 0; i < 20; ++i) {
            std::memset(frame, i, sizeof frame);
            DMXSendBox(0, frame);
        }
    }
    for (int i = 0; burst && i < 750; ++i) {
        std::memset(frame, i, sizeof frame);
        DMXSendBox(0, frame);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::memset(frame, value, sizeof frame);
    DMXSendBox(0, frame);
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    const bool thread = std::strcmp(argv[1], "thread") == 0;
    const bool stream = thread || std::strcmp(argv[1], "stream") == 0;
    const bool burst = std::strcmp(argv[1], "burst") == 0;
    const int value = std::atoi(argv[2]);
    int code = 0;
    if (thread) {
        std::thread sender([&] { code = sendFrames(stream, burst, value); });
        sender.join();
    } else {
        code = sendFrames(stream, burst, value);
    }
    if (code != 0)
        return code;
    DMXCloseBox();
    return 0;
}
