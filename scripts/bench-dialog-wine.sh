#!/usr/bin/env bash
# Times the shipped dialog under Wine on a virtual display (not a test; see
# bench/wine/bench_dialog_wine.cpp): the host's call to the first painted dialog, and a check
# of "Desktop Editors" to its last repaint, on the default configuration. DIAGS_BENCH_SCALES
# (for example "1,10,100") runs it on configurations that many times the default's size too.
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
wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"
scales=${DIAGS_BENCH_SCALES:-}
for scale in ${scales//,/ }; do
  echo "== configuration x$scale"
  wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
  (cd "$bin" && wine_run bench_dialog_wine.exe "${1:-6}" "$scale" | tr -d '\r')
done
[ -n "$scales" ] || (cd "$bin" && wine_run bench_dialog_wine.exe "${1:-6}" | tr -d '\r')
wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
wine_stop
