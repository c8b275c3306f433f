#!/usr/bin/env bash
# The shipped 32-bit target (DiagsConfig.dll, KVUIEN.DLL, the host and the console tool)
# builds with warnings as errors. It is not run: its 64-bit twin is tested under Wine.
# Prints "N passed, N failed" and exits non-zero on failure (with the compiler's complaints).
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/check.sh
build_win32() { cmake --preset win32 >/dev/null && cmake --build --preset win32; }
CHECK_LINES=60 check "the win32 preset builds with warnings as errors" -- build_win32
check_summary
