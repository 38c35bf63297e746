#!/usr/bin/env bash
# Starts the program on a virtual X display, waits for its window and saves a PNG of the
# screen. Usage: tools/screenshot.sh [output.png] [program] [seconds to wait] [program args...]
# With a Qt Quick Test program and a driver from tools/shots/ as its arguments, the window
# is shown in the state the driver sets up.
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/main-window.png}
program=${2:-build/app/dmxplayer}
settle=${3:-3}
display=${SCREENSHOT_DISPLAY:-:99}
shift $(($# < 3 ? $# : 3))

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp &
xvfb=$!
app=""
cleanup() {
    [ -n "$app" ] && kill "$app" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

"$program" "$@" >/dev/null 2>&1 &
app=$!
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Divezuveror" && break
    sleep 0.1
done
sleep "$settle"
import -window root "$out"
echo "saved $out"
