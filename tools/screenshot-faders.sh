#!/usr/bin/env bash
# Screenshot of the fader strip in a prepared state (tools/shots/fader_strip.qml, run by the
# QML test program on the virtual display), cut to the strip.
# Usage: tools/screenshot-faders.sh [output.png] [build directory]
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-docs/fader-strip.png}
build=${2:-build}
full=$(mktemp --suffix=.png)
trap 'rm -f "$full"' EXIT

QT_QUICK_BACKEND=software PROGRAM="$build/tests/qml/tst_qml" SETTLE=5 \
    tools/screenshot.sh "$full" -input tools/shots/fader_strip.qml
convert "$full" -crop 1000x245+0+0 +repage "$out"
echo "saved $out"
