#!/usr/bin/env bash
# The Windows build under Wine: builds the win64 preset, makes a fresh Wine prefix under the
# build tree, runs every Windows test executable, registers DiagsConfig.dll with regsvr32,
# runs the VBScript suite under cscript, unregisters and checks that no key is left behind.
# Prints "N passed, N failed" last and exits non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# Windows controls need a display: run everything under one virtual X server.
if [ -z "${DIAGS_UNDER_XVFB:-}" ]; then
  DIAGS_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi

build=$root/build/win64
bin=$build/bin
cmake --preset win64 >/dev/null || { echo "test-wine: configure failed"; echo "0 passed, 1 failed"; exit 1; }
# Keep going past a target that fails to build, so everything else is still tested; the
# failure is counted below.
build_log=$(cmake --build --preset win64 -- -k 2>&1)
build_rc=$?

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=/usr/lib/wine/wine64
rm -rf "$WINEPREFIX"
"$wine" wineboot -i >/dev/null 2>&1
/usr/lib/wine/wineserver -w

# ConfigureDiagnostics shows the real dialog: in the suites that only call it, a person closes
# it again (the probe presses the close box and answers the exit question with No).
(cd "$bin" && exec "$wine" diagsprobe.exe closer 1800 "Diagnostics Configuration") >/dev/null 2>&1 &

passed=0
failed=0
log=$build/test-wine.log
: >"$log"

ok() { passed=$((passed + 1)); echo "ok - $1"; }
not_ok() { failed=$((failed + 1)); echo "not ok - $1"; }

printf '%s\n' "$build_log" >>"$log"
if [ "$build_rc" -ne 0 ]; then
  not_ok "the win64 preset builds completely"
  grep -E 'error|Error [0-9]' <<<"$build_log" | head -20
fi

# Windows paths for files in the build tree (Z: maps the Linux root).
winpath() { echo "Z:${1//\//\\}"; }

# A GoogleTest executable (all of them sit in bin/, beside the resource DLL): every case counts; a crash without a verdict counts as one failure.
run_gtest() {
  local exe=$1 name out rc ok_cases failed_cases
  name=$(basename "$exe")
  out=$(cd "$(dirname "$exe")" && timeout 120 "$wine" "./$name" 2>&1)
  rc=$?
  printf '%s\n' "$out" >>"$log"
  ok_cases=$(grep -c '^\[       OK \]' <<<"$out")
  failed_cases=$(grep -cE '^\[  FAILED  \] [^ ]+\.[^ ]+ \(' <<<"$out")
  passed=$((passed + ok_cases))
  failed=$((failed + failed_cases))
  grep -E '^\[  FAILED  \] [^ ]+\.[^ ]+ \(' <<<"$out" | sed "s/^/$name: /"
  if [ "$rc" -eq 124 ]; then
    not_ok "$name finished within 120 s (a window waiting for input?)"
    tail -5 <<<"$out"
  elif [ "$rc" -ne 0 ] && [ "$failed_cases" -eq 0 ]; then
    not_ok "$name exited with $rc"
    tail -20 <<<"$out"
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
reg_query() { "$wine" reg query "$@" 2>/dev/null | tr -d '\r'; }
check() { if eval "$2"; then ok "$1"; else not_ok "$1"; fi; }
no_library_keys() {
  reg_query "HKCR\\TypeLib\\$libid" >/dev/null && return 1
  local iid
  for iid in "${interfaces[@]}"; do
    reg_query "HKCR\\Interface\\$iid" >/dev/null && return 1
  done
  return 0
}

if [ -f "$dll" ]; then
  check "regsvr32 registers DiagsConfig.dll" '"$wine" regsvr32 /s "$(winpath "$dll")" >>"$log" 2>&1'
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$name: CLSID, InprocServer32 (Apartment), ProgID and TypeLib registered" \
      'reg_query "HKCR\\CLSID\\$clsid\\InprocServer32" /v ThreadingModel | grep -q Apartment &&
       reg_query "HKCR\\CLSID\\$clsid\\InprocServer32" | grep -qi "DiagsConfig.dll" &&
       reg_query "HKCR\\CLSID\\$clsid\\ProgID" | grep -q "DiagsConfig.$name" &&
       reg_query "HKCR\\CLSID\\$clsid\\TypeLib" | grep -qi "$libid" &&
       reg_query "HKCR\\DiagsConfig.$name\\CLSID" | grep -qi "$clsid"'
  done
  check "the type library DiagsConfig 1.1 is registered" 'reg_query "HKCR\\TypeLib\\$libid\\1.1" | grep -q "Veltrane Diagnostics Configuration Component"'

  for script in tests/wine/*.vbs; do
    [ -e "$script" ] || continue
    out=$(cd "$bin" && timeout 300 "$wine" cscript //nologo "$(winpath "$root/$script")" 2>&1)
    rc=$?
    printf '%s\n' "$out" >>"$log"
    grep -E '^not ok' <<<"$out"
    p=$(grep -c '^ok' <<<"$out"); f=$(grep -c '^not ok' <<<"$out")
    passed=$((passed + p)); failed=$((failed + f))
    if [ "$rc" -ne 0 ] || ! grep -q '^# done' <<<"$out"; then not_ok "$script ran to its end (exit $rc)"; tail -5 <<<"$out"; fi
    echo "$(basename "$script"): $p passed, $f failed"
  done

  check "diagshost creates the component by ProgID and prints its outcome" \
    '(cd "$bin" && timeout 120 "$wine" diagshost.exe 2>>"$log" | tee -a "$log" | grep -q "^ConfigureDiagnostics: [0-3]")'

  check "regsvr32 /u unregisters DiagsConfig.dll" '"$wine" regsvr32 /s /u "$(winpath "$dll")" >>"$log" 2>&1'
  for entry in "${classes[@]}"; do
    name=${entry% *}; clsid=${entry#* }
    check "$name: no key left after regsvr32 /u" \
      '! reg_query "HKCR\\CLSID\\$clsid" >/dev/null && ! reg_query "HKCR\\DiagsConfig.$name" >/dev/null &&
       ! reg_query "HKLM\\Software\\Classes\\CLSID\\$clsid" >/dev/null'
  done
  check "no type library or interface key left after regsvr32 /u" no_library_keys
else
  not_ok "DiagsConfig.dll was built"
fi

/usr/lib/wine/wineserver -k 2>/dev/null
echo "(details in $log)"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
