#!/usr/bin/env bash
# Builds the benchmarks in Release and produces every figure of bench/README.md.
#   bash bench/run.sh [core|ui|all]   (default all; as root for the olad sandbox)
#   bash bench/run.sh frames          frame timing seen from outside the program (not in all;
#                                     CASES=REGEX picks the cases by their label)
#   bash bench/run.sh beats           beat steps against a MIDI clock sent through JACK, frames
#                                     checked from outside (not in all; BEAT_SECONDS=600,
#                                     BEAT_BPM=128, BEAT_JITTER=0 ms, BEAT_PERIOD=256 frames;
#                                     BEAT_DROP=N leaves out clock byte N)
#   bash bench/run.sh memory          peak memory of the conversions and the window against
#                                     the size of the show (not in all)
#   bash bench/run.sh song            decoding, waveform and beats of a 5-minute 44.1 kHz
#                                     stereo song (WAV, FLAC, Ogg Vorbis) made with sox, time
#                                     and peak memory from outside (not in all)
#   bash bench/run.sh soak            the program plays show B for SOAK_SECONDS=3600 with
#                                     output on, the window shown, two OSC subscribers and an
#                                     OSC flood one minute in five; per SOAK_SLICE=300 s
#                                     (not in all)
set -euo pipefail
cd "$(dirname "$0")/.."

what=${1:-all}
build=build-bench
runs=${RUNS:-3}
[ -n "${SKIP_DEPS:-}" ] || bash tools/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDMX_BUILD_TESTS=OFF \
    -DDMX_BUILD_BENCH=ON >/dev/null
targets=()
[ "$what" = frames ] && targets=(--target uiprobe makeshow framefifo framereader framemetronome)
[ "$what" = beats ] && targets=(--target uiprobe makeshow framefifo beatcheck midiclocksend)
[ "$what" = memory ] && targets=(--target uiprobe makeshow dmxplayer)
[ "$what" = song ] && targets=(--target dmxplayer)
[ "$what" = soak ] && targets=(--target dmxplayer makeshow framefifo soakreader soakcheck oscflood)
cmake --build "$build" -j"$(nproc)" "${targets[@]}" >/dev/null

if [ "$what" = core ] || [ "$what" = all ]; then
    echo "== core: playback tick, show file and generated fills (medians of 5 repetitions)"
    for b in bench_tick bench_files bench_effects; do
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
    "$build/tools/makeshow" "$show" 1000 512
    for i in $(seq "$runs"); do
        echo "== window under Xvfb, run $i of $runs (1000 steps x 512 channels, 20 fixtures)"
        DISPLAY=$display "$build/bench/uiprobe" "$show" 20 2>/dev/null
    done
fi

if [ "$what" = frames ]; then
    # Every frame goes to a FIFO through a preloaded DMXSendBox; framereader stamps them.
    warmup=${WARMUP:-5}
    window=${WINDOW:-30}
    tmp=$(mktemp -d)
    display=${BENCH_DISPLAY:-:98}
    Xvfb "$display" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    busy=()
    jackd_pid=
    trap 'kill $xvfb "${busy[@]}" $jackd_pid 2>/dev/null || true; rm -rf "$tmp"' EXIT
    sleep 1
    # A: 8 steps, speed 0, fade 10; B: 1000 steps, fades 2..10; every channel snaps.
    "$build/tools/makeshow" "$tmp/a.dmx" a
    "$build/tools/makeshow" "$tmp/b.dmx" b
    mkfifo "$tmp/frames"
    chmod 755 "$tmp" && chmod 644 "$tmp"/*.dmx && chmod 666 "$tmp/frames"
    # measure LABEL SHOW MODE [busy] [user] [gl]: RUNS runs of warm-up + window seconds each
    # (gl: Qt Quick's OpenGL renderer, Mesa's llvmpipe here, instead of the software one).
    measure() {
        local label=$1 show=$2 mode=$3 load=${4:-} user=${5:-} gl=${6:-}
        [[ "$label" =~ ${CASES:-.} ]] || return 0
        for i in $(seq "$runs"); do
            if [ "$load" = busy ]; then
                for _ in $(seq "$(nproc)"); do (while :; do :; done) & busy+=($!); done
            fi
            "$build/bench/framereader" "$tmp/frames" "$warmup" "$window" "$tmp/pid" \
                >"$tmp/out" &
            local reader=$!
            local backend=()
            [ -n "$gl" ] && backend=(QT_QUICK_BACKEND=opengl)
            [ -n "${size:-}" ] && backend+=(UIPROBE_SIZE="$size")
            [ "$mode" = play-song ] && backend+=(UIPROBE_SONG="$tmp/song.wav" DMX_AUDIO_API=jack)
            local run=(env DISPLAY="$display" DMX_FRAME_FIFO="$tmp/frames" "${backend[@]}"
                LD_PRELOAD="$PWD/$build/bench/libframefifo.so"
                "$build/bench/uiprobe" "$show" $((warmup + window + 3)) "$mode")
            if [ "$mode" = metronome ]; then
                run=("$build/bench/framemetronome" "$tmp/frames" $((warmup + window + 3)))
            fi
            if [ -n "$user" ]; then run=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${run[@]}"); fi
            "${run[@]}" >/dev/null 2>&1 &
            echo $! >"$tmp/pid"
            wait "$reader" || true
            kill "$(cat "$tmp/pid")" 2>/dev/null || true
            wait "$(cat "$tmp/pid")" 2>/dev/null || true
            if [ ${#busy[@]} -gt 0 ]; then kill "${busy[@]}"; busy=(); fi
            echo "== $label, run $i of $runs: $(tr '\n' ' ' <"$tmp/out")(load $(cut -d' ' -f1 /proc/loadavg))"
        done
    }
    measure "machine: a bare C loop at SCHED_FIFO, 30 ms" - metronome
    echo "== load average: $(cut -d' ' -f1-3 /proc/loadavg)"
    measure "A: 8 x 512, fade 10, no fixtures" "$tmp/a.dmx" play-bare
    measure "A with both CPUs busy" "$tmp/a.dmx" play-bare busy
    measure "A as a normal user" "$tmp/a.dmx" play-bare "" user
    measure "B: 1000 x 512, fades 2-10, 20 fixtures, table following" "$tmp/b.dmx" play-only
    measure "B minimised" "$tmp/b.dmx" play-minimised
    measure "A, OpenGL (llvmpipe)" "$tmp/a.dmx" play-bare "" "" gl
    measure "B, OpenGL (llvmpipe)" "$tmp/b.dmx" play-only "" "" gl
    measure "B with both CPUs busy" "$tmp/b.dmx" play-only busy
    measure "B without fixtures" "$tmp/b.dmx" play-bare
    # The window spread over a 1920 x 1080 screen: wider columns and faders to draw.
    size=1920x1080 measure "A at 1920 x 1080" "$tmp/a.dmx" play-bare
    size=1920x1080 measure "B at 1920 x 1080" "$tmp/b.dmx" play-only
    # The output following a song that plays through JACK (dummy driver, 48 kHz, periods of
    # 1024 frames, a server of our own): each tick shows the frame of the position heard.
    if [[ "song: A following a song through JACK" =~ ${CASES:-.} ]]; then
        export JACK_DEFAULT_SERVER=dmxbench-$$ JACK_NO_AUDIO_RESERVATION=1
        sox -n -r 48000 -c 2 "$tmp/song.wav" synth $((warmup + window + 20)) sine 440 vol 0.1
        chmod 644 "$tmp/song.wav"
        jackd -n "$JACK_DEFAULT_SERVER" -P 70 -d dummy -r 48000 -p 1024 >/dev/null 2>&1 &
        jackd_pid=$!
        jack_wait -w -t 10 -s "$JACK_DEFAULT_SERVER" >/dev/null 2>&1
        measure "song: A following a song through JACK" "$tmp/a.dmx" play-song
        kill "$jackd_pid" 2>/dev/null || true
        wait "$jackd_pid" 2>/dev/null || true
        jackd_pid=
    fi
    # How soon the fader strip and the marked row show what the output sent (frames dropped).
    label="A: the window follows the output"
    [[ "$label" =~ ${CASES:-.} ]] || runs=0
    for i in $(seq "$runs"); do
        echo "== $label, run $i of $runs"
        env DISPLAY="$display" LD_PRELOAD="$PWD/$build/bench/libframefifo.so" \
            "$build/bench/uiprobe" "$tmp/a.dmx" "$window" follow-latency 2>/dev/null | grep follows
    done
fi

if [ "$what" = beats ]; then
    # The program as started with remote control: steps of one beat, output on, waiting for
    # the clock's Start. midiclocksend plays the clock into "dmxplayer in" through a JACK server
    # of our own (dummy driver, no sound card); beatcheck stamps every frame through the
    # preloaded DMXSendBox and compares the row loads with the beats sent. JACK delivers MIDI
    # once per period (256 / 48000 s = 5.33 ms by default): that is the floor of the jitter.
    seconds=${BEAT_SECONDS:-600}
    tmp=$(mktemp -d)
    display=${BENCH_DISPLAY:-:75}
    export JACK_DEFAULT_SERVER=dmxbench-$$ JACK_NO_AUDIO_RESERVATION=1
    started=()
    trap 'kill "${started[@]}" 2>/dev/null || true; wait; rm -rf "$tmp"' EXIT
    # Above the output thread and other benchmarks' SCHED_FIFO threads (10 and below): a JACK
    # client late for its period loses that period's MIDI.
    jackd -n "$JACK_DEFAULT_SERVER" -P 70 -d dummy -r 48000 -p "${BEAT_PERIOD:-256}" \
        >"$tmp/jackd.log" 2>&1 &
    started+=($!)
    jack_wait -w -t 10 -s "$JACK_DEFAULT_SERVER" >/dev/null 2>&1
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    started+=($!)
    sleep 1
    "$build/tools/makeshow" "$tmp/a.dmx" a
    mkfifo "$tmp/frames"
    "$build/bench/beatcheck" "$tmp/frames" "$tmp/beats" 3 2 "$tmp/offsets" >"$tmp/check" &
    checker=$!
    started+=($checker)
    # Settings of its own: the probe keeps beat steps and MIDI ports there.
    env XDG_CONFIG_HOME="$tmp/config" DMX_MIDI_API=jack DISPLAY="$display" \
        DMX_FRAME_FIFO="$tmp/frames" LD_PRELOAD="$PWD/$build/bench/libframefifo.so" \
        "$build/bench/uiprobe" "$tmp/a.dmx" $((seconds + 3)) beat-clock >"$tmp/probe" \
        2>"$tmp/probe.err" &
    probe=$!
    started+=($probe)
    for _ in $(seq 150); do
        jack_lsp 2>/dev/null | grep -q "dmxplayer in" && break
        sleep 0.2
    done
    echo "== beat steps against a MIDI clock, ${seconds} s at ${BEAT_BPM:-128} BPM," \
        "jitter +-${BEAT_JITTER:-0} ms, JACK period ${BEAT_PERIOD:-256} frames at 48 kHz"
    echo "== before: $(uptime)"
    "$build/bench/midiclocksend" "$tmp/beats" "$seconds" "${BEAT_BPM:-128}" "${BEAT_JITTER:-0}" \
        "" "${BEAT_DROP:--1}"
    echo "== after:  $(uptime)"
    # The probe ends a few seconds after the clock's Stop; its end closes the FIFO.
    wait "$probe" || true
    wait "$checker" || true
    grep -E "tempo|steps of" "$tmp/probe" || cat "$tmp/probe.err"
    # A client late for its period loses that period's MIDI: a clock byte fewer.
    echo "JACK cycles reported late: $(grep -ciE "xrun|not finished" "$tmp/jackd.log" || true)"
    cat "$tmp/check"
    if [ -n "${BEAT_KEEP:-}" ]; then cp "$tmp/offsets" "$tmp/beats" "$tmp/jackd.log" "$BEAT_KEEP"/; fi
fi

if [ "$what" = memory ]; then
    # Peak resident memory (kB, median of RUNS) of each way a show is held, with the file's
    # size beside it. The base is the same way with a 100-row show of the same width: the
    # program itself and a screenful of the table.
    tmp=$(mktemp -d)
    display=${BENCH_DISPLAY:-:98}
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; rm -rf "$tmp"' EXIT
    sleep 1
    peak() {
        for _ in $(seq "$runs"); do
            { /usr/bin/time -f %M "$@" 2>&1 >/dev/null || true; } | tail -1
        done | sort -n | sed -n "$(((runs + 1) / 2))p"
    }
    headless() { peak "$build/app/dmxplayer" --export-c "$1" "$tmp/out.c"; }
    window() { peak env DISPLAY="$display" "$build/bench/uiprobe" "$1" 3 play-bare; }
    cimport() { peak "$build/app/dmxplayer" --to-dmx "$1" "$tmp/back.dmx"; }
    # row: WAY SHAPE ROWS CHANNELS
    row() {
        local way=$1 shape=$2 rows=$3 channels=$4 input base used size
        "$build/tools/makeshow" "$tmp/s.dmx" "$rows" "$channels"
        "$build/tools/makeshow" "$tmp/base.dmx" 100 "$channels"
        input=$tmp/s.dmx
        if [ "$way" = cimport ]; then
            "$build/app/dmxplayer" --export-c "$tmp/s.dmx" "$tmp/s.c" >/dev/null 2>&1 || true
            "$build/app/dmxplayer" --export-c "$tmp/base.dmx" "$tmp/base.c" >/dev/null 2>&1
            input=$tmp/s.c
            base=$(cimport "$tmp/base.c")
        else
            base=$($way "$tmp/base.dmx")
        fi
        used=$($way "$input")
        size=$(stat -c %s "$tmp/s.dmx")
        # The import's records in a show file's terms: speed, fade and the channels the export kept.
        if [ "$way" = cimport ]; then
            size=$(awk -F, '/_size = / { n = $0; sub(/.*= /, "", n); sub(/;.*/, "", n) }
                /^    \{/ && !w { w = NF - 4 } END { print n * (4 + w) }' "$tmp/s.c")
        fi
        awk -v w="$way" -v s="$shape" -v f="$size" -v b="$base" -v u="$used" 'BEGIN {
            printf "%-9s %-34s file %9.1f kB  peak %9d kB  base %9d kB  (peak - base) / file %.2f\n",
                w, s, f / 1024, u, b, (u - b) * 1024 / f }'
    }
    echo "== peak memory, median of $runs runs"
    for way in headless window; do
        row $way "60 000 steps, no channels" 60000 0
        row $way "65 535 steps, no channels" 65535 0
        row $way "250 000 steps, no channels (refused)" 250000 0
        row $way "65 535 steps x 512 channels" 65535 512
        row $way "100 000 steps x 512 (refused)" 100000 512
    done
    row cimport "60 000 records, no channels" 60000 0
    row cimport "65 535 records x 512 channels" 65535 512
fi

if [ "$what" = soak ]; then
    seconds=${SOAK_SECONDS:-3600}
    slice=${SOAK_SLICE:-300}
    port=${SOAK_PORT:-9317}
    tmp=$(mktemp -d)
    display=${BENCH_DISPLAY:-:74}
    started=()
    trap 'kill "${started[@]}" 2>/dev/null || true; wait; rm -rf "$tmp"' EXIT
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    started+=($!)
    sleep 1
    "$build/tools/makeshow" "$tmp/b.dmx" b
    mkfifo "$tmp/frames"
    "$build/bench/soakreader" "$tmp/frames" "$slice" "$seconds" "$tmp/pid" "$tmp/changes" \
        >"$tmp/slices" &
    reader=$!
    started+=($reader)
    # The program as a user starts it, with settings of its own and the frames to the FIFO.
    env XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" DISPLAY="$display" \
        DMX_FRAME_FIFO="$tmp/frames" LD_PRELOAD="$PWD/$build/bench/libframefifo.so" \
        "$build/app/dmxplayer" --osc-port "$port" "$tmp/b.dmx" >"$tmp/program.log" 2>&1 &
    program=$!
    echo $program >"$tmp/pid"
    started+=($program)
    sleep 5
    echo "== soak: show B for ${seconds} s, slices of ${slice} s; before: $(uptime)"
    "$build/bench/oscflood" "$port" "$seconds" "$slice" 60 1000
    wait "$reader" || true
    echo "== after: $(uptime)"
    cat "$tmp/slices"
    "$build/bench/soakcheck" "$tmp/b.dmx" "$tmp/changes" "$slice"
    if [ -n "${SOAK_KEEP:-}" ]; then cp "$tmp/slices" "$tmp/changes" "$tmp/program.log" "$SOAK_KEEP"/; fi
fi

if [ "$what" = song ]; then
    # sox only makes the song; the program does not need it.
    command -v sox >/dev/null || apt-get install -y -qq --no-install-recommends sox >/dev/null
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    # One beat at 128 BPM: a falling kick, an off-beat hat and a chord under it, over pink noise.
    sox -n -r 44100 -c 2 "$tmp/kick.wav" synth 0.15 sine 150:40 fade 0 0.15 0.12 pad 0 0.31875
    sox -n -r 44100 -c 2 "$tmp/hat.wav" synth 0.05 whitenoise highpass 7000 fade 0 0.05 0.04 \
        vol 0.3 pad 0.234375 0.184375
    sox -m "$tmp/kick.wav" "$tmp/hat.wav" "$tmp/beat.wav"
    sox "$tmp/beat.wav" "$tmp/beats.wav" repeat 639
    sox -n -r 44100 -c 2 "$tmp/bed.wav" synth 300 pinknoise vol 0.05 synth 300 sine mix 220
    sox -m "$tmp/beats.wav" "$tmp/bed.wav" -b 16 "$tmp/song.wav"
    sox "$tmp/song.wav" "$tmp/song.flac"
    sox "$tmp/song.wav" "$tmp/song.ogg"
    echo "== --version, for the program's own start-up memory"
    /usr/bin/time -f "%e s, %M KiB" "$build/app/dmxplayer" --version >/dev/null
    for song in song.wav song.flac song.ogg; do
        for i in $(seq "$runs"); do
            echo "== --analyse-audio $song, run $i of $runs"
            /usr/bin/time -f "%e s, %M KiB" "$build/app/dmxplayer" --analyse-audio \
                "$tmp/$song" | cut -c1-120
        done
    done
fi
