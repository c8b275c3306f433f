#!/usr/bin/env bash
# The console's editor-level verbs on Windows, under Wine, against the real registry:
# diagsconfig.exe trace runs the dialog headless on the registry key the component uses, logs
# lists where the logs go, collect makes a zip that unzip accepts, trace off --all clears.
# Prints "N passed, N failed" and exits non-zero on any failure.
# Usage: test-console-wine.sh [win32|win64]   (default: both, the shipped win32 first)
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
source scripts/lib/check.sh
source scripts/lib/wine.sh
each_build "$0" "$@"
wine_build "$1"

wine_tools_prefix || { fail "the tool is built and the Wine prefix is made"; check_summary; exit 1; }
scratch="$(mktemp -d "$root/build/console-wine.XXXXXX")"
trap 'rm -rf "$scratch"; wine_settle' EXIT
win="Z:${scratch//\//\\}"

tool="$build/tools/diagsconfig/diagsconfig.exe"
key='HKEY_CURRENT_USER\Software\Veltrane\Log Configuration'
ours() { wine_run "$tool" "$@"; }
value() { wine_reg query "$key\\$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $3 }'; }
wine_reg delete "$key" /f >/dev/null 2>&1 || true
# The product folder, so the default configuration's logs go to the scratch folder. Programs of
# either bitness read it in the 32-bit view, where the client's installer puts it.
"$wine64" 'C:\windows\syswow64\reg.exe' add 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /d "$win" /f >/dev/null 2>&1

echo "== diagsconfig.exe trace, logs and collect on the registry"
check_match "trace lists the editors and tasks" 'Report Editor +off' -- ours trace
check_match "trace on \"report editor\" prints what changed" 'DebugMonitor +false -> true' -- ours trace on "report editor"
check_equal "the registry holds it" 0x1 -- value "ZEL DateLib\\Function Level Tracing" DebugMonitor
check_match "trace shows it on" 'Report Editor +on' -- ours trace
check_status "an unknown name is exit code 2" 2 -- ours trace on "No Such Editor"
check_status "a missing directory without --yes is exit code 5" 5 -- \
  ours trace on "Metric Editor" --dir "$win\\new\\logs" --file metric.log
check_equal "and nothing was saved" 0x0 -- value "ZEL DateLib\\Function Level Tracing" LogToFile
check "with --yes the directory is created and the outputs saved" -- \
  ours trace on "Metric Editor" --dir "$win\\new\\logs" --file metric.log --circular --yes
check "the directory exists" -- test -d "$scratch/new/logs"
check_equal "the registry holds the file (Report Editor, still ticked, shares the panel)" metric.log -- \
  value "ZEL DateLib\\Function Level Tracing" FileName
check_match "logs lists the shared file" 'outputs write one file' -- ours logs
check_match "logs --json gives the worst case" '"worstCaseBytes":' -- ours logs --json
mkdir -p "$scratch/Log" && printf 'a line\r\n' >"$scratch/Log/Errors.log"  # the error log, written
check_match "collect writes the zip" '^wrote ' -- ours collect "$win\\bundle.zip"
check "unzip -t accepts the zip" -- unzip -tq "$scratch/bundle.zip"
check_match "the zip holds the error log, the configuration and the manifest" 'Errors.log' -- unzip -l "$scratch/bundle.zip"
check_match "the manifest names the editors on" 'Editors and tasks on:.*Report Editor' -- unzip -p "$scratch/bundle.zip" manifest.txt
check "trace off --all" -- ours trace off --all
check_equal "Clear all switched the outputs off" 0x0 -- value "ZEL DateLib\\Function Level Tracing" DebugMonitor
check_equal "the error log keeps writing" 0x1 -- value "ZEL Errors" LogToFile
wine_reg delete "$key" /f >/dev/null 2>&1 || true
"$wine64" 'C:\windows\syswow64\reg.exe' delete 'HKLM\SOFTWARE\Veltrane\Common Files' /v Path /f >/dev/null 2>&1 || true

check_summary
