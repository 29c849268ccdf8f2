#!/usr/bin/env bash
# Installs what building, running and testing Atlume needs on Debian or Ubuntu:
# a compiler, CMake, the Qt 5 development packages, Qt's Linguist tools for the
# catalogues and Qt's own translations, a CJK font so that the Chinese texts
# are legible, clang-format for the format check, the MQTT client library of
# the simulated module and the Mosquitto broker that its tests talk to, and any
# further packages named as arguments.
set -euo pipefail

packages=(g++ make cmake qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev
          qttools5-dev qttools5-dev-tools qttranslations5-l10n
          fonts-wqy-zenhei clang-format pkg-config libmosquitto-dev mosquitto "$@")

missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
# Waits for another apt-get on the machine rather than failing at once.
wait_for_lock=(-o DPkg::Lock::Timeout=600)
"${sudo[@]}" apt-get "${wait_for_lock[@]}" update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${wait_for_lock[@]}" install -y \
    --no-install-recommends "${missing[@]}"
