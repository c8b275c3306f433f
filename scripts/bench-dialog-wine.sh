#!/usr/bin/env bash
# Times the shipped dialog under Wine on a virtual display (not a test; see
# bench/wine/bench_dialog_wine.cpp): the host's call to the first painted dialog, and a check
# of "Desktop Editors" to its last repaint, on the default configuration. Each build runs in
# a prefix of its own with its own bitness: win32 (the shipped build, in the 32-bit half of a
# 64-bit prefix) and win64, one after the other in the same run, so their figures compare.
# DIAGS_BENCH_SCALES (for example "1,10,100") runs each on configurations that many times the
# default's size too.
# Usage: bench-dialog-wine.sh [ROUNDS] [win32|win64]...   (default: 6 rounds, both builds)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/lib/wine.sh
rounds=${1:-6}
(($#)) && shift
builds=$(wine_builds "$@")
if [ -z "${DIAGS_UNDER_XVFB:-}" ]; then
  for name in $builds; do
    cmake --preset "$name" >/dev/null
    cmake --build --preset "$name" --target DiagsConfig bench_dialog_wine kvuien diags_help_page >/dev/null
  done
fi
wine_on_virtual_display "$0" "$rounds" "$@"
scales=${DIAGS_BENCH_SCALES:-}
for name in $builds; do
  wine_build "$name"
  wine_ensure_prefix "$build/wineprefix"  # the one scripts/test-wine.sh left, when there is one
  wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
  wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"
  for scale in ${scales//,/ }; do
    echo "$name: configuration x$scale"
    wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
    (cd "$bin" && wine_run bench_dialog_wine.exe "$rounds" "$scale" | tr -d '\r' | sed "s/^/$name: /")
  done
  [ -n "$scales" ] || (cd "$bin" && wine_run bench_dialog_wine.exe "$rounds" | tr -d '\r' | sed "s/^/$name: /")
  wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
  wine_stop
done
