# The one check helper of the test scripts (sourced). Each check runs a command, counts it as
# passed or failed and, when it fails, prints the command, its exit code and its output, so a
# failure in CI explains itself. check_summary prints the closing "N passed, N failed" line.
#
#   check NAME -- CMD...               passes when CMD exits 0
#   check_match NAME REGEX -- CMD...   ... and its output matches REGEX (grep -E, any line)
#   check_equal NAME TEXT -- CMD...    ... and its output is TEXT (carriage returns dropped)
#   check_status NAME CODE -- CMD...   passes when CMD exits with CODE
#   pass NAME / fail NAME [DETAILS]    counts a verdict reached some other way
#   add_counts PASSED FAILED           adds counts reported by a test program
#   capture CMD...                     runs CMD: capture_output, capture_rc (no check counted)
#   check_summary                      prints the totals; returns 1 when anything failed
#
# CMD may be a shell function. Set CHECK_LOG to a file to keep every check's output there too;
# CHECK_LINES (40) limits how much of a failing command's output is printed.

check_passed=0
check_failed=0

pass() {
  check_passed=$((check_passed + 1))
  echo "ok - $1"
}

fail() {
  check_failed=$((check_failed + 1))
  echo "not ok - $1"
  if [ -n "${2:-}" ]; then printf '%s\n' "$2" | tail -n "${CHECK_LINES:-40}" | sed 's/^/    | /'; fi
  return 0
}

add_counts() {
  check_passed=$((check_passed + $1))
  check_failed=$((check_failed + $2))
}

# Runs "$@" with its output (stdout and stderr) in capture_output and its exit code in
# capture_rc. The output goes through a file, not a pipe: Wine's server and the services a
# Windows program starts outlive the program and keep its output open, so reading a pipe would
# wait for them as long as any other program of the prefix runs.
capture() {
  local file
  file=$(mktemp "${TMPDIR:-/tmp}/capture.XXXXXX") || { capture_rc=1; capture_output="mktemp failed"; return 0; }
  # (the && || form keeps a failing command from ending a script that runs under set -e)
  "$@" >"$file" 2>&1 && capture_rc=0 || capture_rc=$?
  capture_output=$(<"$file")
  rm -f "$file"
}

# Runs "$@" with its output in check_output (carriage returns dropped) and its exit code in check_rc.
_check_run() {
  capture "$@"
  check_rc=$capture_rc
  check_output=${capture_output//$'\r'/}
  if [ -n "${CHECK_LOG:-}" ]; then
    printf '== %s\n$ %s\n%s\n(exit %s)\n' "$check_name" "$*" "$check_output" "$check_rc" >>"$CHECK_LOG"
  fi
}

_check_verdict() {  # _check_verdict OK WHY CMD...
  local ok=$1 why=$2
  shift 2
  if [ "$ok" = 1 ]; then
    pass "$check_name"
  else
    fail "$check_name" "$(printf '%s\n$ %s  (exit %s)\n%s' "$why" "$*" "$check_rc" "$check_output")"
  fi
}

_check_dashes() {
  if [ "${1:-}" != "--" ]; then
    echo "check helper: expected -- before the command in \"$check_name\"" >&2
    return 1
  fi
}

check() {
  check_name=$1
  shift
  _check_dashes "$@" || { fail "$check_name" "malformed check"; return 0; }
  shift
  _check_run "$@"
  _check_verdict "$([ "$check_rc" -eq 0 ] && echo 1)" "the command failed:" "$@"
}

check_match() {
  check_name=$1
  local regex=$2
  shift 2
  _check_dashes "$@" || { fail "$check_name" "malformed check"; return 0; }
  shift
  _check_run "$@"
  local ok=""
  if [ "$check_rc" -eq 0 ] && grep -qE -- "$regex" <<<"$check_output"; then ok=1; fi
  _check_verdict "$ok" "expected output matching: $regex" "$@"
}

check_equal() {
  check_name=$1
  local expected=$2
  shift 2
  _check_dashes "$@" || { fail "$check_name" "malformed check"; return 0; }
  shift
  _check_run "$@"
  local ok=""
  if [ "$check_rc" -eq 0 ] && [ "$check_output" = "$expected" ]; then ok=1; fi
  _check_verdict "$ok" "expected output: $expected" "$@"
}

check_status() {
  check_name=$1
  local expected=$2
  shift 2
  _check_dashes "$@" || { fail "$check_name" "malformed check"; return 0; }
  shift
  _check_run "$@"
  _check_verdict "$([ "$check_rc" -eq "$expected" ] && echo 1)" "expected exit code $expected:" "$@"
}

check_summary() {
  echo "$check_passed passed, $check_failed failed"
  [ "$check_failed" -eq 0 ]
}

# `each_build "$0" "$@"` at the top of a script that tests one Windows build: without a build
# named (win32 or win64), the script runs itself once per build, the shipped win32 first, and
# ends with the sum of their verdicts; with one, it goes on past the call.
each_build() {
  local script=$1; shift
  (($#)) && return 0
  local name out p f
  for name in win32 win64; do
    out=$(mktemp "${TMPDIR:-/tmp}/each-build.XXXXXX")
    # Through a file, not a pipe (see capture): the output is shown when the build's run ends.
    bash "$script" "$name" >"$out" 2>&1 || true  # (the verdict is read from the summary)
    sed "s/^/$name: /" "$out"
    read -r p f < <(tail -n 1 "$out" | sed -nE 's/^([0-9]+) passed, ([0-9]+) failed$/\1 \2/p') || true
    rm -f "$out"
    if [ -n "${p:-}" ]; then add_counts "$p" "$f"; else fail "$(basename "$script") $name ran to its summary"; fi
    p=""
  done
  check_summary && exit 0
  exit 1
}
