#!/usr/bin/env bash
# The store on Windows, under Wine: registry-file round trips with reg.exe (the store's own
# test suite runs with the other Windows test programs in scripts/test-wine.sh):
#   ours -> "reg import" -> "reg query"      (what we write imports unchanged)
#   "reg export" -> ours                      (what the registry editor writes loads)
#   diagsconfig.exe without --config works on the real registry.
# Prints "N passed, N failed" and exits non-zero on any failure.
# Usage: test-store-wine.sh [win32|win64]   (default: both, the shipped win32 first)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
source scripts/lib/check.sh
source scripts/lib/wine.sh
each_build "$0" "$@"
wine_build "$1"

wine_tools_prefix || { fail "the tool is built and the Wine prefix is made"; check_summary; exit 1; }
scratch="$(mktemp -d "$root/build/store-wine.XXXXXX")"
trap 'rm -rf "$scratch"; wine_settle' EXIT
win="Z:$scratch"  # the same folder as Windows programs name it

tool="$build/tools/diagsconfig/diagsconfig.exe"
key='HKEY_CURRENT_USER\Software\Veltrane\Log Configuration'
tracing="$key\\ZEL ReportServer\\Report Source Tracing"
ours() { wine_run "$tool" "$@"; }
remove_key() { wine_reg delete "$key" /f >/dev/null 2>&1 || true; }

echo "== registry file round trips with reg.exe"
remove_key
# Ours, imported by reg.exe.
check "diagsconfig.exe writes a new store file" -- ours --config "$win/ours.reg" set "ZEL ReportServer" \
  "Report Source Tracing" LogToFile=true FileSize=48.5 "Directory=C:\\Logs\\Caf$(printf '\xc3\xa9')"
check "diagsconfig.exe exports" -- ours --config "$win/ours.reg" export "$win/export.reg"
check "reg import takes our file" -- wine_reg import "$win/export.reg"
check_match "reg query: LogToFile" 'LogToFile\s+REG_DWORD\s+0x1' -- wine_reg query "$tracing"
check_match "reg query: FileSize" 'FileSize\s+REG_SZ\s+48.5' -- wine_reg query "$tracing"
check_match "reg query: Directory with an accent" 'Directory\s+REG_SZ\s+C:\\Logs\\Caf' -- wine_reg query "$tracing"
# The store file itself, with its appended commits, imports as well (the markers are comments).
remove_key
check "our store file has commits" -- grep -qa "d.i.a.g.s.:.c.o.m.m.i.t" "$scratch/ours.reg"
check "reg import takes our store file" -- wine_reg import "$win/ours.reg"
check_match "reg query after importing the store: FileSize" 'FileSize\s+REG_SZ\s+48.5' -- wine_reg query "$tracing"
# The real registry, read and changed by diagsconfig.exe itself.
check "diagsconfig.exe on the registry" -- ours set "ZEL MDServer" "SQL Tracing" DebugMonitor=true
check_equal "the registry holds it" true -- ours get "ZEL MDServer" "SQL Tracing" DebugMonitor
# Exported by reg.exe (UTF-16, the registry editor's format), loaded by ours.
check "reg export" -- wine_reg export "$key" "$win/theirs.reg" /y
check "our tool imports reg.exe's export" -- ours --config "$win/loaded.reg" import "$win/theirs.reg"
check_equal "the imported value" true -- ours --config "$win/loaded.reg" get "ZEL MDServer" "SQL Tracing" DebugMonitor
remove_key

check_summary
