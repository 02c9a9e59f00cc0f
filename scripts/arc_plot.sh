#!/usr/bin/env bash
# The picture against the music, drawn: renders the whole show through showcap (960x540, 30 fps),
# measures each frame's brightness, change and colourfulness (bench/arc_frames), measures the
# short-term loudness of the mix and of each stem (makedata --stems, ffmpeg's ebur128), and plots
# them over the show's time with the cuts and the picture's events (app/visual_events.h) marked,
# into docs/arc_plot.png. Stretches where the picture and the music both stand still are shaded.
# Takes several minutes. Usage: scripts/arc_plot.sh [build folder] [output]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$root/build}" && pwd)
out=${2:-$root/docs/arc_plot.png}
width=960
height=540
fps=30
for tool in ffmpeg convert python3; do
  command -v "$tool" >/dev/null || { echo "arc_plot.sh: $tool not found" >&2; exit 1; }
done
for program in showcap data/makedata bench/arc_frames; do
  [ -x "$build/$program" ] || { echo "arc_plot.sh: no $program in $build (build it first)" >&2; exit 1; }
done

workFolder

echo "arc_plot.sh: rendering the show at ${width}x${height}, $fps fps" >&2
"$build/showcap" video "$work/run.mp4" --size "${width}x${height}" --fps "$fps" >/dev/null
ffmpeg -v error -i "$work/run.mp4" -f rawvideo -pix_fmt rgb24 - |
  "$build/bench/arc_frames" "$width" "$height" "$fps" >"$work/frames.csv"
"$build/bench/arc_frames" --events >"$work/events.csv"

echo "arc_plot.sh: measuring the stems" >&2
"$build/data/makedata" --stems "$work/stems"
for name in mix drums pads bass arpeggio melody; do
  # ebur128 prints a line every 100 ms: "t: 1.3  TARGET:-23 LUFS  M: -30.1 S: -32.0 ..."; over
  # silence the values are -inf or nan.
  ffmpeg -nostats -hide_banner -i "$work/stems/$name.wav" -af ebur128 -f null - 2>&1 |
    sed -n 's/.*t: *\([0-9.]*\) .* S: *\([-0-9.a-z]*\) .*/\1,\2/p' |
    awk -F, 'BEGIN { print "time,loudness" } { v = ($2 ~ /^-?[0-9.]+$/) ? $2 : -120; print $1 "," v }' >"$work/loudness_$name.csv"
done

font=
if command -v fc-match >/dev/null; then
  font=$(fc-match -f '%{file}' sans 2>/dev/null || true)
fi
# Written beside the output first and moved into place, so an interrupted run leaves the old one.
partial=$(mktemp "$(dirname "$out")/.arc_plot.XXXXXX")
python3 "$root/scripts/arc_plot.py" "$work" "$partial" $font
convert "$partial" -colors 256 -strip "png8:$partial"
mv "$partial" "$out"
partial=
echo "wrote $out ($(du -h "$out" | cut -f1))"
