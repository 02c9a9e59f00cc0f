#!/usr/bin/env bash
# Sets up what is missing, builds, and plays the show (Escape ends it): full screen, or as the
# arguments ask, which go to the show unchanged (bash scripts/run.sh --window --at 100).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" run
bash "$root/scripts/build.sh" programs
if [ -z "${DISPLAY:-}" ]; then
  echo "show: no display to open the show's window on (DISPLAY is not set)." >&2
  echo "To render the show to a video instead: \"$root/build/showcap\" video show.mp4" >&2
  exit 1
fi
# The show finds its data in ./iroiro/, which the build writes beside the program.
cd "$root/build"
exec ./show "$@"
