#!/usr/bin/env bash
# Sets up what is missing, builds, and plays the show (Escape ends it): full screen, or as the
# arguments ask, which go to the show unchanged (bash scripts/run.sh --window --at 100).
# Without a display it says so at once, before setting up or building anything, and gives the
# commands that render the show to a video instead.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build="${SHOW_BUILD_DIR:-$root/build}"
if [ -z "${DISPLAY:-}" ]; then
  # Paths as the user can type them from where they are.
  here() { case "$1" in "$PWD"/*) printf '%s' "${1#"$PWD"/}" ;; *) printf '%s' "$1" ;; esac; }
  showcap=$(here "$build/showcap")
  [ "$showcap" != showcap ] || showcap=./showcap
  {
    echo "run.sh: no display to open the show's window on (DISPLAY is not set)."
    echo "To render the show to a video instead, which needs no display:"
    [ -x "$build/showcap" ] ||
      echo "  bash $(here "$root/scripts/setup.sh") && bash $(here "$root/scripts/build.sh") programs   # once: set up and build"
    echo "  $showcap video show.mp4 --size 640x360 --fps 30   # quick: 640x360 at 30 fps, under a minute"
    echo "  $showcap video show.mp4                           # full: 1920x1080 at 60 fps, about 7 minutes"
  } >&2
  exit 1
fi
bash "$root/scripts/setup.sh" run
bash "$root/scripts/build.sh" programs
# The show finds its data in ./iroiro/, which the build writes beside the program.
cd "$build"
exec ./show "$@"
