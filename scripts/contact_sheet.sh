#!/usr/bin/env bash
# Renders sixteen moments of the show through showcap and tiles them into docs/contact_sheet.png,
# the picture at the top of the README. Usage: scripts/contact_sheet.sh [build folder] [output]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/contact_sheet.png}
for tool in montage convert; do
  command -v "$tool" >/dev/null || { echo "contact_sheet.sh: $tool (ImageMagick) not found" >&2; exit 1; }
done
[ -x "$build/showcap" ] || { echo "contact_sheet.sh: no showcap in $build (build it first)" >&2; exit 1; }

# Two or three moments a scene, more where the picture changes most.
moments=(6 16 28 35 40 47 56 64 70 78 88 95 101 106 110 113)

workFolder

tiles=()
for at in "${moments[@]}"; do
  tile="$work/at_$at.png"
  "$build/showcap" frame "$tile" --at "$at" --size 640x360 >/dev/null
  tiles+=(-label "$at s" "$tile")
done
# ImageMagick's default font may be missing; any sans font the system has will do.
font=()
if command -v fc-match >/dev/null; then
  file=$(fc-match -f '%{file}' sans 2>/dev/null || true)
  [ -n "$file" ] && font=(-font "$file")
fi
# Written beside the output first and moved into place, so an interrupted run leaves the old one.
partial=$(mktemp "$(dirname "$out")/.contact_sheet.XXXXXX")
montage "${font[@]}" "${tiles[@]}" -tile 4x4 -geometry 400x225+3+3 -background '#111111' -fill '#dddddd' \
  -pointsize 14 -quality 95 "png:$partial"
convert "$partial" -colors 256 -strip "png8:$partial"
mv "$partial" "$out"
partial=
echo "wrote $out ($(du -h "$out" | cut -f1))"
