#!/usr/bin/env bash
# Builds the Debian package and checks it the way a user gets it: the tree `cmake --install`
# lays out, lintian, `apt-get install ./dmxplayer_*.deb`, the show-file type, a conversion
# with the installed program compiled against the installed dmx.h, and a start from the menu
# entry's Exec line (offscreen). Removes the package again at the end. Needs root.
#   tools/check-package.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-pkg}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DDMX_BUILD_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" -j"$(nproc)"

work=$(mktemp -d)
cleanup() {
    rm -rf "$work"
    if dpkg-query -W -f='${Status}' dmxplayer 2>/dev/null | grep -q "install ok installed"; then
        apt-get remove -y -qq dmxplayer >/dev/null
    fi
}
trap cleanup EXIT

# The installed tree.
DESTDIR="$work/stage" cmake --install "$build" >/dev/null
tree=(
    usr/bin/dmxplayer
    usr/lib/x86_64-linux-gnu/dmxplayer/libdmxbox.so
    usr/share/applications/dmxplayer.desktop
    usr/share/icons/hicolor/scalable/apps/dmxplayer.svg
    usr/share/mime/packages/dmxplayer.xml
    usr/include/dmxplayer/dmx.h
    usr/include/dmxplayer/dmxplayer.h
    usr/include/dmxplayer/dmxplayer.c
    usr/share/doc/dmxplayer/player/README.md
    usr/share/doc/dmxplayer/player/example/Makefile
    usr/share/man/man1/dmxplayer.1.gz
    usr/share/doc/dmxplayer/copyright
    usr/share/doc/dmxplayer/changelog.gz
)
for f in "${tree[@]}"; do
    [ -e "$work/stage/$f" ] || { echo "check-package: $f is not installed" >&2; exit 1; }
done
desktop-file-validate "$work/stage/usr/share/applications/dmxplayer.desktop"
xmllint --noout "$work/stage/usr/share/mime/packages/dmxplayer.xml"

# The package.
rm -f "$build"/dmxplayer_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$PWD/$build"/dmxplayer_*.deb)
lintian --fail-on error --allow-root "$deb"
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb" >/dev/null
for f in "${tree[@]}"; do
    [ -e "/$f" ] || { echo "check-package: the package does not install /$f" >&2; exit 1; }
done

# A show of two channels and one step, recognised by its contents even without a name.
show="$work/show.dmx"
printf 'QX\0\0\0\0\0\0\0\0DMX512\0\0\0\0\001\0\0\0\002\0\0\0\001\001\0\0\005\0\002\012\024' >"$show"
cp "$show" "$work/noname"
type=$(gio info -a standard::content-type "$work/noname" | sed -n 's/.*content-type: //p')
[ "$type" = application/x-dmxplayer-show ] || { echo "check-package: type is '$type'" >&2; exit 1; }

# A conversion without a display, compiled against the installed header.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM dmxplayer --export-c "$show" "$work/player.c"
cc -c -I/usr/include/dmxplayer -o "$work/player.o" "$work/player.c"
cc -std=c99 -Wall -Wextra -Wpedantic -Werror -c -I/usr/include/dmxplayer \
    -o "$work/dmxplayer.o" /usr/include/dmxplayer/dmxplayer.c
# The installed example firmware around that export, as the player's README builds it.
cp -r /usr/share/doc/dmxplayer/player/example "$work/firmware"
cp "$work/player.c" "$work/firmware/"
make -s -C "$work/firmware" SHOW=player >/dev/null
dmxplayer --version

# The menu entry's Exec line with a show for %F: the window must come up and stay.
exec_line=$(sed -n 's/^Exec=//p' /usr/share/applications/dmxplayer.desktop)
read -r -a command <<<"${exec_line//%F/$show}"
status=0
QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software timeout 3 "${command[@]}" >"$work/log" 2>&1 ||
    status=$?
if [ "$status" != 124 ]; then
    cat "$work/log" >&2
    echo "check-package: '${command[*]}' ended with $status instead of running" >&2
    exit 1
fi
grep -q "'.dmx'file open success" "$work/log" || { echo "check-package: show not opened" >&2; exit 1; }
echo "check-package: $deb installs, converts and starts"
