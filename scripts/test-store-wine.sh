#!/usr/bin/env bash
# The store on Windows, under Wine: registry-file round trips with reg.exe (the store's own
# test suite runs with the other Windows test programs in scripts/test-wine.sh):
#   ours -> "reg import" -> "reg query"      (what we write imports unchanged)
#   "reg export" -> ours                      (what the registry editor writes loads)
#   diagsconfig.exe without --config works on the real registry.
# Prints "N passed, N failed" and exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build/win64"
export WINEPREFIX="$root/build/wine-store" WINEDEBUG=-all
wine=/usr/lib/wine/wine64
passed=0
failed=0
check() {  # check <description> <command...>
  local what="$1"; shift
  if "$@" >/dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; fi
}

if [ ! -x "$wine" ]; then echo "wine64 is not installed (scripts/setup.sh installs it)"; exit 1; fi
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target diagsconfig >/dev/null
[ -d "$WINEPREFIX" ] || "$wine" wineboot -i >/dev/null 2>&1
scratch="$(mktemp -d "$root/build/store-wine.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
win="Z:$scratch"  # the same folder as Windows programs name it

echo "== registry file round trips with reg.exe"
tool="$build/tools/diagsconfig/diagsconfig.exe"
key='HKEY_CURRENT_USER\Software\Veltrane\Log Configuration'
"$wine" reg delete "$key" /f >/dev/null 2>&1 || true
# Ours, imported by reg.exe.
"$wine" "$tool" --config "$win/ours.reg" set "ZEL ReportServer" "Report Source Tracing" \
        LogToFile=true FileSize=48.5 "Directory=C:\\Logs\\Caf$(printf '\xc3\xa9')" >/dev/null 2>&1 || true
check "diagsconfig.exe exports" "$wine" "$tool" --config "$win/ours.reg" export "$win/export.reg"
check "reg import takes our file" "$wine" reg import "$win/export.reg"
query="$("$wine" reg query "$key\\ZEL ReportServer\\Report Source Tracing" 2>/dev/null | tr -d '\r' || true)"
check "reg query: LogToFile" grep -qE 'LogToFile\s+REG_DWORD\s+0x1' <<<"$query"
check "reg query: FileSize" grep -qE 'FileSize\s+REG_SZ\s+48.5' <<<"$query"
check "reg query: Directory with an accent" grep -qE 'Directory\s+REG_SZ\s+C:\\Logs\\Caf' <<<"$query"
# The store file itself, with its appended commits, imports as well (the markers are comments).
"$wine" reg delete "$key" /f >/dev/null 2>&1 || true
check "our store file has commits" grep -qa "d.i.a.g.s.:.c.o.m.m.i.t" "$scratch/ours.reg"
check "reg import takes our store file" "$wine" reg import "$win/ours.reg"
query="$("$wine" reg query "$key\\ZEL ReportServer\\Report Source Tracing" 2>/dev/null | tr -d '\r' || true)"
check "reg query after importing the store: FileSize" grep -qE 'FileSize\s+REG_SZ\s+48.5' <<<"$query"
# The real registry, read and changed by diagsconfig.exe itself.
check "diagsconfig.exe on the registry" "$wine" "$tool" set "ZEL MDServer" "SQL Tracing" DebugMonitor=true
check "the registry holds it" test "$("$wine" "$tool" get "ZEL MDServer" "SQL Tracing" DebugMonitor | tr -d '\r' || true)" = true
# Exported by reg.exe (UTF-16, the registry editor's format), loaded by ours.
check "reg export" "$wine" reg export "$key" "$win/theirs.reg" /y
check "our tool imports reg.exe's export" "$wine" "$tool" --config "$win/loaded.reg" import "$win/theirs.reg"
check "the imported value" test "$("$wine" "$tool" --config "$win/loaded.reg" get "ZEL MDServer" "SQL Tracing" DebugMonitor | tr -d '\r' || true)" = true
"$wine" reg delete "$key" /f >/dev/null 2>&1 || true

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
