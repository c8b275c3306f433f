#!/usr/bin/env bash
# Times the shipped dialog under Wine on a virtual display (not a test; see
# bench/wine/bench_dialog_wine.cpp): the host's call to the first painted dialog, and a check
# of "Desktop Editors" to its last repaint.
#   scripts/bench-dialog-wine.sh [rounds [scale ...]]
# Each scale (default 1: the shipped configuration; 10 and 100 copy every component that many
# times) runs on a configuration of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/lib/wine.sh
if [ -z "${DIAGS_UNDER_XVFB:-}" ]; then
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 --target DiagsConfig bench_dialog_wine kvuien diags_help_page >/dev/null
fi
wine_on_virtual_display "$0" "$@"
bin=$root/build/win64/bin
wine_ensure_prefix "$root/build/win64/wineprefix-bench"
wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"
rounds=${1:-6}
shift || true
for scale in "${@:-1}"; do
  echo "== scale x$scale"
  wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
  (cd "$bin" && wine_run bench_dialog_wine.exe "$rounds" "$scale" | tr -d '\r')
done
wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
wine_stop
