#!/usr/bin/env bash
# Starts the component the way the desktop client does: sets the machine up, builds the
# shipped 32-bit build (the win32 preset), registers DiagsConfig.dll with the 32-bit regsvr32 in
# the 32-bit half of a 64-bit Wine prefix under the build tree and runs the 32-bit
# diagshost.exe, which creates DiagsConfig.CDiagnosticsConfig by its ProgID and calls
# ConfigureDiagnostics; the dialog stays open until the user closes it.
# Usage: run.sh [--win64]   (--win64: the same with the 64-bit build)
#
# With a display ($DISPLAY) the dialog is the user's to work with. Without one it runs on a
# virtual display inside a Wine virtual desktop (so the window has its frame) on the shipped
# default configuration: it saves screenshots of both tabs under build/, prints their paths,
# closes the dialog with its close box and ends.
# The exit code is the outcome (0-3), or 4 when the component could not be started.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/lib/wine.sh
case "${1:-}" in
  "") wine_build win32 ;;
  --win64) wine_build win64 ;;
  *) echo "usage: run.sh [--win64]" >&2; exit 4 ;;
esac
if [ -z "${DIAGS_UNDER_XVFB:-}" ]; then
  bash scripts/setup.sh
  cmake --preset "$wine_build_name" >/dev/null
  cmake --build --preset "$wine_build_name" --target DiagsConfig diagshost diagsprobe kvuien diags_help_page
  [ -n "${DISPLAY:-}" ] || wine_on_virtual_display "$0" "$@"
fi

wine_available || exit 4
if [ -n "${DIAGS_UNDER_XVFB:-}" ]; then prefix=$build/wineprefix-shots
else prefix=${WINEPREFIX:-$build/wineprefix-run}; fi
[ -f "$prefix/system.reg" ] || echo "run: making the Wine prefix $prefix"
wine_ensure_prefix "$prefix" || exit 4
wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"

if [ -z "${DIAGS_UNDER_XVFB:-}" ]; then
  status=0
  (cd "$bin" && wine_run diagshost.exe) || status=$?
  exit "$status"
fi

# ---- virtual display: the default configuration, screenshots, the close box
probe() { (cd "$bin" && wine_run diagsprobe.exe "$@" | tr -d '\r'); }
wine_reg delete 'HKCU\Software\Veltrane\Log Configuration' /f >/dev/null 2>&1 || true
wine_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d DiagsConfig /f >/dev/null 2>&1
wine_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v DiagsConfig /d 1024x768 /f >/dev/null 2>&1

echo "run: the $wine_build_name build's host and component"
(cd "$bin" && exec "$wine64" diagshost.exe) &
host=$!
if ! read -r x y w h < <(probe rect 60); then
  echo "run: the dialog did not appear" >&2
  kill "$host" 2>/dev/null || true
  exit 4
fi
shots=$root/build/screenshots
mkdir -p "$shots"
shoot() { sleep 0.5; import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$1.png"; echo "run: screenshot $shots/$1.png"; }

# Give the Wine desktop the keyboard: a click on the dialog's caption.
xdotool mousemove $((x + w / 3)) $((y + 8)) click 1
shoot dialog-tracing
xdotool key ctrl+Tab
shoot dialog-advanced
xdotool key ctrl+Tab

read -r cx cy < <(probe closebox)
xdotool mousemove "$cx" "$cy" click 1
if probe question 2 >/dev/null; then
  # Something was pending: show the question, then leave without saving.
  read -r x y w h < <(probe rect 1 || echo "$x $y $w $h")
  shoot exit-question
  probe answer no >/dev/null
fi
status=0
wait "$host" || status=$?
wine_stop
exit "$status"
