#!/usr/bin/env bash
# The Windows builds under Wine: for each build (win32, the shipped 32-bit one, run in the
# 32-bit half of a 64-bit prefix as on 64-bit Windows; then win64) it builds the preset, makes
# a fresh prefix under the build tree, runs every Windows test executable, checks the DLL's
# export table, registers DiagsConfig.dll with the regsvr32 of its bitness, runs the VBScript
# suite under the cscript of its bitness, unregisters and checks that no key is left behind.
# With both builds it then checks them side by side in one prefix: each registers in its own
# registry view, unregistering one leaves the other working, and both bitnesses share one
# product folder and one log configuration.
# Usage: test-wine.sh [win32|win64]...   (default: both)
# Prints "N passed, N failed" last and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source scripts/lib/check.sh
source scripts/lib/wine.sh
# Everything runs under one virtual X server.
wine_on_virtual_display "$0" "$@"

mkdir -p "$root/build"
log=$root/build/test-wine.log
: >"$log"
CHECK_LOG=$log  # every check's output, passed or not
wine_available || { fail "wine64 is installed"; check_summary; exit 1; }

in_dir() { local dir=$1; shift; (cd "$dir" && "$@"); }
# A GoogleTest executable (all of them sit in bin/, beside the resource DLL): every case counts; a crash without a verdict counts as one failure.
run_gtest() {
  local exe=$1 name out rc ok_cases failed_cases
  name=$(basename "$exe")
  capture in_dir "$(dirname "$exe")" timeout 120 "$wine64" "./$name"
  out=$capture_output rc=$capture_rc
  printf '== %s %s\n%s\n' "$wine_build_name" "$name" "$out" >>"$log"
  ok_cases=$(grep -c '^\[       OK \]' <<<"$out")
  failed_cases=$(grep -cE '^\[  FAILED  \] [^ ]+\.[^ ]+ \(' <<<"$out")
  add_counts "$ok_cases" "$failed_cases"
  # Each failed case with the lines GoogleTest printed for it.
  if [ "$failed_cases" -gt 0 ]; then
    awk -v exe="$name" '/^\[ RUN      \]/ { buf = ""; } { buf = buf "\n    | " $0 }
      /^\[  FAILED  \] [^ ]+\.[^ ]+ \(/ && buf != "" { print exe ": not ok -" substr($0, 13) buf; buf = "" }' <<<"$out" | head -200
  fi
  if [ "$rc" -eq 124 ]; then
    fail "$wine_build_name $name finished within 120 s (a window waiting for input?)" "$(tail -20 <<<"$out")"
  elif [ "$rc" -ne 0 ] && [ "$failed_cases" -eq 0 ]; then
    fail "$wine_build_name $name exited with $rc" "$(tail -40 <<<"$out")"
  fi
  echo "$wine_build_name $name: $ok_cases passed, $failed_cases failed"
}

# The COM server's registration: the classes, their interfaces and the type library.
libid='{37F17646-642E-4C6E-B0B7-6984845D0FD4}'
classes=("CDiagnosticsConfig {6E2DB3A4-35A2-4214-A713-615C9FDBD550}" "COutput {33EC9949-DD15-43D1-BBBB-BD7F00770AF6}"
         "CDiagMap {646CE8D5-0CCC-444B-8AB5-8CD434242A8A}" "CDiagMapEntries {7839D475-C8A4-4007-88B6-991C37BDF8C4}"
         "CDiagMapEntry {EB6627EA-18E2-436D-9D52-5A767595F8C5}" "CTraceSetting {2870F46A-484A-484C-8177-8C8A7EA6C5BC}")
interfaces=('{B5DCF7C9-50BD-4E84-9BD7-C6641D64878A}' '{243438FC-4A22-46EE-B089-BC88D82AD5F2}'
            '{7F3179BC-3927-40B0-8A74-D33114958932}' '{ABA6BD79-1C6F-4F3E-A031-BF81AB01AC77}'
            '{FF7E5A7B-FB43-4E2D-9959-422AFF3C55A6}' '{56F5E2E7-43A2-499F-9B49-4B9716CD0874}')
reg_query() { wine_reg query "$@" 2>/dev/null | tr -d '\r'; }
# Prints KEY's values; fails unless one line matches REGEX (case-insensitive).
key_has() {
  local out
  out=$(reg_query "$1")
  printf '%s\n' "${out:-(no key $1)}"
  grep -qiE -- "$2" <<<"$out"
}
# Fails, printing what is there, when KEY exists.
key_absent() {
  local out
  if out=$(reg_query "$1"); then printf 'still there:\n%s\n' "$out"; return 1; fi
}
class_registered() {  # NAME CLSID
  local name=$1 clsid=$2 ok=0
  key_has "HKCR\\CLSID\\$clsid\\InprocServer32" 'ThreadingModel\s+REG_SZ\s+Apartment' || ok=1
  key_has "HKCR\\CLSID\\$clsid\\InprocServer32" 'DiagsConfig\.dll' || ok=1
  key_has "HKCR\\CLSID\\$clsid\\ProgID" "DiagsConfig\\.$name" || ok=1
  key_has "HKCR\\CLSID\\$clsid\\TypeLib" "$libid" || ok=1
  key_has "HKCR\\DiagsConfig.$name\\CLSID" "$clsid" || ok=1
  return "$ok"
}
class_removed() {  # NAME CLSID
  local name=$1 clsid=$2 ok=0
  key_absent "HKCR\\CLSID\\$clsid" || ok=1
  key_absent "HKCR\\DiagsConfig.$name" || ok=1
  key_absent "HKLM\\Software\\Classes\\CLSID\\$clsid" || ok=1
  return "$ok"
}
no_library_keys() {
  local ok=0 iid
  key_absent "HKCR\\TypeLib\\$libid" || ok=1
  for iid in "${interfaces[@]}"; do
    key_absent "HKCR\\Interface\\$iid" || ok=1
  done
  return "$ok"
}
run_host() { in_dir "$bin" timeout 120 "$wine64" diagshost.exe; }
# The DLL exports the four entry points under their plain names, and nothing else: a 32-bit
# build exports __stdcall functions decorated (DllGetClassObject@12) unless the module
# definition file names them.
exports_plain() {
  local names
  names=$(x86_64-w64-mingw32-objdump -p "$1" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' | sort | tr '\n' ' ')
  echo "exports: $names"
  [ "$names" = "DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer " ]
}

# Everything one build has to pass, in a fresh prefix of its own.
test_build() {
  wine_build "$1" || return
  echo "== $wine_build_name"
  local out
  out=$(cmake --preset "$wine_build_name" 2>&1) || { fail "the $wine_build_name preset configures" "$out"; return; }
  # Keep going past a target that fails to build, so everything else is still tested; the
  # failure is counted below.
  local build_log build_rc began=$SECONDS
  build_log=$(cmake --build --preset "$wine_build_name" -- -k 2>&1)
  build_rc=$?
  echo "-- $wine_build_name: built in $((SECONDS - began)) s"
  printf '%s\n' "$build_log" >>"$log"
  if [ "$build_rc" -ne 0 ]; then
    fail "the $wine_build_name preset builds completely" "$(grep -E 'error|Error [0-9]' <<<"$build_log" | head -20)"
  fi
  wine_fresh_prefix "$build/wineprefix" || { fail "a fresh Wine prefix is made for $wine_build_name"; return; }

  # ConfigureDiagnostics shows the real dialog: in the suites that only call it, a person closes
  # it again (the probe presses the close box and answers the exit question with No).
  (cd "$bin" && exec "$wine64" diagsprobe.exe closer 1800 "Diagnostics Configuration") >/dev/null 2>&1 &

  local exe
  began=$SECONDS
  while IFS= read -r exe; do
    run_gtest "$exe"
  done < <(find "$bin" -maxdepth 1 -name 'test_*.exe' | sort)
  echo "-- $wine_build_name: test programs ran in $((SECONDS - began)) s"

  local dll=$bin/DiagsConfig.dll entry name clsid script rc out p f
  if [ ! -f "$dll" ]; then fail "DiagsConfig.dll was built ($wine_build_name)"; wine_stop; return; fi
  check "$wine_build_name: the DLL exports exactly the four entry points, undecorated" -- exports_plain "$dll"
  check "$wine_build_name: regsvr32 registers DiagsConfig.dll" -- wine_regsvr32 /s "$(winpath "$dll")"
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$wine_build_name $name: CLSID, InprocServer32 (Apartment), ProgID and TypeLib registered" -- class_registered "$name" "$clsid"
  done
  check "$wine_build_name: the type library DiagsConfig 1.1 is registered" -- \
    key_has "HKCR\\TypeLib\\$libid\\1.1" 'Veltrane Diagnostics Configuration Component'

  for script in tests/wine/*.vbs; do
    [ -e "$script" ] || continue
    capture in_dir "$bin" timeout 300 "$wine64" "${wine_system}cscript.exe" //nologo "$(winpath "$root/$script")"
    rc=$capture_rc
    out=${capture_output//$'\r'/}
    printf '== %s %s\n%s\n' "$wine_build_name" "$script" "$out" >>"$log"
    grep -E '^not ok' <<<"$out"
    p=$(grep -c '^ok' <<<"$out"); f=$(grep -c '^not ok' <<<"$out")
    add_counts "$p" "$f"
    if [ "$rc" -ne 0 ] || ! grep -q '^# done' <<<"$out"; then
      fail "$wine_build_name: $script ran to its end (exit $rc)" "$(tail -20 <<<"$out")"
    fi
    echo "$wine_build_name $(basename "$script"): $p passed, $f failed"
  done

  check_match "$wine_build_name: diagshost creates the component by ProgID and prints its outcome" '^ConfigureDiagnostics: [0-3]' -- run_host

  check "$wine_build_name: regsvr32 /u unregisters DiagsConfig.dll" -- wine_regsvr32 /s /u "$(winpath "$dll")"
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$wine_build_name $name: no key left after regsvr32 /u" -- class_removed "$name" "$clsid"
  done
  check "$wine_build_name: no type library or interface key left after regsvr32 /u" -- no_library_keys
  wine_stop
}

# Both builds side by side in one 64-bit prefix, as on a 64-bit Windows machine.
reg_in() { local bits=$1; shift; if [ "$bits" = 32 ]; then "$wine64" 'C:\windows\syswow64\reg.exe' "$@"; else "$wine64" reg.exe "$@"; fi; }
register_bits() {  # BITS [/u]: the regsvr32 of that bitness on that build's DLL
  local bits=$1; shift
  local system=''; [ "$bits" = 32 ] && system='C:\windows\syswow64\'
  "$wine64" "${system}regsvr32.exe" /s "$@" "$(winpath "$root/build/win$bits/bin/DiagsConfig.dll")"
}
creates_by_progid() {  # BITS: the cscript of that bitness creates the component's classes by name
  local system=''; [ "$1" = 32 ] && system='C:\windows\syswow64\'
  local out
  out=$(in_dir "$root/build" timeout 60 "$wine64" "${system}cscript.exe" //nologo "$(winpath "$views_script")" | tr -d '\r')
  echo "$out"
  [ "$out" = "created _CDiagnosticsConfig _COutput" ]
}
class_in_view() {  # BITS CLSID: the class's server in that view is that bitness's DLL
  local out
  out=$(reg_in "$1" query "HKCR\\CLSID\\$2\\InprocServer32" /ve 2>&1 | tr -d '\r')
  echo "$out"
  grep -qiF "build\\win$1\\bin\\DiagsConfig.dll" <<<"$out"
}
no_class_in_view() { ! reg_in "$1" query "HKCR\\CLSID\\$2" >/dev/null 2>&1; }
progids_left() { local entry; for entry in "${classes[@]}"; do reg_query "HKCR\\DiagsConfig.${entry% *}" >/dev/null && return 0; done; return 1; }
log_config='HKCU\Software\Veltrane\Log Configuration'
errors_directory() {  # the error log's directory, as the registry holds it
  reg_in 64 query "$log_config\\ZEL Errors" /v Directory 2>/dev/null | tr -d '\r' | awk '$1 == "Directory" { $1 = $2 = ""; sub(/^ +/, ""); print }'
}
installs_from_32bit_product_folder() {  # WHAT...: run WHAT on no configuration; the default lands in the 32-bit view's folder
  reg_in 64 delete "$log_config" /f >/dev/null 2>&1
  "$@" >/dev/null 2>&1
  local dir; dir=$(errors_directory)
  echo "ZEL Errors\\Directory = ${dir:-(none)}"
  [ "$dir" = 'C:\Product32\Log' ]
}
library_kept() {  # BITS: that build's type library entry and every interface key in its view
  local iid
  reg_in "$1" query "HKCR\\TypeLib\\$libid\\1.1\\409\\win$1" || return 1
  for iid in "${interfaces[@]}"; do reg_in "$1" query "HKCR\\Interface\\$iid\\TypeLib" || return 1; done
}
host_of() { in_dir "$root/build/win$1/bin" timeout 120 "$wine64" diagshost.exe; }
tool_of() { local bits=$1; shift; in_dir "$root/build" timeout 60 "$wine64" "$root/build/win$bits/tools/diagsconfig/diagsconfig.exe" "$@"; }

both_views() {
  echo "== win32 and win64 side by side"
  wine_build win32
  wine_use_prefix "$root/build/win32/wineprefix"  # left with nothing registered by test_build
  views_script=$root/build/views.vbs
  printf '%s\r\n' 'Set a = CreateObject("DiagsConfig.CDiagnosticsConfig")' 'Set b = CreateObject("DiagsConfig.COutput")' \
    'WScript.Echo "created " & TypeName(a) & " " & TypeName(b)' >"$views_script"
  local clsid=${classes[0]#* } bits
  check "both builds register, each with the regsvr32 of its bitness" -- eval 'register_bits 32 && register_bits 64'
  for bits in 32 64; do
    check "the $bits-bit view names the $bits-bit DLL" -- class_in_view "$bits" "$clsid"
    check "the $bits-bit script host creates the classes by ProgID" -- creates_by_progid "$bits"
  done
  register_bits 32 /u
  check "unregistering the 32-bit build empties its view" -- no_class_in_view 32 "$clsid"
  check "... and leaves the 64-bit build registered and creatable" -- eval "class_in_view 64 $clsid && creates_by_progid 64"
  check "... with its entry of the type library and its interfaces" -- library_kept 64
  check "... and the 32-bit entry of the type library is gone" -- eval '! reg_in 64 query "HKCR\\TypeLib\\$libid\\1.1\\409\\win32"'
  register_bits 32
  register_bits 64 /u
  check "unregistering the 64-bit build empties its view" -- no_class_in_view 64 "$clsid"
  check "... and leaves the 32-bit build registered and creatable" -- eval "class_in_view 32 $clsid && creates_by_progid 32"
  check "... with its entry of the type library and its interfaces" -- library_kept 32
  register_bits 32 /u
  check "with both unregistered no ProgID is left" -- eval '! progids_left'
  check "... nor any type library or interface key" -- eval 'no_library_keys && wine_build win64 && no_library_keys; wine_build win32'

  # One product folder, written by the 32-bit installer into the 32-bit view, and a different
  # one in the 64-bit view that nobody may read; one log configuration for both bitnesses.
  reg_in 32 add 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /d 'C:\Product32\' /f >/dev/null
  reg_in 64 add 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /d 'C:\Other64\' /f >/dev/null
  register_bits 32
  register_bits 64
  (cd "$bin" && exec "$wine64" diagsprobe.exe closer 600 "Diagnostics Configuration") >/dev/null 2>&1 &
  for bits in 32 64; do
    check "the $bits-bit component installs the default configuration in the 32-bit view's product folder" -- \
      installs_from_32bit_product_folder host_of "$bits"
    check "the $bits-bit diagsconfig.exe installs the default configuration in the 32-bit view's product folder" -- \
      installs_from_32bit_product_folder tool_of "$bits" show "ZEL Errors"
  done
  check "a change by the 64-bit diagsconfig.exe" -- tool_of 64 set "ZEL MDServer" "SQL Tracing" DebugMonitor=true FileSize=77
  check_equal "... is what the 32-bit one reads" 77 -- tool_of 32 get "ZEL MDServer" "SQL Tracing" FileSize
  register_bits 32 /u
  register_bits 64 /u
  wine_stop
}

builds=$(wine_builds "$@")
for name in $builds; do
  test_build "$name"
done
if grep -qx win32 <<<"$builds" && grep -qx win64 <<<"$builds"; then
  both_views
fi

# The Wine benchmark works on each build (two rounds: a smoke run, not a measurement).
bench_runs() {
  local out
  capture bash scripts/bench-dialog-wine.sh 2 "$@"
  out=$capture_output
  echo "$out"
  [ "$(grep -c ': warm median: open' <<<"$out")" -eq "$#" ]
}
# shellcheck disable=SC2086  # one argument per build
check "the Wine benchmark times the dialog of each build" -- bench_runs $builds
grep ': warm median' <<<"$check_output"

echo "(details in $log)"
check_summary
