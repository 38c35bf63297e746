#!/usr/bin/env bash
# Installs what building, running and testing the program needs on Debian 12 (as root).
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qtbase5-dev qtdeclarative5-dev qtquickcontrols2-5-dev qttools5-dev qttools5-dev-tools
    qtdeclarative5-dev-tools
    qml-module-qtquick2 qml-module-qtquick-controls qml-module-qtquick-controls2
    qml-module-qtquick-dialogs qml-module-qtquick-layouts qml-module-qtquick-window2
    qml-module-qtgraphicaleffects qml-module-qttest qml-module-qt-labs-folderlistmodel
    qml-module-qt-labs-settings
    libbenchmark-dev clang libclang-rt-14-dev
    xvfb x11-apps x11-utils xdotool imagemagick fonts-noto-cjk
    ola libola-dev util-linux iproute2 dbus-daemon
    liblo-dev liblo-tools librtmidi-dev jackd2 libjack-jackd2-dev libltc-dev libasound2-dev
    libsndfile1-dev libaubio-dev librtaudio-dev
    dpkg-dev lintian desktop-file-utils libxml2-utils libglib2.0-bin shared-mime-info
    gcc-arm-none-eabi qemu-system-arm make
    qlcplus-data qttranslations5-l10n
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    # Installing ola would start the system olad with its network plugins (Art-Net, sACN,
    # ...); the tests run their own olad, so keep services from starting during the install.
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' >/usr/sbin/policy-rc.d
        chmod 755 /usr/sbin/policy-rc.d
        trap 'rm -f /usr/sbin/policy-rc.d' EXIT
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
