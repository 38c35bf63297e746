#!/usr/bin/env bash
# Refreshes translations/dmxplayer_en.ts from the sources; translate the new entries after.
# The built-in fixture types' channel titles are data (core/fixturetypes/*.qxf), which lupdate
# does not read, so they reach it as a generated source in the context the table translates
# them in ("DmxTable"). Without it -no-obsolete would drop their translations.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sed -n 's/^ *<Channel Name="\([^"]*\)".*/\1/p' core/fixturetypes/*.qxf | sort -u |
    sed -e 's/\\/\\\\/g' -e 's/&#10;/\\n/g' -e 's/&quot;/\\"/g' -e 's/&lt;/</g' \
        -e 's/&gt;/>/g' -e "s/&apos;/'/g" -e 's/&amp;/\&/g' \
        -e 's/.*/QT_TRANSLATE_NOOP("DmxTable", "&");/' >"$work/fixturetitles.cpp"
lupdate -no-obsolete -locations none qml/*.qml app/*.cpp core/*.cpp sync/*.cpp remote/*.cpp ui/*.cpp \
    "$work/fixturetitles.cpp" -ts translations/dmxplayer_en.ts
