#!/usr/bin/env bash
# Installs the Debian packages the show needs to build, run and be tested, only when missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri mesa-utils
  libsdl2-dev libsdl2-mixer-dev libasound2-dev libmp3lame-dev zlib1g-dev
  libgtest-dev googletest libbenchmark-dev
  xvfb xauth xdotool x11-utils xfonts-base
  ffmpeg imagemagick apitrace
  clang libclang-rt-14-dev valgrind
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
