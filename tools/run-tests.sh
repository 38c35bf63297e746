#!/usr/bin/env bash
# Installs what is missing, checks the C++ formatting and the QML documents, then builds and
# runs every test: a normal build with warnings as errors, the same under AddressSanitizer +
# UndefinedBehaviorSanitizer, and the core and playback tests under ThreadSanitizer. The
# sanitizer runs give the random-edit stress test its full 20 s (DMX_STRESS_SECONDS); the
# normal run keeps it short.
#
#   run-tests.sh           everything above, as CI runs it
#   run-tests.sh --quick   for everyday work: the style check, the normal build and its ctest
#                          (tests run side by side)
#
# Either way the run fails, listing them, when a process it started is still running at the
# end.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=false
case "${1:-}" in
"") ;;
--quick) quick=true ;;
*)
    echo "usage: $0 [--quick]" >&2
    exit 2
    ;;
esac

bash tools/install-deps.sh
jobs=$(nproc)

# Every process this run starts (servers of tests included: jackd, olad, dbus-daemon, Xvfb)
# inherits this mark; at the end none may be left. Read with bash alone, so that the check
# starts no marked process of its own.
run_mark="DMX_TEST_RUN=$$.$(date +%s%N)"
export "${run_mark?}"

marked_processes() {
    local environ pid vars cmd
    for environ in /proc/[0-9]*/environ; do
        pid=${environ#/proc/}
        pid=${pid%/environ}
        [ "$pid" = $$ ] || [ "$pid" = "$BASHPID" ] && continue
        mapfile -d '' vars 2>/dev/null <"$environ" || continue
        [[ " ${vars[*]} " == *" $run_mark "* ]] || continue
        mapfile -d '' cmd 2>/dev/null <"/proc/$pid/cmdline" || true
        echo "$pid ${cmd[*]}"
    done
}

# Lists and kills what is left, and fails the run. Processes that are on their way out get a
# few seconds.
check_nothing_left() {
    local rc=$? left="" pid _
    for _ in $(seq 50); do
        left=$(marked_processes)
        [ -z "$left" ] && exit "$rc"
        sleep 0.1
    done
    echo "run-tests: processes started by this run are still running:" >&2
    echo "$left" >&2
    while read -r pid _; do
        kill -KILL "$pid" 2>/dev/null || true
    done <<<"$left"
    exit 1
}
trap check_nothing_left EXIT

# Formatting and QML syntax first: seconds, against the builds' minutes.
bash tools/check-style.sh

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDMX_WERROR=ON -DDMX_BUILD_BENCH=ON
cmake --build build-test -j"$jobs"
if $quick; then
    (cd build-test && ctest --output-on-failure -j"$jobs")
    exit 0 # the EXIT trap checks that nothing is left
fi
(cd build-test && ctest --output-on-failure)

# The Debian package: built, checked with lintian, installed with apt-get and tried out.
bash tools/check-package.sh build-pkg

# libFuzzer targets for the file readers and the pasted step text: clang, ASan+UBSan, each
# fuzzer for about a minute on a scratch corpus seeded from tests/fuzz/seeds. The limits sit
# near what the largest table a reader accepts takes (65535 rows of 515 cells, about 70 MB),
# so an input that makes a reader take memory out of proportion to it is reported; inputs up to
# 1 MB are long enough to claim far more rows than that.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDMX_FUZZ=ON -DDMX_SANITIZE=ON -DDMX_BUILD_TESTS=OFF -DDMX_WERROR=ON
# Qt keeps (and, parsing JSON with repeated keys, loses) memory of its own; only ours counts.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
fuzzers=(fuzz_dmxload fuzz_cload fuzz_paste fuzz_qxf fuzz_ofl)
cmake --build build-fuzz -j"$jobs" --target "${fuzzers[@]}"
for fuzzer in "${fuzzers[@]}"; do
    corpus=build-fuzz/corpus/$fuzzer
    mkdir -p "$corpus"
    # ASan's quarantine of freed blocks (256 MB by default) would count against the RSS limit
    # and fill within seconds; a small one keeps the limit about the readers' own memory.
    ASAN_OPTIONS=quarantine_size_mb=16 \
        "build-fuzz/tests/fuzz/$fuzzer" -max_total_time=60 -timeout=10 -rss_limit_mb=512 \
        -malloc_limit_mb=64 -max_len=1048576 -print_final_stats=1 "$corpus" \
        "tests/fuzz/seeds/$fuzzer"
done

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDMX_WERROR=ON -DDMX_SANITIZE=ON
cmake --build build-asan -j"$jobs"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && DMX_STRESS_SECONDS=20 ctest --output-on-failure)

# ThreadSanitizer: the output thread against the GUI thread's edits, the timecode
# receivers' threads, the song analysis' worker, the song's reader against the one who plays
# it, a song's clock published from another
# thread (tst_songtransport's JACK client is left out: libjack cancels its own threads, which
# ThreadSanitizer reports as threads ending with ignores enabled) and the OLA library's worker. Qt and OLA
# themselves are not instrumented, so accesses from inside their libraries are not judged.
core_tests=(tst_dim tst_dmx tst_dimlist tst_light_list tst_dimlist_playback tst_dimlist_editing
    tst_undohistory tst_playengine tst_playstress tst_showtimeline tst_synccontrol tst_artnettimecode
    tst_ltcdecoder tst_songanalysisjob tst_songstream tst_dmxbox_ola tst_engineonly)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDMX_WERROR=ON -DDMX_TSAN=ON
cmake --build build-tsan -j"$jobs" --target "${core_tests[@]}"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:ignore_noninstrumented_modules=1"
core_regex="^($(IFS='|'; echo "${core_tests[*]}"))\$"
(cd build-tsan && DMX_STRESS_SECONDS=20 ctest -R "$core_regex" --output-on-failure)
