# Sourced by the scripts: the project's root, a display for what needs one, and the steps of a
# long run (each one timed and recorded, none hiding another's failure, a summary at the end).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# withDisplay [--screen WxHxD] COMMAND...: runs the command on the display there is, or in a
# private X server (1280x1024x24 unless given) that ends with it.
withDisplay() {
  local screen=1280x1024x24
  if [ "${1:-}" = --screen ]; then
    screen=$2
    shift 2
  fi
  if [ -n "${DISPLAY:-}" ]; then
    "$@"
  else
    xvfb-run -a -s "-screen 0 $screen -noreset" "$@"
  fi
}

# workFolder: makes a private folder, $work, removed when the script ends, together with the
# partial output the script names in $partial meanwhile; a stop signal ends the script as the
# signal would, through that clean-up.
workFolder() {
  work=$(mktemp -d)
  partial=
  trap 'rm -rf "$work"; [ -z "$partial" ] || rm -f "$partial"' EXIT
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
  stepNames+=("$name")
  stepSeconds+=($((SECONDS - started)))
  if [ "$status" -eq 0 ]; then
    stepResults+=(passed)
  else
    stepResults+=("failed (status $status)")
  fi
  echo "== $name: ${stepResults[-1]} in $((SECONDS - started)) s"
}

# skipStep NAME WHY: records a step that could not run.
skipStep() {
  stepNames+=("$1")
  stepSeconds+=(0)
  stepResults+=("skipped: $2")
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
