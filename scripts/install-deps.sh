#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need.
set -euo pipefail

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-serialport-dev qt6-svg-dev libqt6sql6-sqlite qt6-qpa-plugins libgl-dev
    fonts-dejavu-core
)
if [ "${1:-}" = "--desktop" ]; then
    packages+=(libqt6gui6 qt6-wayland)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
