#!/usr/bin/env bash
# The whole test suite: native, native under sanitizers, then the extra suites
# (scripts/test-*.sh: the store's fuzzing and tool checks, the Windows build under Wine).
# Every suite runs even when an earlier one failed; the exit code says whether all passed.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
failed=()
for preset in native native-asan; do
  echo "== $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" && ctest --preset "$preset"; }; then
    failed+=("$preset")
  fi
done
for extra in scripts/test-*.sh; do
  echo "== $extra"
  bash "$extra" || failed+=("$extra")
done
if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all suites passed"
