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

bin=$(pwd)/build/win64/bin
export WINEPREFIX=${WINEPREFIX:-$(pwd)/build/win64/wineprefix-run} WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: making the Wine prefix $WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
"$wine" regsvr32 /s "Z:${bin//\//\\}\\DiagsConfig.dll"

status=0
if [ -n "${DISPLAY:-}" ]; then
  (cd "$bin" && "$wine" diagshost.exe) || status=$?
else
  (cd "$bin" && xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" diagshost.exe) || status=$?
fi
exit "$status"
