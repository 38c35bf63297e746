#!/usr/bin/env bash
# Builds the benchmarks in Release and produces every figure of bench/README.md.
#   bash bench/run.sh [core|ui|all]   (default all; as root for the olad sandbox)
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-all}
build=build-bench
runs=${RUNS:-3}
bash tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDMX_BUILD_TESTS=OFF \
    -DDMX_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

if [ "$what" = core ] || [ "$what" = all ]; then
    echo "== core: playback tick and show file (medians of 5 repetitions)"
    for b in bench_tick bench_files; do
        "$build/bench/$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
            2>/dev/null | grep -E "^(Benchmark|BM_.*_median)"
    done
    echo "== DMX library call, olad running and absent"
    bash tools/olad-sandbox.sh run "$build/bench/bench_dmxbox" \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true 2>/dev/null |
        grep -E "^(Benchmark|BM_.*_median)"
fi

if [ "$what" = ui ] || [ "$what" = all ]; then
    show=$(mktemp --suffix=.dmx)
    display=${BENCH_DISPLAY:-:98}
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; rm -f "$show"' EXIT
    sleep 1
    "$build/bench/makeshow" "$show" 1000 512
    for i in $(seq "$runs"); do
        echo "== window under Xvfb, run $i of $runs (1000 steps x 512 channels, 20 fixtures)"
        DISPLAY=$display "$build/bench/uiprobe" "$show" 20 2>/dev/null
    done
fi
