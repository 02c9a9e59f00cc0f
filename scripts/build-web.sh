#!/usr/bin/env bash
# Builds the show for the browser with Emscripten into build-web/ (or $SHOW_WEB_BUILD_DIR) and
# writes dist/web/ (index.html, the program, its packed data: the five files the Linux build's
# makedata writes, the same bytes) and dist/iroiro-web.zip. The same scene, element, texture and
# app code as the desktop show, with the page's entry (web/) on the page's platform layer and the
# GL compatibility layer (platform/web/). Installs what it needs when missing (scripts/setup.sh
# web). Any static file server serves dist/web/: python3 -m http.server -d dist/web
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SHOW_WEB_BUILD_DIR:-$root/build-web}"
linuxBuild="${SHOW_BUILD_DIR:-$root/build}"
dist="$root/dist/web"

bash "$root/scripts/setup.sh" web
# Debian's Emscripten finds its node modules there.
export NODE_PATH=/usr/share/nodejs

# The data files, from the Linux build.
if [ ! -f "$linuxBuild/iroiro/k13.mp3" ]; then
  echo "build-web: making the data files with the Linux build"
  bash "$root/scripts/build.sh" programs
fi

mkdir -p "$build/objects" "$build/generated" "$dist"
# The status line's glyphs, from the X font GLUT's 9 x 15 bitmap font is.
font=/usr/share/fonts/X11/misc/9x15-ISO8859-1.pcf.gz
glyphs="$build/generated/bitmap_font_9x15.inc"
if [ ! -f "$glyphs" ] || [ "$root/platform/web/tools/bitmap_font.py" -nt "$glyphs" ]; then
  python3 "$root/platform/web/tools/bitmap_font.py" "$font" "$glyphs.new"
  mv "$glyphs.new" "$glyphs"
fi
flags=(-std=c++17 -O2 -Wall -I"$root" -I"$root/platform/web/include" -I"$build/generated")
sources=()
for f in "$root"/app/*.cpp "$root"/scenes/*.cpp "$root"/elements/*.cpp "$root"/textures/*.cpp \
         "$root"/platform/*.cpp "$root"/platform/web/*.cpp "$root"/web/*.cpp; do
  case "$(basename "$f")" in
    main.cpp|window.cpp) continue ;; # the desktop's entry and GLUT window: the page has its own
  esac
  sources+=("$f")
done

# Each source compiled once into its object, again only when it or a header changed.
newestHeader=$(find "$root/app" "$root/scenes" "$root/elements" "$root/textures" "$root/platform" \
                 -name '*.h' -printf '%T@\n' | sort -n | tail -1)
objects=()
for f in "${sources[@]}"; do
  rel=${f#"$root"/}
  object="$build/objects/${rel//\//_}.o"
  objects+=("$object")
  if [ ! -f "$object" ] || [ "$f" -nt "$object" ] ||
     awk -v h="$newestHeader" -v o="$(stat -c %Y "$object")" 'BEGIN { exit !(h > o) }'; then
    echo "build-web: $rel"
    em++ "${flags[@]}" -c "$f" -o "$object"
  fi
done

em++ -O2 "${objects[@]}" -o "$build/iroiro.js" \
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sENVIRONMENT=web \
  -sEXPORTED_FUNCTIONS=_main,_startShow,_showTime,_pageCount -sEXIT_RUNTIME=0 -sLZ4=1 \
  --preload-file "$linuxBuild/iroiro@/iroiro"

rm -rf "$dist"
mkdir -p "$dist"
cp "$root/web/index.html" "$build/iroiro.js" "$build/iroiro.wasm" "$build/iroiro.data" "$dist/"
rm -f "$root/dist/iroiro-web.zip"
(cd "$root/dist" && zip -qr iroiro-web.zip web)
echo "build-web: $dist ($(du -sb "$dist" | cut -f1) bytes), $root/dist/iroiro-web.zip ($(stat -c %s "$root/dist/iroiro-web.zip") bytes)"
