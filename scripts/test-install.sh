#!/usr/bin/env bash
# Installs the built programs as a user would, and checks them from elsewhere: `cmake --install`
# into a temporary prefix, and the Debian package unpacked into a temporary root. From an
# unrelated folder, each installed iroiro and iroiro-capture answers --version, draws the build's
# own frame and plays the end of the show with its installed data and no notice. Then the desktop
# entry, the manual pages and lintian. Needs build/ built (scripts/build.sh) and an X display or
# Xvfb. Ends with "install: N passed, N failed".
set -uo pipefail
# The installed show needs a display: without one, the whole script runs in a private X server.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" bash "$0" "$@"
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() { # check NAME COMMAND...: one line per check, the command's output shown when it fails
  local name=$1
  shift
  local output
  if output=$("$@" 2>&1); then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
    printf '%s\n' "$output" | sed 's/^/        /' | head -n 20
  fi
}

# The build's own frame at 50 s, to compare installed captures with.
reference="$work/reference.png"
(cd "$build" && ./showcap frame "$reference" --at 50 --size 320x180) >/dev/null 2>&1 ||
  echo "FAILED  the build's showcap could not draw the reference frame"

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
checkInstalled() { # checkInstalled LABEL BIN_FOLDER
  check "$1: iroiro --version" versionIs "$2/iroiro" "iroiro $version"
  check "$1: iroiro-capture --version" versionIs "$2/iroiro-capture" "iroiro-capture $version"
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

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
