#!/usr/bin/env bash
# The whole test suite: native, native under sanitizers, then the extra suites
# (scripts/test-*.sh: the store's fuzzing and tool checks, the Windows build under Wine).
# Every suite runs even when an earlier one failed; the exit code says whether all passed.
set -uo pipefail
cd "$(dirname "$0")/.."
TIMEFORMAT="-- set-up: %0R s"
time bash scripts/setup.sh || exit 1
failed=()
total=0
start=$SECONDS
for preset in native native-asan; do
  echo "== $preset"
  total=$((total + 1))
  TIMEFORMAT="-- $preset: %0R s (CPU %0U s user, %0S s system)"
  time if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" && ctest --preset "$preset"; }; then
    failed+=("$preset")
  fi
done
for extra in scripts/test-*.sh; do
  echo "== $extra"
  total=$((total + 1))
  TIMEFORMAT="-- $extra: %0R s (CPU %0U s user, %0S s system)"
  time bash "$extra" || failed+=("$extra")
done
echo "-- all suites: $((SECONDS - start)) s"
((${#failed[@]})) && echo "failed suites: ${failed[*]}"
echo "suites: $((total - ${#failed[@]})) passed, ${#failed[@]} failed"
((${#failed[@]} == 0))
