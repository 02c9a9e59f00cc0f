#!/usr/bin/env bash
# Builds the show for 64-bit Windows with mingw-w64 into build-windows/ (or $SHOW_WINDOWS_BUILD_DIR)
# and packs dist/iroiro-windows-x64.zip: the exe (with the Linux icon's pictures as its icon),
# iroiro/ with the data files the Linux build's makedata writes (the same bytes), README.txt and
# LICENSE.txt. Installs what it needs when missing
# (scripts/setup.sh windows). freeglut for Windows is built once from Debian's source package and
# kept under the build folder, so later runs reuse it.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="${SHOW_WINDOWS_BUILD_DIR:-$root/build-windows}"
linuxBuild="${SHOW_BUILD_DIR:-$root/build}"
jobs=$(nproc)

bash "$root/scripts/setup.sh" windows
mkdir -p "$build"
work=$(mktemp -d "$build/work.XXXXXX")
onExit 'rm -rf "$work"'

# freeglut, static, from the distribution's source package. apt is given a private sources list
# and a private lists folder, so the machine's own package lists are left as they are.
freeglut="$build/freeglut"
if [ ! -f "$freeglut/lib/libfreeglut_static.a" ]; then
  echo "build-windows: building freeglut for Windows (once)"
  # Its cache (the package caches, the downloads) is private too; the download runs as this user.
  apt=(-o Dir::Etc::SourceList="$work/src.sources" -o Dir::Etc::SourceParts=/dev/null
       -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" -o APT::Sandbox::User="$(id -un)")
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$work/src.sources"
  else
    apt[1]=Dir::Etc::SourceList="$work/src.list"
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$work/src.list"
  fi
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/source"
  apt-get "${apt[@]}" -qq update
  (cd "$work/source" && apt-get "${apt[@]}" -qq source --download-only freeglut >/dev/null)
  dsc=$(ls "$work/source"/freeglut_*.dsc)
  dpkg-source --no-check -x "$dsc" "$work/freeglut-src" >/dev/null
  # Its compiler's warnings go to a log, shown only when the build fails.
  if ! { cmake -S "$work/freeglut-src" -B "$work/freeglut-build" \
           -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_INSTALL_PREFIX="$work/freeglut-install" -DFREEGLUT_BUILD_SHARED_LIBS=OFF \
           -DFREEGLUT_BUILD_STATIC_LIBS=ON -DFREEGLUT_BUILD_DEMOS=OFF &&
         cmake --build "$work/freeglut-build" -j"$jobs" &&
         cmake --install "$work/freeglut-build"; } >"$work/freeglut.log" 2>&1; then
    tail -40 "$work/freeglut.log" >&2
    echo "build-windows: building freeglut failed" >&2
    exit 1
  fi
  rm -rf "$freeglut"
  mv "$work/freeglut-install" "$freeglut"
fi

# The data files: the Linux build's makedata writes them (the very bytes the Linux show reads).
if [ -f "$linuxBuild/CMakeCache.txt" ]; then
  cmake --build "$linuxBuild" -j"$jobs" --target iroiro_data iroiro_icons >/dev/null
else
  SHOW_BUILD_DIR="$linuxBuild" bash "$root/scripts/build.sh" programs >/dev/null
fi
data="$linuxBuild/iroiro"

# The icon: the Linux icon's two pictures in one .ico.
convert "$linuxBuild/icons/iroiro-256.png" "$linuxBuild/icons/iroiro-48.png" "$work/iroiro.ico"
cmp -s "$work/iroiro.ico" "$build/iroiro.ico" 2>/dev/null || cp "$work/iroiro.ico" "$build/iroiro.ico"

cmake -S "$root" -B "$build/show" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DFREEGLUT_ROOT="$freeglut" -DSHOW_ICON="$build/iroiro.ico" >/dev/null
cmake --build "$build/show" -j"$jobs" >/dev/null
exe="$build/show/iroiro.exe"

# The zip: one folder holding the exe, its data and README.txt, written under a temporary name
# and renamed when whole.
package=iroiro-windows-x64
stage="$work/$package"
mkdir -p "$stage/iroiro" "$root/dist"
cp "$exe" "$stage/iroiro.exe"
x86_64-w64-mingw32-strip "$stage/iroiro.exe"
for f in k13.mp3 syfyd.bmp "velvetend_loop02a(0).bmp" muryw.bmp wave1.bmp; do
  cp "$data/$f" "$stage/iroiro/$f"
done
sed 's/$/\r/' "$root/packaging/windows/README.txt" >"$stage/README.txt"
sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
(cd "$work" && zip -q -X -r "$package.zip" "$package")
zip="$root/dist/$package.zip"
partial=$(mktemp "$root/dist/.$package.XXXXXX")
cp "$work/$package.zip" "$partial"
chmod 644 "$partial"
mv "$partial" "$zip"
echo "build-windows: $zip ($(du -k "$zip" | cut -f1) KiB)"
