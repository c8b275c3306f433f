#!/usr/bin/env bash
# Extra checks of the log configuration store, beyond the unit suites:
#   1. the registry file reader under libFuzzer for a bounded time (DIAGS_FUZZ_SECONDS, 30 s);
#   2. the diagsconfig tool end to end on a scratch registry file, as a support script uses it.
# Prints "N passed, N failed" and exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

echo "== fuzzing the registry file reader for ${DIAGS_FUZZ_SECONDS:-30} s"
if bash tests/fuzz/run.sh "${DIAGS_FUZZ_SECONDS:-30}"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: fuzzing"; fi

echo "== diagsconfig end to end"
if [ ! -x build/native/tools/diagsconfig/diagsconfig ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target diagsconfig >/dev/null
fi
tool="$PWD/build/native/tools/diagsconfig/diagsconfig"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cfg=(--config "$scratch/registry.reg")
check "show installs the default configuration" "$tool" "${cfg[@]}" show
check "set switches tracing on" "$tool" "${cfg[@]}" set "ZEL ReportServer" "Report Source Tracing" LogToFile=true FileMode=Circular FileSize=1024
check "get reads it back" test "$("$tool" "${cfg[@]}" get "ZEL ReportServer" "Report Source Tracing" FileMode)" = Circular
check "export writes an importable file" "$tool" "${cfg[@]}" export "$scratch/out.reg"
check "import into a new store" "$tool" --config "$scratch/other.reg" import "$scratch/out.reg"
check "imported value" test "$("$tool" --config "$scratch/other.reg" get "ZEL ReportServer" "Report Source Tracing" FileSize)" = 1024
"$tool" "${cfg[@]}" set "ZEL Nobody" X LogToFile=true >/dev/null 2>&1 && rc=0 || rc=$?
check "unknown component exits 2" test "$rc" = 2
"$tool" "${cfg[@]}" set "ZEL Errors" FileSize=12 >/dev/null 2>&1 && rc=0 || rc=$?
check "size out of range exits 3" test "$rc" = 3
printf 'REGEDIT4\n[HKEY_CURRENT_USER\\X]\n"a"=zz\n' >"$scratch/bad.reg"
"$tool" "${cfg[@]}" import "$scratch/bad.reg" >/dev/null 2>&1 && rc=0 || rc=$?
check "malformed import exits 3" test "$rc" = 3

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
