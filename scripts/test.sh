#!/usr/bin/env bash
# The whole test suite: native, native under sanitizers, then the extra suites
# (scripts/test-*.sh: the store's fuzzing and tool checks, the Windows build under Wine).
# Every suite runs even when an earlier one failed; the exit code says whether all passed.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
failed=()
total=0
for preset in native native-asan; do
  echo "== $preset"
  total=$((total + 1))
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" && ctest --preset "$preset"; }; then
    failed+=("$preset")
  fi
done
for extra in scripts/test-*.sh; do
  echo "== $extra"
  total=$((total + 1))
  bash "$extra" || failed+=("$extra")
done
((${#failed[@]})) && echo "failed suites: ${failed[*]}"
echo "suites: $((total - ${#failed[@]})) passed, ${#failed[@]} failed"
((${#failed[@]} == 0))
