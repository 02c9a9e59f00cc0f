#!/usr/bin/env bash
# Installs the built programs as a user would, and checks them from elsewhere: `cmake --install`
# into a temporary prefix, and the Debian package unpacked into a temporary root. From an
# unrelated folder, each installed iroiro and iroiro-capture answers --version, draws the build's
# own frame and plays the end of the show with its installed data and no notice. Then the desktop
# entry, the manual pages and lintian. Needs build/ built (scripts/build.sh) and an X display or
# Xvfb. One line per check, and a table of them all at the end; the status is 1 when any failed.
set -uo pipefail
source "$(dirname "$0")/lib.sh"
# The installed show needs a display: without one, the whole script runs in a private X server.
if [ -z "${DISPLAY:-}" ]; then
  withDisplay --screen 640x480x24 bash "$0" "$@"
  exit
fi
build="$root/build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
onExit 'rm -rf "$work"'

# The build's own frame at 50 s, to compare installed captures with.
reference="$work/reference.png"
check "the build's showcap draws the reference frame" \
  sh -c 'cd "$1" && ./showcap frame "$2" --at 50 --size 320x180 >/dev/null' sh "$build" "$reference"

versionIs() { # versionIs PROGRAM EXPECTED
  [ "$("$1" --version)" = "$2" ]
}
sameFrame() { # sameFrame CAPTURE: its frame at 50 s is the build's, byte for byte
  local out
  out="$(mktemp -d "$work/frame.XXXXXX")/x.png"
  (cd "$elsewhere" && "$1" frame "$out" --at 50 --size 320x180) && cmp "$out" "$reference"
}
playsTheEnd() { # playsTheEnd SHOW: from 113 s it ends by itself, status 0, nothing on stderr
  local errors="$work/show-errors.txt"
  (cd "$elsewhere" && SDL_AUDIODRIVER=dummy timeout 60 "$1" --window=320x180 --at 113) 2>"$errors" ||
    { cat "$errors"; return 1; }
  [ ! -s "$errors" ] || { echo "the show wrote:"; cat "$errors"; return 1; }
}
callsItself() { # callsItself PROGRAM NAME: its usage, errors and help name it NAME, and no other
  local errors help
  errors=$(cd "$elsewhere" && "$1" --bogus 2>&1 >/dev/null)
  [ $? -eq 2 ] || { echo "--bogus did not end with status 2"; return 1; }
  help=$("$1" --help) || return 1
  printf '%s\n' "$errors" | head -n 1 | grep -qx "$2: unknown option --bogus" &&
    printf '%s\n' "$errors" "$help" | grep -q "^Usage: $2 \|^  $2 video " &&
    ! printf '%s\n' "$errors" "$help" | grep -qE '^(Usage: |  )?(show|showcap)[ :]' ||
    { printf '%s\n%s\n' "$errors" "$help"; return 1; }
}
checkInstalled() { # checkInstalled LABEL BIN_FOLDER
  check "$1: iroiro --version" versionIs "$2/iroiro" "iroiro $version"
  check "$1: iroiro-capture --version" versionIs "$2/iroiro-capture" "iroiro-capture $version"
  check "$1: iroiro calls itself iroiro" callsItself "$2/iroiro" iroiro
  check "$1: iroiro-capture calls itself iroiro-capture" callsItself "$2/iroiro-capture" iroiro-capture
  check "$1: iroiro-capture draws the build's frame at 50 s" sameFrame "$2/iroiro-capture"
  check "$1: iroiro plays the end with its installed data, no notice" playsTheEnd "$2/iroiro"
}
manPageRenders() { # manPageRenders PAGE: man renders it with no warning
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$1" 2>&1 >/dev/null) && [ -z "$warnings" ] ||
    { echo "$warnings"; return 1; }
}
noLintianErrors() { # noLintianErrors DEB
  local report
  report=$(lintian --tag-display-limit 0 "$1" 2>&1 | grep -v 'running with root privileges')
  printf '%s\n' "$report"
  ! printf '%s\n' "$report" | grep -q '^E: '
}

# An unrelated working folder: no iroiro/ here, so the data must come from the installation.
elsewhere="$work/elsewhere"
mkdir -p "$elsewhere"

prefix="$work/prefix"
check "cmake --install" cmake --install "$build" --prefix "$prefix"
checkInstalled "installed" "$prefix/bin"
check "the desktop entry is valid" desktop-file-validate "$prefix/share/applications/iroiro.desktop"
for size in 256 48; do
  check "the ${size}x${size} icon" sh -c "file '$prefix/share/icons/hicolor/${size}x${size}/apps/iroiro.png' | grep -q '$size x $size'"
done
for page in iroiro iroiro-capture; do
  check "man page $page renders without warnings" manPageRenders "$prefix/share/man/man1/$page.1.gz"
done
check "README and LICENSE in the doc folder" test -s "$prefix/share/doc/iroiro/README.md" -a -s "$prefix/share/doc/iroiro/LICENSE"

# Every exit status an installed program gives is in its manual page: 0 (--version), 2 (a
# mistake in the command line) and 1 (the show without a display; iroiro-capture without data).
statusesInManPage() { # statusesInManPage PAGE PROGRAM ARGS_FOR_STATUS_1...
  local page=$1 program=$2
  shift 2
  local listed
  listed=$(zcat "$page" | sed -n '/^\.SH EXIT STATUS/,/^\.SH /p') || return 1
  local statuses=()
  "$program" --version >/dev/null 2>&1
  statuses+=($?)
  (cd "$elsewhere" && "$program" --bogus) >/dev/null 2>&1
  statuses+=($?)
  (cd "$elsewhere" && env -u DISPLAY "$program" "$@") >/dev/null 2>&1
  statuses+=($?)
  [ "${statuses[*]}" = "0 2 1" ] || { echo "statuses given: ${statuses[*]}, not 0 2 1"; return 1; }
  for status in "${statuses[@]}"; do
    grep -q "^\.B $status\$" <<<"$listed" || { echo "status $status is not listed:"; echo "$listed"; return 1; }
  done
}
check "iroiro(1) lists every exit status iroiro gives" \
  statusesInManPage "$prefix/share/man/man1/iroiro.1.gz" "$prefix/bin/iroiro" --window=320x180
check "iroiro-capture(1) lists every exit status iroiro-capture gives" \
  statusesInManPage "$prefix/share/man/man1/iroiro-capture.1.gz" "$prefix/bin/iroiro-capture" \
  frame x.png --at 3 --data "$elsewhere"

# The installed README, and the documents it links, link only what is installed with them.
linksResolve() { # linksResolve DOC_FOLDER: every relative link of its Markdown files is a file there
  local doc=$1 file target missing=0
  while IFS= read -r file; do
    while IFS= read -r target; do
      target=${target%%#*}
      [ -n "$target" ] || continue
      [ -f "$(dirname "$file")/$target" ] || { echo "${file#"$doc"/} links $target, which is not installed"; missing=1; }
    done < <(grep -o '\](\([^)]*\))' "$file" | sed 's/^](//; s/)$//' | grep -v '^[a-z]*:')
  done < <(find "$doc" -name '*.md')
  [ "$missing" -eq 0 ]
}
check "the installed README links only what is installed" linksResolve "$prefix/share/doc/iroiro"

# Without a display, run.sh says so at once, before setting up or building anything, and gives the
# quick and the full video commands. The package tools and cmake here only record being called.
noDisplayRun() {
  local stubs="$work/stubs" calls="$work/stub-calls" output status
  mkdir -p "$stubs"
  for tool in apt-get dpkg-query sudo cmake; do
    printf '#!/bin/sh\necho %s >> "%s"\nexit 1\n' "$tool" "$calls" > "$stubs/$tool"
    chmod +x "$stubs/$tool"
  done
  output=$(env -u DISPLAY PATH="$stubs:$PATH" SHOW_BUILD_DIR="$work/no-display-build" \
             timeout 20 bash "$root/scripts/run.sh" 2>&1)
  status=$?
  printf '%s\n' "$output"
  [ "$status" -eq 1 ] || { echo "status $status, not 1"; return 1; }
  [ ! -e "$calls" ] || { echo "called before saying so:"; cat "$calls"; return 1; }
  [ ! -e "$work/no-display-build" ] || { echo "the build folder was made"; return 1; }
  grep -q "showcap video show.mp4 --size 640x360 --fps 30 " <<<"$output" &&
    grep -q "showcap video show.mp4  *# full" <<<"$output"
}
check "run.sh without a display says so before building, with the quick and the full video" noDisplayRun

# What scripts/run.sh builds: the programs and the data, and not one test or benchmark.
noTestTargets() {
  SHOW_BUILD_DIR="$work/run-build" SHOW_CONFIGURE_ONLY=1 bash "$root/scripts/build.sh" programs || return 1
  local targets
  targets=$(cmake --build "$work/run-build" --target help) || return 1
  grep -q '\.\.\. show$' <<<"$targets" || { echo "no show target"; return 1; }
  ! grep -E '_tests$|_bench$|bitmap_fuzz|frame_grab' <<<"$targets"
}
check "run.sh's build has no test or benchmark target" noTestTargets

deb="$build/iroiro_${version}_amd64.deb"
rm -f "$deb"
check "cpack -G DEB" sh -c "cd '$build' && cpack -G DEB"
check "the package depends on ffmpeg and xvfb" sh -c "dpkg-deb -f '$deb' Depends | grep -q 'ffmpeg, xvfb'"
unpacked="$work/root"
check "dpkg-deb -x" dpkg-deb -x "$deb" "$unpacked"
checkInstalled "package" "$unpacked/usr/bin"
check "lintian reports no error" noLintianErrors "$deb"

stepSummary
