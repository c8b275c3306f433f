#!/usr/bin/env bash
# Extra checks of the log configuration store, beyond the unit suites:
#   1. the registry file reader under libFuzzer for a bounded time (DIAGS_FUZZ_SECONDS, 30 s);
#   2. the diagsconfig tool end to end on a scratch registry file, as a support script uses it.
# Prints "N passed, N failed" and exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/check.sh

echo "== fuzzing the registry file reader for ${DIAGS_FUZZ_SECONDS:-30} s"
check "fuzzing" -- bash tests/fuzz/run.sh "${DIAGS_FUZZ_SECONDS:-30}"

echo "== diagsconfig end to end"
if [ ! -x build/native/tools/diagsconfig/diagsconfig ]; then
  cmake --preset native >/dev/null
  cmake --build --preset native --target diagsconfig >/dev/null
fi
tool="$PWD/build/native/tools/diagsconfig/diagsconfig"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cfg=(--config "$scratch/registry.reg")
check "show installs the default configuration" -- "$tool" "${cfg[@]}" show
check "set switches tracing on" -- "$tool" "${cfg[@]}" set "ZEL ReportServer" "Report Source Tracing" LogToFile=true FileMode=Circular FileSize=1024
check_equal "get reads it back" Circular -- "$tool" "${cfg[@]}" get "ZEL ReportServer" "Report Source Tracing" FileMode
check "export writes an importable file" -- "$tool" "${cfg[@]}" export "$scratch/out.reg"
check "import into a new store" -- "$tool" --config "$scratch/other.reg" import "$scratch/out.reg"
check_equal "imported value" 1024 -- "$tool" --config "$scratch/other.reg" get "ZEL ReportServer" "Report Source Tracing" FileSize
check_status "unknown component exits 2" 2 -- "$tool" "${cfg[@]}" set "ZEL Nobody" X LogToFile=true
check_status "size out of range exits 3" 3 -- "$tool" "${cfg[@]}" set "ZEL Errors" FileSize=12
printf 'REGEDIT4\n[HKEY_CURRENT_USER\\X]\n"a"=zz\n' >"$scratch/bad.reg"
check_status "malformed import exits 3" 3 -- "$tool" "${cfg[@]}" import "$scratch/bad.reg"

check_summary
