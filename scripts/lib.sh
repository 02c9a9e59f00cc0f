# Sourced by the scripts: the project's root, a display for what needs one, the script's clean-up,
# and its report: steps and checks, each timed and recorded, none hiding another's failure, and a
# table of them all at the end.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# onExit COMMAND: runs the command (a string, as trap takes it) when this shell ends, whatever ends
# it (its last line, exit, a stop signal), after those given before it. A subshell runs only its
# own: it inherits the list, not the duty.
exitActions=()
onExit() {
  exitActions+=("$BASHPID $1")
  trap runExitActions EXIT
}
runExitActions() {
  local action
  for action in "${exitActions[@]}"; do
    [ "${action%% *}" = "$BASHPID" ] && eval "${action#* }"
  done
  return 0
}

# privateDisplay FOLDER [WxHxD]: starts a private X server (1280x1024x24 unless given; no window
# manager, open only to holders of a fresh key kept in FOLDER) that ends with this shell, also
# when the shell is killed outright. Sets privateDisplayName (":N") and privateDisplayPid; the
# clients it serves need DISPLAY=$privateDisplayName and XAUTHORITY=FOLDER/xauth.
privateDisplay() {
  local folder=$1 screen=${2:-1280x1024x24} cookie waited=0
  touch "$folder/xauth"
  cookie=$(mcookie)
  xauth -f "$folder/xauth" add :0 . "$cookie"
  setpriv --pdeathsig TERM Xvfb -displayfd 3 -auth "$folder/xauth" -screen 0 "$screen" -noreset -nolisten tcp \
    3>"$folder/display" 2>"$folder/xvfb.log" &
  privateDisplayPid=$!
  until [ -s "$folder/display" ]; do
    if ! kill -0 "$privateDisplayPid" 2>/dev/null || [ "$waited" -ge 300 ]; then
      echo "the private X server did not start:" >&2
      cat "$folder/xvfb.log" >&2
      return 1
    fi
    sleep 0.1
    waited=$((waited + 1))
  done
  privateDisplayName=":$(head -n 1 "$folder/display")"
  xauth -f "$folder/xauth" add "$privateDisplayName" . "$cookie"
}

# withDisplay [--screen WxHxD] [--private] COMMAND...: runs the command on the display there is,
# or (with none, or with --private) on a private X server (1280x1024x24 unless given) that ends
# with it.
withDisplay() {
  local screen=1280x1024x24 private=0 folder status
  while :; do
    case "${1:-}" in
      --screen) screen=$2; shift 2 ;;
      --private) private=1; shift ;;
      *) break ;;
    esac
  done
  if [ -n "${DISPLAY:-}" ] && [ "$private" = 0 ]; then
    "$@"
    return
  fi
  folder=$(mktemp -d) || return 1
  onExit "rm -rf '$folder'"
  privateDisplay "$folder" "$screen" || return 1
  DISPLAY=$privateDisplayName XAUTHORITY="$folder/xauth" "$@"
  status=$?
  kill "$privateDisplayPid" 2>/dev/null
  wait "$privateDisplayPid" 2>/dev/null
  rm -rf "$folder"
  return "$status"
}

# workFolder: makes a private folder, $work, removed when the script ends, together with the
# partial output the script names in $partial meanwhile; a stop signal ends the script as the
# signal would, through that clean-up.
workFolder() {
  work=$(mktemp -d)
  partial=
  onExit 'rm -rf "$work"; [ -z "$partial" ] || rm -f "$partial"'
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# The steps run so far: name, seconds, and passed, failed or skipped (with why).
stepNames=()
stepSeconds=()
stepResults=()
runningStep=""
runningName=""

# step NAME COMMAND...: runs the command as a step of its own, whatever the steps before it gave,
# and records its time and outcome. The command runs in a process group of its own, so that a
# stop of the whole run (see stopOnSignals) reaches everything the step started.
step() {
  local name=$1 started=$SECONDS status
  shift
  echo "== $name"
  set -m
  runningName=$name
  "$@" &
  runningStep=$!
  set +m
  wait "$runningStep"
  status=$?
  runningStep=""
  recordStep "$name" "$status" $((SECONDS - started))
}

# recordStep NAME STATUS [SECONDS]: records the outcome of a step or check run by the script itself
# (status 0: passed) and prints its line; without SECONDS, the time since the last one recorded.
lastRecorded=$SECONDS
recordStep() {
  local seconds=${3:-$((SECONDS - lastRecorded))}
  stepNames+=("$1")
  stepSeconds+=("$seconds")
  if [ "$2" -eq 0 ]; then
    stepResults+=(passed)
  else
    stepResults+=("failed (status $2)")
  fi
  lastRecorded=$SECONDS
  echo "== $1: ${stepResults[-1]} in $seconds s"
}

# check NAME COMMAND...: a short step whose output is kept, and shown (its first 20 lines,
# indented) only when it fails.
check() {
  local name=$1 started=$SECONDS output status
  shift
  output=$("$@" 2>&1)
  status=$?
  recordStep "$name" "$status" $((SECONDS - started))
  [ "$status" -eq 0 ] || printf '%s\n' "$output" | head -n 20 | sed 's/^/        /'
  return 0
}

# skipStep NAME WHY: records a step that could not run.
skipStep() {
  stepNames+=("$1")
  stepSeconds+=(0)
  stepResults+=("skipped: $2")
  lastRecorded=$SECONDS
  echo "== $1: skipped: $2"
}

# stepPassed NAME: whether that step ran and passed.
stepPassed() {
  local i
  for i in "${!stepNames[@]}"; do
    [ "${stepNames[$i]}" = "$1" ] && [ "${stepResults[$i]}" = passed ] && return 0
  done
  return 1
}

# stepAfter NEEDED NAME COMMAND...: the step, or skipped when the step it needs did not pass.
stepAfter() {
  local needed=$1
  shift
  if stepPassed "$needed"; then
    step "$@"
  else
    skipStep "$1" "needs the step \"$needed\""
  fi
}

# Prints the table of the steps and their total time; fails when any step failed or was skipped.
stepSummary() {
  local i total=0 bad=0
  echo
  printf '%-16s %7s  %s\n' step seconds result
  for i in "${!stepNames[@]}"; do
    printf '%-16s %7s  %s\n' "${stepNames[$i]}" "${stepSeconds[$i]}" "${stepResults[$i]}"
    total=$((total + stepSeconds[i]))
    [ "${stepResults[$i]}" = passed ] || bad=$((bad + 1))
  done
  printf '%-16s %7s  %s\n' total "$total" "$((${#stepNames[@]} - bad)) of ${#stepNames[@]} steps passed"
  [ "$bad" -eq 0 ]
}

# Ends the run at a stop signal (Ctrl-C, kill, a hang-up): the running step's process group is
# ended, the steps so far are summed up, and the script ends as the signal would.
stopOnSignals() {
  local signal
  for signal in INT TERM HUP; do
    # shellcheck disable=SC2064
    trap "stopRun $signal" "$signal"
  done
}

stopRun() {
  local signal=$1
  trap - INT TERM HUP
  if [ -n "$runningStep" ]; then
    kill -TERM -- "-$runningStep" 2>/dev/null
    wait "$runningStep" 2>/dev/null
    skipStep "$runningName" "stopped by SIG$signal"
  fi
  stepSummary >&2
  kill -s "$signal" $$
}
