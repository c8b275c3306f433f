#!/usr/bin/env bash
# Builds the registry file reader's fuzz target with clang (libFuzzer + AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds (default 30).
# The seed is fixed (DIAGS_FUZZ_SEED, default 1), so every run tries the same inputs in the same
# order; a slower machine only stops earlier in that order. Every committed corpus file,
# including past crashes, is replayed first.
# Usage: tests/fuzz/run.sh [seconds]
set -euo pipefail
seconds="${1:-30}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$root/build/fuzz"
mkdir -p "$out/corpus"
cp -n "$root"/tests/fuzz/corpus/* "$out/corpus/" 2>/dev/null || true
sources=("$root/tests/fuzz/RegFileFuzz.cpp" "$root"/platform/registry/RegFile.cpp "$root"/platform/registry/RegFileWrite.cpp
         "$root"/platform/registry/RegTree.cpp "$root"/platform/registry/Encoding.cpp
         "$root"/platform/registry/FlushMarks.cpp "$root"/platform/registry/ValueSet.cpp)
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
        -I "$root" "${sources[@]}" -o "$out/regfile_fuzz"
"$out/regfile_fuzz" -seed="${DIAGS_FUZZ_SEED:-1}" -max_total_time="$seconds" -max_len=65536 -timeout=10 -print_final_stats=1 \
                    -artifact_prefix="$out/" \
                    "$out/corpus" 2>&1 | tail -n 15
