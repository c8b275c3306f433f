#!/usr/bin/env bash
# Lines of test code against lines of product code, as tracked by git:
#   tests: .cpp, .h and .vbs under tests/; product: .cpp, .h and .idl outside tests/ and bench/.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -z "$@" | xargs -0 cat | wc -l; }
tests=$(count 'tests/*.cpp' 'tests/*.h' 'tests/*.vbs')
product=$(count '*.cpp' '*.h' '*.idl' ':!tests/' ':!bench/')
awk -v t="$tests" -v p="$product" 'BEGIN { printf "tests %d, product %d, ratio %.3f\n", t, p, t / p }'
