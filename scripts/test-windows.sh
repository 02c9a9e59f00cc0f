#!/usr/bin/env bash
# Tests the Windows show under Wine, as the zip of scripts/build-windows.sh ships it: its imports
# and contents, the options, the picture at two moments against showcap's frames, the keys, the
# notice for a missing picture, and the sound through a sound server of the test's own against
# the decoded soundtrack. Everything runs in a Wine prefix under the build folder, on a private X
# server and a private PulseAudio with a null sink, which end with this script. One line per check,
# PASS or FAIL; the status is 1 when any failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${SHOW_WINDOWS_BUILD_DIR:-$root/build-windows}"
linuxBuild="${SHOW_BUILD_DIR:-$root/build}"
zip="$root/dist/iroiro-windows-x64.zip"
[ -f "$zip" ] || { echo "test-windows: no $zip (bash scripts/build-windows.sh makes it)" >&2; exit 1; }
[ -x "$linuxBuild/showcap" ] || cmake --build "$linuxBuild" -j"$(nproc)" --target showcap >/dev/null
showcap="$linuxBuild/showcap"
data="$linuxBuild/iroiro"
dataFiles=(k13.mp3 syfyd.bmp "velvetend_loop02a(0).bmp" muryw.bmp wave1.bmp)

tmp=$(mktemp -d)
export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
wineOverrides="mscoree,mshtml="
export WINEDLLOVERRIDES="$wineOverrides"
children=()
cleanup() {
  wineserver -k 2>/dev/null || true
  for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # check CONDITION-STATUS DESCRIPTION
  if [ "$1" = 0 ]; then pass "$2"; else fail "$2"; fi
}

# Waits up to $2 seconds for the command in $1 to succeed.
waitFor() {
  local deadline=$((SECONDS + $2))
  until eval "$1"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# --- The private X server, open only to holders of a fresh key.
touch "$tmp/xauth"
cookie=$(mcookie)
xauth -f "$tmp/xauth" add :0 . "$cookie"
setpriv --pdeathsig TERM Xvfb -displayfd 3 -auth "$tmp/xauth" -screen 0 1280x1024x24 -noreset -nolisten tcp \
  3>"$tmp/display" 2>"$tmp/xvfb.log" &
children+=($!)
waitFor '[ -s "$tmp/display" ]' 30 || { echo "test-windows: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")" XAUTHORITY="$tmp/xauth"
xauth -f "$tmp/xauth" add "$DISPLAY" . "$cookie"

# --- The private sound server: one null sink, whose monitor the tests record.
mkdir -m 700 -p "$tmp/run/pulse" "$tmp/home"
export XDG_RUNTIME_DIR="$tmp/run" PULSE_RUNTIME_PATH="$tmp/run/pulse"
HOME="$tmp/home" setpriv --pdeathsig TERM pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  -L "module-null-sink sink_name=cap" -L "module-native-protocol-unix socket=$tmp/run/pulse/native" \
  >"$tmp/pulse.log" 2>&1 &
children+=($!)
export PULSE_SERVER="unix:$tmp/run/pulse/native" PULSE_COOKIE="$tmp/home/cookie"
waitFor 'HOME="$tmp/home" pactl info >/dev/null 2>&1' 30 || { echo "test-windows: PulseAudio did not start" >&2; exit 1; }

# --- The Wine prefix, kept under the build folder; one server for all the runs, which ends 30 s
# after the last of them (also when this script is killed outright). Wine's relay trace, when
# asked for, covers MessageBoxA alone.
# A server left by an earlier run that was killed outright goes first; a new prefix's own server
# ends by itself after wineboot.
wineserver -k >/dev/null 2>&1 || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  timeout 60 wineserver -w || true
fi
wineserver -p30 >>"$tmp/wineserver.log" 2>&1
wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxA /f >/dev/null 2>&1

unzip -q "$zip" -d "$tmp/package"
app="$tmp/package/iroiro-windows-x64"
exe="$app/iroiro.exe"

# The checks below go on after a failed one: each says PASS or FAIL.
set +e

# ---------------------------------------------------------------------------------------------
# The exe needs only Windows' own DLLs, and the zip holds the exe, README.txt and the data files
# with the Linux build's very bytes.
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)
foreign=$(grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll|opengl32.dll|glu32.dll|winmm.dll' \
  <<<"$imports" || true)
[ -z "$foreign" ] && [ -n "$imports" ]
check $? "the exe imports only Windows' own DLLs ($(echo $imports))${foreign:+; not: $foreign}"

expected=$(printf '%s\n' iroiro-windows-x64/ iroiro-windows-x64/iroiro.exe iroiro-windows-x64/README.txt \
  iroiro-windows-x64/iroiro/ "${dataFiles[@]/#/iroiro-windows-x64/iroiro/}" | sort)
same=0
for f in "${dataFiles[@]}"; do cmp -s "$data/$f" "$app/iroiro/$f" || same=1; done
[ "$(unzip -Z1 "$zip" | sort)" = "$expected" ] && [ $same = 0 ] && grep -q -- "--at" "$app/README.txt"
check $? "the zip holds the exe, README.txt and the five data files of the Linux build ($(du -k "$zip" | cut -f1) KiB)"

# ---------------------------------------------------------------------------------------------
# Runs of the show: started in the background from the package's folder.
showPid=""
startShow() { # startShow NAME ARGS...
  local name=$1
  shift
  (cd "$app" && exec wine iroiro.exe "$@") >"$tmp/$name.out" 2>"$tmp/$name.err" &
  showPid=$!
}
# Sets status to the show's exit status once it has ended, within $1 seconds; to "running"
# otherwise (the run is then ended).
showStatus() {
  status=0
  if waitFor '! kill -0 "$showPid" 2>/dev/null' "$1"; then
    wait "$showPid" || status=$?
  else
    status=running
    kill "$showPid" 2>/dev/null
    wineserver -k 2>/dev/null || true
    wait "$showPid" 2>/dev/null || true
    wineserver -p30 >>"$tmp/wineserver.log" 2>&1
  fi
}
# The id of the show's mapped window, within 60 s.
showWindow() {
  local id=""
  waitFor 'id=$(xdotool search --onlyvisible --name "iroiro\.exe\$" 2>/dev/null | head -1); [ -n "$id" ]' 60 || true
  echo "$id"
}
# Screenshots the window until it shows a picture (the first frames follow the replay of an --at
# start); the shot is left in $2. Fails at once when the show has ended.
firstPicture() {
  pictureWindow=$1 pictureFile=$2
  waitFor '{ kill -0 "$showPid" 2>/dev/null || return 1; } &&
           timeout 20 import -window "$pictureWindow" "$pictureFile" 2>/dev/null &&
           [ "$(convert "$pictureFile" -format "%[fx:mean>0.02]" info:)" = 1 ]' 90
}
pressKey() { # pressKey WINDOW KEY
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  xdotool key "$2"
}

startShow help --help
showStatus 60
[ "$status" = 0 ] && grep -q "^Usage:" "$tmp/help.out"
check $? "--help prints the usage to the console and ends with 0 (status $status)"
startShow bad --no-such-option
showStatus 60
[ "$status" = 2 ] && grep -q "unknown option" "$tmp/bad.err"
check $? "an unknown option ends with 2 and says so (status $status)"

# The picture at T: among showcap's frames from T-1 s to T+2 s (tenths of a second), the one
# closest to the window's first picture lies between T and T+1 s (the shot follows the first
# frame by the time a screenshot takes), and it is closer than the frame 1 s before T.
for at in 30 95; do
  startShow "at$at" --window=640x360 --at "$at"
  window=$(showWindow)
  shot="$tmp/shot$at.png"
  if [ -z "$window" ] || ! firstPicture "$window" "$shot"; then
    fail "--at $at: no picture in the window"
    showStatus 1
    continue
  fi
  pressKey "$window" Escape
  showStatus 30
  check "$([ "$status" = 0 ]; echo $?)" "--at $at: Escape ends the show with 0 (status $status)"

  "$showcap" frames "$tmp/linux$at" --data "$linuxBuild" --size 640x360 --fps 10 --from $((at - 1)) --to $((at + 2)) \
    >/dev/null 2>&1
  convert "$shot" -resize 160x90! "$tmp/small.png"
  best="" bestDistance=9 before=""
  for frame in "$tmp/linux$at"/frame_*.png; do
    n=$(basename "$frame" .png)
    n=$((10#${n#frame_}))
    distance=$(convert "$frame" -resize 160x90! png:- | { compare -metric RMSE "$tmp/small.png" - null: 2>&1 || true; } |
      sed 's/.*(\(.*\))/\1/')
    [ $n = $(((at - 1) * 10)) ] && before=$distance
    if awk "BEGIN{exit !($distance < $bestDistance)}"; then best=$n bestDistance=$distance; fi
  done
  [ -n "$best" ] && [ "$best" -ge $((at * 10)) ] && [ "$best" -lt $(((at + 1) * 10)) ] &&
    awk "BEGIN{exit !($bestDistance < $before)}"
  check $? "--at $at: the window shows that moment (closest frame at $((best / 10)).$((best % 10)) s, RMSE $bestDistance; $((at - 1)) s: $before)"
done

# A missing picture: MessageBoxA called with no owner, the notice's exact text, no caption and
# MB_OK (Wine's trace of that one call); Return dismisses the box and the show goes on.
mkdir -p "$tmp/nosprite/iroiro"
cp "$data"/* "$tmp/nosprite/iroiro/"
rm "$tmp/nosprite/iroiro/syfyd.bmp"
dataDir=$(winepath -w "$tmp/nosprite")
WINEDEBUG=+relay startShow notice --window=320x180 --data "$dataDir"
box=""
waitFor 'box=$(xdotool search --onlyvisible --name "^Error\$" 2>/dev/null | head -1); [ -n "$box" ]' 60
call=$(grep -a -m1 "Call user32.MessageBoxA(" "$tmp/notice.err" | sed 's/^[0-9a-f]*:Call //; s/ ret=.*//; s/,[0-9a-f]* "/,"/')
wanted="user32.MessageBoxA(00000000,\"Load Bitmap failed : ${dataDir//\\/\\\\}/iroiro/syfyd.bmp\",00000000,00000000)"
[ -n "$box" ] && [ "$call" = "$wanted" ]
check $? "a missing picture raises the notice: $call"
if [ -n "$box" ]; then
  xdotool key --window "$box" Return
  window=$(showWindow)
  [ -n "$window" ] && firstPicture "$window" "$tmp/notice.png" && kill -0 "$showPid" 2>/dev/null
  check $? "Return dismisses the notice and the show goes on"
  [ -n "$window" ] && pressKey "$window" Escape
fi
showStatus 30

# The sound: recorded from the null sink's monitor, its loudness from 20 ms to 20 ms matched
# against the decoded soundtrack's. The recording lines up with the soundtrack at the show's
# starting point, from 0.3 s before it to 1.2 s after (MCI's start loses up to half a second
# under Wine, more under load).
ffmpeg -v error -i "$data/k13.mp3" -ac 1 -ar 8000 -f s16le "$tmp/soundtrack.raw"
matchSound() { # matchSound RECORDING FROM-SECONDS: prints "OFFSET CORRELATION", status 1 when unmatched
  python3 - "$tmp/soundtrack.raw" "$1" "$2" <<'EOF'
import array, math, sys
def loudness(path):
    samples = array.array('h')
    with open(path, 'rb') as f:
        samples.frombytes(f.read())
    block = 160  # 20 ms at 8 kHz
    return [math.log1p(math.sqrt(sum(s * s for s in samples[i:i + block]) / block))
            for i in range(0, len(samples) - block + 1, block)]
track, recording, start = loudness(sys.argv[1]), loudness(sys.argv[2]), float(sys.argv[3])
onset = next((i for i, v in enumerate(recording) if v > math.log1p(20)), None)  # the null sink's silence is 0
if onset is None:
    print("silence 0"); sys.exit(1)
part = recording[onset:onset + 200]  # 4 s from the first sound
# Blocks where the recording dropped out (the player starved of processor time under load) are
# left out of the comparison.
heard = [i for i, v in enumerate(part) if v > math.log1p(20)]
def correlation(lag):
    a = [part[i] for i in heard]; b = [track[lag + i] for i in heard]
    n = len(a); ma = sum(a) / n; mb = sum(b) / n
    sab = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    saa = sum((x - ma) ** 2 for x in a); sbb = sum((y - mb) ** 2 for y in b)
    return sab / math.sqrt(saa * sbb) if saa and sbb else 0
first = max(0, int((start - 2) * 50))
best = max((correlation(lag), lag) for lag in range(first, min(int((start + 3) * 50), len(track) - len(part))))
# The soundtrack's position at the recording's first sound.
print("%.2f %.3f" % (best[1] / 50, best[0]))
sys.exit(0 if best[0] > 0.8 and start - 0.3 <= best[1] / 50 <= start + 1.2 else 1)
EOF
}
record() { # record FILE: starts recording the null sink
  recording=$1
  parec -d cap.monitor --rate=8000 --channels=1 --format=s16le >"$recording" 2>/dev/null &
  recordPid=$!
}
# Waits while the recording grows by $1 seconds: the sound server writes at the real-time pace,
# so its length is the test's clock.
recordFor() {
  recordTarget=$(($(stat -c %s "$recording") + $1 * 16000))
  waitFor '[ "$(stat -c %s "$recording")" -ge "$recordTarget" ]' $(($1 * 3 + 10))
}
stopRecording() {
  kill -INT "$recordPid" 2>/dev/null || true
  wait "$recordPid" 2>/dev/null || true
}

# Each run records from before the show starts until 6 s after its window shows, then ends the
# show with Escape while the soundtrack plays: the show closes it on the way out (ending the
# process with MCI playing can crash it under Wine). From 23 s the recording holds the
# soundtrack's step from quiet to loud at 25 s, which pins the position.
for at in 0 23; do
  record "$tmp/sound$at.raw"
  LP_NUM_THREADS=1 startShow "sound$at" --window=160x90 --at "$at"
  window=$(showWindow)
  [ -n "$window" ] && recordFor 6
  # From 23 s, Home then plays the soundtrack from its start again (MCI's play from 0): what
  # follows the key, from half a second on, is the soundtrack's opening.
  if [ "$at" = 23 ] && [ -n "$window" ]; then
    pressKey "$window" Home
    homeAt=$(($(stat -c %s "$recording") / 2 * 2 + 8000))
    recordFor 4
  fi
  stopRecording
  [ -n "$window" ] && pressKey "$window" Escape
  showStatus 30
  result=$(matchSound "$tmp/sound$at.raw" "$at")
  check $? "--at $at: the sound is the soundtrack from $at s (position, correlation: $result)"
  check "$([ "$status" = 0 ]; echo $?)" "--at $at: Escape during the sound ends the show with 0 (status $status)"
done
tail -c +$((homeAt + 1)) "$tmp/sound23.raw" >"$tmp/home.raw"
result=$(matchSound "$tmp/home.raw" 0)
check $? "Home plays the soundtrack from its start again (position 0.5 s after the key, correlation: $result)"

# Space pauses picture and sound (MCI's pause) and resumes both (MCI's resume): the picture holds
# still and the recording falls silent between the two presses, with sound before and after.
record "$tmp/pause.raw"
LP_NUM_THREADS=1 startShow pause --window=160x90 --at 30
window=$(showWindow)
held=1
if [ -n "$window" ]; then
  recordFor 4
  pressKey "$window" space
  recordFor 1
  import -window "$window" "$tmp/held1.png"
  recordFor 1
  import -window "$window" "$tmp/held2.png"
  recordFor 1
  [ "$(compare -metric AE "$tmp/held1.png" "$tmp/held2.png" null: 2>&1)" = 0 ] && held=0
  pressKey "$window" space
  recordFor 3
fi
stopRecording
[ -n "$window" ] && pressKey "$window" Escape
showStatus 30
gaps=$(python3 - "$tmp/pause.raw" <<'EOF'
import array, math, sys
samples = array.array('h')
with open(sys.argv[1], 'rb') as f:
    samples.frombytes(f.read())
block = 800  # 0.1 s at 8 kHz
sound = [math.sqrt(sum(s * s for s in samples[i:i + block]) / block) > 20
         for i in range(0, len(samples) - block + 1, block)]
runs = []  # lengths of the runs of sound and silence after the first sound, in tenths
for on in sound[sound.index(True):] if True in sound else []:
    if runs and runs[-1][0] == on:
        runs[-1][1] += 1
    else:
        runs.append([on, 1])
print(" ".join(("sound" if on else "silence") + " %.1f s" % (n / 10) for on, n in runs))
longest = max([i for i, r in enumerate(runs) if not r[0] and r[1] >= 15], default=None, key=lambda i: runs[i][1])
after = sum(n for on, n in runs[longest + 1:] if on) if longest is not None else 0
sys.exit(0 if longest is not None and 0 < longest and after >= 10 else 1)
EOF
)
ok=$?
[ $ok = 0 ] && [ $held = 0 ] && [ "$status" = 0 ]
check $? "Space pauses and resumes picture and sound ($gaps; picture held: $([ $held = 0 ] && echo yes || echo no); status $status)"

# No sound device (Wine's audio drivers left out): the show runs silently and ends on time, the
# end 2.8 s after the first picture of --at 112.
WINEDLLOVERRIDES="$wineOverrides;winepulse.drv,winealsa.drv=" startShow silent --window=320x180 --at 112
window=$(showWindow)
[ -n "$window" ] && firstPicture "$window" "$tmp/silent.png"
shown=$EPOCHREALTIME
showStatus 60
took=$(awk "BEGIN{printf \"%.1f\", $EPOCHREALTIME - $shown}")
[ "$status" = 0 ] && awk "BEGIN{exit !($took >= 1.5 && $took <= 6)}"
check $? "without a sound device --at 112 ends by itself with 0, $took s after its first picture (status $status)"

if [ $failures -gt 0 ]; then
  echo "test-windows: $failures check(s) failed"
  exit 1
fi
echo "test-windows: all checks passed"
