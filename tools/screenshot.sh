#!/usr/bin/env bash
# Starts the program on a virtual X display, waits for its window and saves a PNG of the
# screen.
#   tools/screenshot.sh [output.png]            the window as it opens
#   tools/screenshot.sh --in-use [output.png]   after adding fixtures and steps, with
#                                               playback running and output on (xdotool);
#                                               in English with LANG=en_US.UTF-8
# PROGRAM picks another program, SETTLE the seconds to wait for it, SCREEN_SIZE the virtual
# screen (e.g. 2200x1800 for QT_SCALE_FACTOR=2); arguments after the output file are passed
# to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=plain
if [ "${1:-}" = "--in-use" ]; then
    mode=in-use
    shift
fi
default_out=docs/main-window.png
[ "$mode" = in-use ] && default_out=docs/window-in-use.png
out=${1:-$default_out}
[ $# -gt 0 ] && shift
program=${PROGRAM:-build/app/dmxplayer}
settle=${SETTLE:-2}
display=${SCREENSHOT_DISPLAY:-:99}

# Killed by the kernel with this script, even when the script itself is killed.
setpriv --pdeathsig KILL Xvfb "$display" -screen 0 "${SCREEN_SIZE:-1280x900}x24" -nolisten tcp &
xvfb=$!
app=""
cleanup() {
    if [ -n "$app" ]; then kill "$app" 2>/dev/null || true; fi
    kill "$xvfb" 2>/dev/null || true
    if [ -n "${config:-}" ]; then rm -rf "$config"; fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

export DISPLAY=$display
for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
done

# Settings of its own, so that the window opens at its default size and place rather than
# where the user's last session left it (the clicks below depend on that).
config=$(mktemp -d)
XDG_CONFIG_HOME=$config "$program" "$@" >/dev/null 2>&1 &
app=$!
for _ in $(seq 100); do
    xwininfo -root -tree 2>/dev/null | grep -q "Divezuveror" && break
    sleep 0.1
done
sleep "$settle"

# Without a window manager the 1000 x 800 window sits at the screen's top left, so the
# panel bar (y 240..264) and the fixture bar (y 264..288) have fixed positions. The panel's
# right-hand buttons are as wide as their texts, so their centres depend on the language
# (measured on the plain screenshot of each).
click() {
    xdotool mousemove "$1" "$2" click 1
    sleep 0.3
}
panel_y=252
fixture_y=276
locale=${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}
if [[ "${LANGUAGE:-}" == en* || ( -z "${LANGUAGE:-}" && "$locale" == en* ) ]]; then
    output_x=547 play_x=593 all_x=631 add_step_x=778 fixture_button_w=84
else
    output_x=568 play_x=615 all_x=650 add_step_x=768 fixture_button_w=68
fi
# The fixture pane starts at x 400 with 删除灯具 and 添加灯具 (equally wide, 2 px apart);
# they keep their places whatever the strip after them holds.
add_fixture() {
    click $((400 + fixture_button_w + 2 + fixture_button_w / 2)) "$fixture_y"
}

if [ "$mode" = in-use ]; then
    add_fixture                     # 添加灯具, Type 01
    add_fixture                     # 添加灯具, a second one
    click 15 "$panel_y"             # Init: the default scene
    click "$add_step_x" "$panel_y"  # 增加
    click "$add_step_x" "$panel_y"  # 增加
    click 130 "$panel_y"            # END: all channels 255
    click "$add_step_x" "$panel_y"  # 增加
    click 60 "$panel_y"             # START: all channels 0
    click "$add_step_x" "$panel_y"  # 增加
    click "$all_x" "$panel_y"       # 全选: the whole table is the play range
    click "$output_x" "$panel_y"    # DMX关闭 -> DMX输出
    click "$play_x" "$panel_y"      # 播放
    xdotool mousemove 1100 600
    sleep 1.5
fi

import -window root "$out"
echo "saved $out"
