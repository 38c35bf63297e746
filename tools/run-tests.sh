#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: a normal build with warnings
# as errors, and the same under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
jobs=$(nproc)

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDMX_WERROR=ON -DDMX_BUILD_BENCH=ON
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure)

# The Debian package: built, checked with lintian, installed with apt-get and tried out.
bash tools/check-package.sh build-pkg

# libFuzzer targets for the file readers: clang, ASan+UBSan, each fuzzer for about a minute
# on a scratch corpus seeded from tests/fuzz/seeds.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DDMX_FUZZ=ON -DDMX_SANITIZE=ON -DDMX_BUILD_TESTS=OFF -DDMX_WERROR=ON
fuzzers=(fuzz_dmxload fuzz_cload)
cmake --build build-fuzz -j"$jobs" --target "${fuzzers[@]}"
for fuzzer in "${fuzzers[@]}"; do
    corpus=build-fuzz/corpus/$fuzzer
    mkdir -p "$corpus"
    "build-fuzz/tests/fuzz/$fuzzer" -max_total_time=60 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$corpus" "tests/fuzz/seeds/$fuzzer"
done

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDMX_WERROR=ON -DDMX_SANITIZE=ON
cmake --build build-asan -j"$jobs"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure)
