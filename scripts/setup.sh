#!/usr/bin/env bash
# Installs the Debian packages that are missing, only those: `setup.sh run` what building and
# running the programs needs (the default), `setup.sh windows` that and what building the Windows
# show and testing it under Wine needs, `setup.sh web` that and what building the page and testing it
# in a headless browser needs, `setup.sh test` the run, Windows and test packages and what the tests, benchmarks
# and hardening steps need. When another program holds the package manager's lock (an automatic
# update, say), it waits for it, up to five minutes, and says so.
set -euo pipefail

run_packages=(
  build-essential cmake pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri
  libsdl2-dev libsdl2-mixer-dev libasound2-dev libmp3lame-dev zlib1g-dev
  xvfb xauth ffmpeg
)
test_packages=(
  mesa-utils libgtest-dev googletest libbenchmark-dev
  xdotool x11-utils xfonts-base imagemagick apitrace file
  clang libclang-rt-14-dev valgrind
  desktop-file-utils lintian man-db dpkg-dev
)
# The Windows show: the cross compiler, Wine, MCI's MP3 playback under Wine (GStreamer's MPEG
# audio parser), a private sound server to record it from, and the zip. dpkg-dev unpacks the
# freeglut source package the Windows build compiles.
windows_packages=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine dpkg-dev zip
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good pulseaudio pulseaudio-utils
  imagemagick xdotool x11-utils
)

# The show in a browser: Debian's Emscripten (with its clang, node and binaryen), X's fixed fonts
# (GLUT's 9 x 15 bitmap font is one), the zip, and chromium, whose headless mode with its software
# WebGL the page's tests draw in, driven over the DevTools protocol from Python.
web_packages=(emscripten xfonts-base zip chromium python3-websocket python3-numpy python3-pil)

case "${1:-run}" in
  run) packages=("${run_packages[@]}") ;;
  windows) packages=("${run_packages[@]}" "${windows_packages[@]}") ;;
  web) packages=("${run_packages[@]}" "${web_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}" "${windows_packages[@]}") ;;
  *) echo "usage: setup.sh [run|windows|web|test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# apt-get, retried while another program holds the package manager's lock; dpkg's own lock is
# waited for by apt itself.
waitedSeconds=0
aptGet() {
  local output status
  while :; do
    output=$(DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 "$@" 2>&1) && return 0
    status=$?
    if ! grep -q "Could not get lock\|Unable to acquire\|is another process using it" <<<"$output" ||
       [ "$waitedSeconds" -ge 300 ]; then
      printf '%s\n' "$output" >&2
      return "$status"
    fi
    [ "$waitedSeconds" -gt 0 ] || echo "setup: another program is using the package manager; waiting for it (up to 5 minutes)" >&2
    sleep 5
    waitedSeconds=$((waitedSeconds + 5))
  done
}

echo "Installing: ${missing[*]}"
aptGet update -qq
aptGet install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
