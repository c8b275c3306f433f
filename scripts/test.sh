#!/usr/bin/env bash
# The whole test suite: native, native under sanitizers, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
for preset in native native-asan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
for extra in scripts/test-*.sh; do
  [ -e "$extra" ] || continue
  echo "== $extra"
  bash "$extra"
done
