#!/usr/bin/env bash
# The layering, checked: a source file of the product may include only its own folder's
# headers and those of the folders below it, in this order from the bottom (the layers of
# DESIGN.md, with the resources, the text rules and the tools around them). Every include that
# reaches up is named with its file, line and both layers. A new top-level folder of sources
# must be given its place here.
# Prints "N passed, N failed" and exits non-zero when an include goes the wrong way.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/check.sh

layers=(resources base platform hostconfig services forms common model logbundle dialog component win32ui com tools)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

upward_includes() {
  local file layer line target bad=0
  while IFS= read -r file; do
    layer=${file%%/*}
    if [ -z "${rank[$layer]:-}" ]; then
      echo "$file: the folder $layer has no place in the layering (scripts/test-layers.sh)"
      bad=1
      continue
    fi
    while IFS=: read -r line target; do
      target=${target#*\"}
      target=${target%%/*}
      [ -n "${rank[$target]:-}" ] || continue  # a header beside the file, or a generated one
      if ((rank[$target] > rank[$layer])); then
        echo "$file:$line: $layer includes $target, which lies above it"
        bad=1
      fi
    done < <(grep -nE '^\s*#\s*include\s+"[^"]+/' "$file" | sed -E 's/^([0-9]+):.*#\s*include\s+("[^"]+").*/\1:\2/')
  done < <(git ls-files -- '*.cpp' '*.h' '*.idl' | grep -vE '^(tests|bench)/' | grep /)
  return "$bad"
}

check "every include of the product goes down the layers" -- upward_includes
check_summary
