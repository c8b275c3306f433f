#!/usr/bin/env bash
# Line and branch coverage, run by hand (not in CI):
#   bash scripts/coverage.sh [native|windows]...   (default: both)
#   COVERAGE_HTML=1 adds a per-line report under build/coverage*/html/index.html.
#
# native:  the portable code, a Debug build with --coverage in build/coverage, measured over the
#          native suite. Counted: every product source (tests/, bench/ and generated files left
#          out); branches the compiler adds for exceptions and branches on lines without code of
#          their own are dropped (gcovr's --exclude-throw-branches and
#          --exclude-unreachable-branches), since no test could choose them.
# windows: the Windows-only code (win32ui/, com/, platform/win32/), the 32-bit build with
#          --coverage in build/coverage-win32, measured over the Windows test programs, the
#          VBScript suite against the registered server and the host under Wine; read with the
#          mingw gcov of the same target. COVERAGE_WIN=win64 measures the 64-bit build instead.
# Prints per-file lines and branches (the most left uncovered last) and a summary of each.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache} CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}

filters=(--exclude-throw-branches --exclude-unreachable-branches --gcov-ignore-parse-errors)
report() {  # OBJDIR GCOV [FILTER...]: per-file tables and summary of the sources (under FILTER)
  local obj=$1 gcov=$2; shift 2
  # No --object-directory: gcovr then runs gcov from the object's folders upwards, which
  # resolves the relative source names a compiler cache writes (CCACHE_BASEDIR).
  local args=(-r "$root" "$obj" --gcov-executable "$gcov" "${filters[@]}")
  local f; for f in "$@"; do args+=(-f "$f"); done
  args+=(-e 'tests/' -e 'bench/' -e 'build/')
  gcovr "${args[@]}" -j 2 --json "$obj/coverage.json" 2> >(grep -v 'assuming not executed' >&2) || return 1
  local summary=(-r "$root" -a "$obj/coverage.json" -s -u)
  gcovr "${summary[@]}" --txt - | grep -v '^-*$' | tail -n +3 | head -n -1  # lines per file
  gcovr "${summary[@]}" -b --txt - | grep -v '^-*$' | tail -n +3           # branches per file, then the summary
  if [ -n "${COVERAGE_HTML:-}" ]; then
    mkdir -p "$obj/html" && gcovr "${summary[@]}" --html-details "$obj/html/index.html" >/dev/null && echo "per-line report: $obj/html/index.html"
  fi
}

native() {
  local dir=$root/build/coverage
  echo "== native (portable code)"
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DDIAGS_BENCH=OFF \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null || return 1
  cmake --build "$dir" -j2 >"$dir/build.log" 2>&1 || { tail -30 "$dir/build.log"; return 1; }
  find "$dir" -name '*.gcda' -delete
  (cd "$dir" && ctest -j2 --timeout 300 2>&1 | tail -5)
  report "$dir" gcov
}

windows() {
  local name=${COVERAGE_WIN:-win32}
  local arch; case $name in win32) arch=i686 ;; win64) arch=x86_64 ;; *) echo "COVERAGE_WIN is win32 or win64"; return 1 ;; esac
  source scripts/lib/check.sh
  source scripts/lib/wine.sh
  wine_available || return 1
  local dir=$root/build/coverage-$name
  echo "== windows ($name: win32ui/, com/, platform/win32/)"
  # Debug (-O0) rather than the preset's Release, so each line counts where it is written.
  cmake -S . -B "$dir" --toolchain "$root/cmake/mingw-w64-$arch.cmake" -DCMAKE_BUILD_TYPE=Debug -DDIAGS_BENCH=OFF \
    -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage >/dev/null || return 1
  # Only the programs that reach Windows-only code: the Win32 platform, renderer and COM
  # suites, and the portable suites whose Windows build runs over the Win32 platform layer
  # (store against the real registry, platform services, resources).
  cmake --build "$dir" -j2 --target test_win32 test_win32ui test_com test_store test_platform test_services \
    DiagsConfig diagshost diagsprobe -- -k >"$dir/build.log" 2>&1 || { grep -E 'error' "$dir/build.log" | head -30; return 1; }
  find "$dir" -name '*.gcda' -delete
  wine_build "$name"
  build=$dir bin=$dir/bin
  wine_fresh_prefix "$dir/wineprefix" || return 1
  # The programs write each .gcda at the path of its object file, a Linux path that Wine
  # reaches through Z:, so no prefix mapping is needed.
  (cd "$bin" && exec "$wine64" diagsprobe.exe closer 1800 "Diagnostics Configuration") >/dev/null 2>&1 &
  local exe out
  for exe in "$bin"/test_*.exe; do
    out=$(cd "$bin" && timeout 300 "$wine64" "./$(basename "$exe")" 2>&1 | tr -d '\r' | grep -E '^\[  (PASSED|FAILED)  \]' | head -3)
    echo "$(basename "$exe"): ${out//$'\n'/; }"
  done
  wine_regsvr32 /s "$(winpath "$bin/DiagsConfig.dll")"
  local script
  for script in tests/wine/*.vbs; do
    out=$(cd "$bin" && timeout 300 "$wine64" "${wine_system}cscript.exe" //nologo "$(winpath "$root/$script")" 2>&1 | tr -d '\r')
    echo "$(basename "$script"): $(grep -c '^ok' <<<"$out") ok, $(grep -c '^not ok' <<<"$out") not ok"
  done
  (cd "$bin" && timeout 120 "$wine64" diagshost.exe 2>&1 | tr -d '\r' | tail -1)
  wine_regsvr32 /s /u "$(winpath "$bin/DiagsConfig.dll")"
  wine_stop
  wine_settle 2>/dev/null
  report "$dir" "$arch-w64-mingw32-gcov" 'win32ui/' 'com/' 'platform/win32/'
}

parts=("$@"); ((${#parts[@]})) || parts=(native windows)
if [[ " ${parts[*]} " == *" windows "* ]]; then
  source scripts/lib/wine.sh
  wine_on_virtual_display "$0" "${parts[@]}"  # the Windows tests need a display
fi
for part in "${parts[@]}"; do
  case $part in native|windows) "$part" ;; *) echo "unknown part '$part' (native or windows)"; exit 2 ;; esac
done
