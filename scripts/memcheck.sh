#!/usr/bin/env bash
# Runs the show's start-up and scene 1 for a few seconds, then one small frame of each scene
# through the offscreen renderer, under valgrind's memcheck in a private X server. Any invalid
# read or write, use of uninitialised memory or bad free fails it; tests/sanitizers/memcheck.supp
# lists the few errors raised inside libraries outside the project, each with its reason.
# Usage: scripts/memcheck.sh [BUILD_FOLDER]   (default build/, as scripts/build.sh leaves it)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$(cd "${1:-$root/build}" && pwd)

# Always a private X server of its own, whose only windows are the show's (the xwininfo poll below
# finds the show by its name among the root's children).
if [ -z "${MEMCHECK_X_SERVER:-}" ]; then
  MEMCHECK_X_SERVER=1 withDisplay --private --screen 640x480x24 bash "$0" "$build"
  exit
fi

memcheck=(valgrind --tool=memcheck --error-exitcode=99 --suppressions="$root/tests/sanitizers/memcheck.supp")
logs=$(mktemp -d)
onExit 'rm -rf "$logs"'
cd "$build" # the show and the frames read ./iroiro/

fail() {
  echo "memcheck: $1" >&2
  [ -f "$2" ] && cat "$2" >&2
  exit 1
}

# The show itself, silent (the dummy audio driver), until its window has drawn a few seconds of
# scene 1; then Escape, which must end it with status 0 and no error.
started=$SECONDS
SDL_AUDIODRIVER=dummy "${memcheck[@]}" --log-file="$logs/show.log" ./show &
show=$!
window=""
for _ in $(seq 1 600); do
  window=$(xwininfo -root -children 2>/dev/null | awk -v name="\"./show\":" '$2 == name { print $1; exit }')
  [ -n "$window" ] && break
  kill -0 "$show" 2>/dev/null || break
  sleep 0.2
done
[ -n "$window" ] || { kill "$show" 2>/dev/null || true; fail "the show's window did not appear" "$logs/show.log"; }
sleep 5
xdotool key --window "$window" Escape 2>/dev/null
status=0
wait "$show" || status=$?
[ "$status" -eq 0 ] || fail "the show under memcheck ended with status $status" "$logs/show.log"
echo "memcheck: show start-up, scene 1 and Escape clean ($((SECONDS - started)) s)"

started=$SECONDS
status=0
"${memcheck[@]}" --log-file="$logs/frames.log" ./tests/memcheck/memcheck_frames || status=$?
[ "$status" -eq 0 ] || fail "one frame of each scene: status $status" "$logs/frames.log"
echo "memcheck: one frame of each scene clean ($((SECONDS - started)) s)"
