#!/usr/bin/env bash
# Starts the component the way the desktop client does: sets the machine up, builds the
# win64 preset, registers DiagsConfig.dll in a Wine prefix under the build tree and runs
# diagshost.exe, which creates DiagsConfig.CDiagnosticsConfig by its ProgID and calls
# ConfigureDiagnostics. Uses the display in $DISPLAY when there is one, else a virtual one.
# The exit code is the outcome (0-3), or 4 when the component could not be started.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target DiagsConfig diagshost kvuien diags_help_page

source scripts/lib/wine.sh
bin=$(pwd)/build/win64/bin
prefix=${WINEPREFIX:-$(pwd)/build/win64/wineprefix-run}
wine_available || exit 4
[ -f "$prefix/system.reg" ] || echo "run: making the Wine prefix $prefix"
wine_ensure_prefix "$prefix" || exit 4
wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")" || { echo "run: regsvr32 could not register DiagsConfig.dll"; exit 4; }

status=0
if [ -n "${DISPLAY:-}" ]; then
  (cd "$bin" && "$wine64" diagshost.exe) || status=$?
else
  (cd "$bin" && xvfb-run -a -s "-screen 0 1280x1024x24" "$wine64" diagshost.exe) || status=$?
fi
exit "$status"
