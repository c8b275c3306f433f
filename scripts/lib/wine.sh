# The Wine programs the scripts use, named once (sourced). Call wine_use_prefix before any other.
#
#   wine_build NAME         the Windows build a script runs: win32 (the shipped one, in the
#                           32-bit half of a 64-bit prefix) or win64; sets build and bin (under
#                           $root/build) and the bitness of wine_reg, wine_regsvr32, wine_cscript
#   wine_builds ARGS        the builds a test script runs: its arguments, or both
#   wine_use_prefix DIR     selects (and exports) the prefix
#   wine_fresh_prefix DIR   removes DIR and makes a new prefix there
#   wine_ensure_prefix DIR  makes the prefix when it is missing or unfinished
#   wine_run PROGRAM ARGS   a Windows program (wine_reg, wine_regsvr32, wine_cscript: those three)
#   wine_settle             waits until every process of the prefix has ended and the
#                           server has written the registry files
#   wine_stop               ends every process of the prefix
#   winpath PATH            the Windows name of a Linux path (Z: maps the Linux root)
#   wine_tools_prefix       the console tool built and the prefix the tool suites share
#   wine_dialog_prefix NAME LOG   (with check.sh) what a suite that drives the dialog needs; sets
#                           browser_log, the file the recording browser appends addresses to
#
# Debian's wineserver runs without persistence (-p0): it exits, writing system.reg and user.reg,
# as soon as its last program ends, and each later command starts a new one.

wine_dir=/usr/lib/wine
wine64=$wine_dir/wine64
wineserver=$wine_dir/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer on a new prefix: neither is needed, and their installers would
# keep running in the background after the first boot.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

wine_available() {
  if [ ! -x "$wine64" ]; then
    echo "wine64 is not installed at $wine64 (scripts/setup.sh installs it)"
    return 1
  fi
}

wine_use_prefix() { export WINEPREFIX=$1; }

# Windows controls need a display: `wine_on_virtual_display "$0" "$@"` runs the calling
# script again on a virtual X server (once; the second run goes on past the call, with
# DIAGS_UNDER_XVFB set).
wine_on_virtual_display() {
  [ -n "${DIAGS_UNDER_XVFB:-}" ] && return 0
  DIAGS_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$@"
}

# A 64-bit prefix has both halves: 32-bit programs (the shipped build, and the system's own in
# C:\windows\syswow64) run in it as they do on 64-bit Windows, with their own registry view.
# wine64 starts a program of either bitness.
wine_system=''  # where the system programs of the current build's bitness are
wine_build() {
  case "$1" in
    win32) wine_system='C:\windows\syswow64\' ;;
    win64) wine_system='' ;;
    *) echo "unknown Windows build '$1' (win32 or win64)" >&2; return 1 ;;
  esac
  wine_build_name=$1
  build=$root/build/$1
  bin=$build/bin
}
wine_builds() { if (($#)); then printf '%s\n' "$@"; else printf '%s\n' win32 win64; fi; }

wine_run() { "$wine64" "$@"; }
wine_reg() { "$wine64" "${wine_system}reg.exe" "$@"; }
wine_regsvr32() { "$wine64" "${wine_system}regsvr32.exe" "$@"; }
wine_cscript() { "$wine64" "${wine_system}cscript.exe" "$@"; }

wine_settle() { "$wineserver" -w; }
wine_stop() { "$wineserver" -k 2>/dev/null || true; }

# The first boot of a prefix goes on in the background after wineboot returns (services, device
# setup, the desktop, the registry written by the server as it exits): wait for all of it, so
# the first command of a script does not race it. system.reg marks a finished first boot.
_wine_boot() {
  local out rc
  out=$("$wine64" wineboot -i 2>&1) && rc=0 || rc=$?
  wine_settle
  if [ "$rc" -ne 0 ] || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wineboot could not make the prefix $WINEPREFIX (exit $rc):"
    printf '%s\n' "$out" | tail -20
    return 1
  fi
}

# The caption buttons of every window are drawn with the Marlett symbol font. The
# distribution ships Wine's own copy beside Wine, where this Wine does not look for it, and
# without it the buttons show the letters "0 1 r": the prefix gets the font in its Fonts
# folder, which Wine reads at each start.
wine_fonts_dir=/usr/share/wine/fonts
_wine_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [ -f "$wine_fonts_dir/marlett.ttf" ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp "$wine_fonts_dir/marlett.ttf" "$fonts/"
  fi
}

# A program that crashes ends at once with its exception code (and a test program's crash
# fails its suite) instead of starting Wine's debugger: the prefix has the debugger disabled.
_wine_no_debugger() {
  [ -f "$WINEPREFIX/.no-debugger" ] && return 0
  "$wine64" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /d '' /f >/dev/null 2>&1 &&
    touch "$WINEPREFIX/.no-debugger"
}

wine_fresh_prefix() {
  wine_use_prefix "$1"
  wine_stop
  rm -rf "$WINEPREFIX"
  _wine_boot && _wine_fonts && _wine_no_debugger
}

wine_ensure_prefix() {
  wine_use_prefix "$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_stop
    rm -rf "$WINEPREFIX"  # an unfinished first boot is started again
    _wine_boot || return 1
  fi
  _wine_fonts
  _wine_no_debugger
}

winpath() { echo "Z:${1//\//\\}"; }

# A suite that drives the dialog: the component, the host and the probe built; a fresh prefix
# (build/wineprefix-NAME) with one virtual desktop for every program, so the dialog gets its
# frame and close box and the probe sees the same windows; DiagsConfig.dll registered; and, as
# on a Windows desktop, .htm pages opened by "the browser", here a recorder that appends each
# address it is asked to open to $browser_log. Counts its checks; returns 1 when a suite
# cannot go on.
wine_dialog_prefix() {
  local name=$1 log=$2
  check "the component, the host and the probe build" -- eval 'cmake --preset "$wine_build_name" >/dev/null &&
    cmake --build --preset "$wine_build_name" --target DiagsConfig diagshost diagsprobe kvuien diags_help_page' || true
  [ "$check_rc" -eq 0 ] || return 1
  wine_available || { fail "wine64 is installed"; return 1; }
  wine_fresh_prefix "$build/wineprefix-$name" || { fail "a fresh Wine prefix is made"; return 1; }
  wine_reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d "$name" /f >>"$log" 2>&1
  wine_reg add 'HKCU\Software\Wine\Explorer\Desktops' /v "$name" /d 1024x768 /f >>"$log" 2>&1
  check "regsvr32 registers DiagsConfig.dll" -- wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"
  local browser=$build/$name-browser.sh
  browser_log=$build/$name-browser.txt
  printf '#!/bin/sh\necho "$*" >>"%s"\n' "$browser_log" >"$browser"
  chmod +x "$browser"
  wine_reg add 'HKCR\.htm' /ve /d htmlfile /f >>"$log" 2>&1
  wine_reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$browser" /f >>"$log" 2>&1
}

# The suites of the console tool: diagsconfig.exe (with the strings and the help page it
# names) built, and a prefix whose first boot has finished, shared by those suites.
wine_tools_prefix() {
  wine_available || return 1
  cmake --preset "$wine_build_name" >/dev/null &&
    cmake --build --preset "$wine_build_name" --target diagsconfig kvuien diags_help_page >/dev/null || return 1
  wine_ensure_prefix "$build/wineprefix-tools"
}
