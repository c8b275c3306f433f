#!/usr/bin/env bash
# A random person at the shipped dialog under Wine: for about MONKEY_SECONDS (default 60) s,
# random clicks and keys inside the dialog's rectangle (xdotool, real input), with a seed that
# is printed so a run can be repeated (MONKEY_SEED). Whenever the dialog closes it is opened
# again. Checks: the host never crashes (its outcome is always 0 to 3), never hangs (it ends
# after the close box and a No within 20 s), and the store still loads afterwards (reg query,
# and the dialog opens on it once more).
# Usage: test-monkey-wine.sh [win32|win64]   (default: the shipped win32 build)
# Prints "N passed, N failed" last and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/lib/check.sh
source scripts/lib/wine.sh
wine_build "${1:-win32}" || exit 1
wine_on_virtual_display "$0" "$@"

log=$build/test-monkey-wine.log
: >"$log"
CHECK_LOG=$log
seconds=${MONKEY_SECONDS:-60}
seed=${MONKEY_SEED:-$RANDOM}
RANDOM=$seed
echo "monkey seed $seed (MONKEY_SEED=$seed repeats it)"

wine_dialog_prefix monkey "$log" || { check_summary; exit 1; }

config='HKCU\Software\Veltrane\Log Configuration'
probe() { (cd "$bin" && wine_run diagsprobe.exe "$@" 2>>"$log" | tr -d '\r'); }

open_dialog() {
  (cd "$bin" && exec "$wine64" diagshost.exe >>"$log" 2>&1) &
  host=$!
  read -r x y w h < <(probe rect 60) || return 1
  return 0
}
# The host's outcome once it ended by itself (124: still running after `1` seconds).
outcome_within() {
  outcome=124
  for _ in $(seq 1 $(($1 * 5))); do
    kill -0 "$host" 2>/dev/null || break
    sleep 0.2
  done
  kill -0 "$host" 2>/dev/null && return 1
  wait "$host"
  outcome=$?
  return 0
}
# Closes whatever is open: message boxes answered No (else Cancel, else OK), then the close box.
# Cancel comes before OK so that a Save As or folder dialog the monkey left open is cancelled
# rather than used. Boxes are answered until none is left: a save the monkey started asks
# about every missing directory in turn (and says where the log goes instead), which can be
# many more than a handful of boxes.
close_everything() {
  local cx cy
  for _ in $(seq 1 60); do
    probe question 1 >/dev/null || break
    probe answer no >/dev/null || probe answer cancel >/dev/null || probe answer ok >/dev/null
    sleep 0.3
  done
  read -r cx cy < <(probe closebox) && xdotool mousemove "$cx" "$cy" click 1
  sleep 0.5
  for _ in $(seq 1 60); do
    probe question 1 >/dev/null || break
    probe answer no >/dev/null || probe answer cancel >/dev/null || probe answer ok >/dev/null
    sleep 0.3
  done
}

keys=(Tab Tab space space Return Escape Up Down Left Right Home End ctrl+s ctrl+Tab ctrl+shift+Tab alt+c
      alt+f alt+t BackSpace Delete a x 1 2 9 0 slash backslash period)
actions=0
runs=0
bad_outcomes=""
hangs=0
wine_reg delete "$config" /f >/dev/null 2>&1
start=$(date +%s)
while [ $(($(date +%s) - start)) -lt "$seconds" ]; do
  if ! open_dialog; then
    fail "the dialog opens (run $((runs + 1)))" "$(tail -5 "$log")"
    break
  fi
  runs=$((runs + 1))
  while kill -0 "$host" 2>/dev/null && [ $(($(date +%s) - start)) -lt "$seconds" ]; do
    if [ $((RANDOM % 3)) -eq 0 ]; then
      xdotool key --delay 30 "${keys[$((RANDOM % ${#keys[@]}))]}" 2>>"$log"
    else
      xdotool mousemove $((x + RANDOM % w)) $((y + RANDOM % h)) click 1 2>>"$log"
    fi
    actions=$((actions + 1))
    sleep 0.05
  done
  if kill -0 "$host" 2>/dev/null; then
    close_everything
    if ! outcome_within 20; then
      hangs=$((hangs + 1))
      kill "$host" 2>/dev/null
      wait "$host" 2>/dev/null
      continue
    fi
  else
    wait "$host"
    outcome=$?
  fi
  case $outcome in 0|1|2|3) ;; *) bad_outcomes+=" $outcome" ;; esac
done
echo "monkey: $runs dialogs, $actions clicks and keys in ${seconds} s" | tee -a "$log"

if [ -z "$bad_outcomes" ]; then pass "every dialog ended with an outcome from 0 to 3 (no crash)"
else fail "every dialog ended with an outcome from 0 to 3 (no crash)" "outcomes:$bad_outcomes (seed $seed)"; fi
if [ "$hangs" -eq 0 ]; then pass "every dialog closed when asked (no hang)"
else fail "every dialog closed when asked (no hang)" "$hangs did not end within 20 s (seed $seed)"; fi
check "the store still loads" -- wine_reg query "$config" /s
if open_dialog; then
  close_everything
  if outcome_within 20 && [ "$outcome" -ge 0 ] && [ "$outcome" -le 3 ]; then
    pass "the dialog opens on the store the monkey left and closes"
  else
    fail "the dialog opens on the store the monkey left and closes" "outcome $outcome"
  fi
else
  fail "the dialog opens on the store the monkey left"
fi
wine_stop
check_summary
