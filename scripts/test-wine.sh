#!/usr/bin/env bash
# The Windows build under Wine: builds the win64 preset, makes a fresh Wine prefix under the
# build tree, runs every Windows test executable, registers DiagsConfig.dll with regsvr32,
# runs the VBScript suite under cscript, unregisters and checks that no key is left behind.
# Prints "N passed, N failed" last and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

source scripts/lib/check.sh
source scripts/lib/wine.sh
# Everything runs under one virtual X server.
wine_on_virtual_display "$0" "$@"

build=$root/build/win64
bin=$build/bin
log=$build/test-wine.log
mkdir -p "$build"
: >"$log"
CHECK_LOG=$log  # every check's output, passed or not

cmake --preset win64 >/dev/null || { fail "the win64 preset configures"; check_summary; exit 1; }
# Keep going past a target that fails to build, so everything else is still tested; the
# failure is counted below.
build_log=$(cmake --build --preset win64 -- -k 2>&1)
build_rc=$?
printf '%s\n' "$build_log" >>"$log"
if [ "$build_rc" -ne 0 ]; then
  fail "the win64 preset builds completely" "$(grep -E 'error|Error [0-9]' <<<"$build_log" | head -20)"
fi

wine_available || { fail "wine64 is installed"; check_summary; exit 1; }
wine_fresh_prefix "$build/wineprefix" || { fail "a fresh Wine prefix is made"; check_summary; exit 1; }

# ConfigureDiagnostics shows the real dialog: in the suites that only call it, a person closes
# it again (the probe presses the close box and answers the exit question with No).
(cd "$bin" && exec "$wine64" diagsprobe.exe closer 1800 "Diagnostics Configuration") >/dev/null 2>&1 &

in_dir() { local dir=$1; shift; (cd "$dir" && "$@"); }

# A GoogleTest executable (all of them sit in bin/, beside the resource DLL): every case counts; a crash without a verdict counts as one failure.
run_gtest() {
  local exe=$1 name out rc ok_cases failed_cases
  name=$(basename "$exe")
  capture in_dir "$(dirname "$exe")" timeout 120 "$wine64" "./$name"
  out=$capture_output rc=$capture_rc
  printf '%s\n' "$out" >>"$log"
  ok_cases=$(grep -c '^\[       OK \]' <<<"$out")
  failed_cases=$(grep -cE '^\[  FAILED  \] [^ ]+\.[^ ]+ \(' <<<"$out")
  add_counts "$ok_cases" "$failed_cases"
  # Each failed case with the lines GoogleTest printed for it.
  if [ "$failed_cases" -gt 0 ]; then
    awk -v exe="$name" '/^\[ RUN      \]/ { buf = ""; } { buf = buf "\n    | " $0 }
      /^\[  FAILED  \] [^ ]+\.[^ ]+ \(/ && buf != "" { print exe ": not ok -" substr($0, 13) buf; buf = "" }' <<<"$out" | head -200
  fi
  if [ "$rc" -eq 124 ]; then
    fail "$name finished within 120 s (a window waiting for input?)" "$(tail -20 <<<"$out")"
  elif [ "$rc" -ne 0 ] && [ "$failed_cases" -eq 0 ]; then
    fail "$name exited with $rc" "$(tail -40 <<<"$out")"
  fi
  echo "$name: $ok_cases passed, $failed_cases failed"
}

while IFS= read -r exe; do
  run_gtest "$exe"
done < <(find "$bin" -maxdepth 1 -name 'test_*.exe' | sort)

# The COM server: registration, the script suite, unregistration.
dll=$bin/DiagsConfig.dll
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
run_host() { cd "$bin" && timeout 120 "$wine64" diagshost.exe; }

if [ -f "$dll" ]; then
  check "regsvr32 registers DiagsConfig.dll" -- wine_regsvr32 /s "$(winpath "$dll")"
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$name: CLSID, InprocServer32 (Apartment), ProgID and TypeLib registered" -- class_registered "$name" "$clsid"
  done
  check "the type library DiagsConfig 1.1 is registered" -- \
    key_has "HKCR\\TypeLib\\$libid\\1.1" 'Veltrane Diagnostics Configuration Component'

  for script in tests/wine/*.vbs; do
    [ -e "$script" ] || continue
    capture in_dir "$bin" timeout 300 "$wine64" cscript //nologo "$(winpath "$root/$script")"
    rc=$capture_rc
    out=${capture_output//$'\r'/}
    printf '%s\n' "$out" >>"$log"
    grep -E '^not ok' <<<"$out"
    p=$(grep -c '^ok' <<<"$out"); f=$(grep -c '^not ok' <<<"$out")
    add_counts "$p" "$f"
    if [ "$rc" -ne 0 ] || ! grep -q '^# done' <<<"$out"; then
      fail "$script ran to its end (exit $rc)" "$(tail -20 <<<"$out")"
    fi
    echo "$(basename "$script"): $p passed, $f failed"
  done

  check_match "diagshost creates the component by ProgID and prints its outcome" '^ConfigureDiagnostics: [0-3]' -- run_host

  check "regsvr32 /u unregisters DiagsConfig.dll" -- wine_regsvr32 /s /u "$(winpath "$dll")"
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$name: no key left after regsvr32 /u" -- class_removed "$name" "$clsid"
  done
  check "no type library or interface key left after regsvr32 /u" -- no_library_keys
else
  fail "DiagsConfig.dll was built"
fi

wine_stop
echo "(details in $log)"
check_summary
