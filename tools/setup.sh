#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the editor tests need.
# Safe to run again: it only asks apt for what is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    juce-modules-source juce-tools fst-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libasound2-dev libfreetype-dev libfontconfig1-dev libcurl4-openssl-dev
    libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev
    xvfb xauth fonts-liberation lv2file lv2-dev sordi lilv-utils
    clang libclang-rt-14-dev qemu-user
    dpkg-dev lintian help2man man-db desktop-file-utils x11-utils
    libjack-jackd2-dev jackd2
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "setup: all packages present"
    exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
