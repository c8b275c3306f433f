#!/usr/bin/env bash
# A seeded mutation sample of the product code (by hand, not in CI), built unoptimised in
# build/mutants:
#   bash scripts/mutants.sh [COUNT] [--seed N] [--areas dialog hostconfig platform/registry forms model] [--list]
#                           [--only FILE:LINE ...]
# Prints each mutant's verdict, the kill rate, and every survivor with its file, line and change.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/lib/mutants.py "$@"
