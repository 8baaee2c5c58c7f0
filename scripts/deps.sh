#!/usr/bin/env bash
# Installs the Debian packages a build needs (and, with "test", what the tests need).
# Runs apt-get only when something is missing; uses sudo when not root.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libx11-dev libzip-dev zlib1g-dev fonts-liberation2
          qt6-speech-dev qt6-tools-dev qt6-l10n-tools qt6-translations-l10n qtkeychain-qt6-dev)
if [ "${1:-}" = "test" ]; then
    packages+=(libgtest-dev libgmock-dev xvfb xauth openbox libxtst-dev dbus-daemon strace clang libclang-rt-14-dev
               libbenchmark-dev libxml2-utils zip unzip desktop-file-utils appstream file dpkg-dev xcompmgr trayer
               qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng
               speech-dispatcher-audio-plugins libao4 gnome-keyring python3 weston qt6-wayland)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
