#!/usr/bin/env bash
# The console's whole-command times, process start included (native build):
#   1. diagsconfig trace on "Report Editor" on the default configuration (target: under 50 ms);
#   2. diagsconfig collect of about 1 GB of logs beside gzip -6 over the same files, in MB/s
#      (target: at least 90% of gzip's speed).
# Usage: bash bench/bench-console.sh [ROUNDS] [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-20}
megabytes=${2:-1024}
tool="$PWD/build/native/tools/diagsconfig/diagsconfig"
if [ ! -x "$tool" ]; then
  cmake --preset native >/dev/null && cmake --build --preset native --target diagsconfig >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export DIAGS_REGISTRY_FILE="$work/registry.reg" XDG_STATE_HOME="$work/state"
unset DIAGS_LOG_CONFIG_ROOT DIAGS_TRACE DIAGS_TRACE_FILE

now_ns() { date +%s%N; }

echo "== trace on \"Report Editor\" (default configuration, $rounds rounds)"
"$tool" show >/dev/null  # installs the default configuration
times=()
for _ in $(seq "$rounds"); do
  start=$(now_ns)
  "$tool" trace on "Report Editor" >/dev/null
  end=$(now_ns)
  times+=($(( (end - start) / 1000 )))
  "$tool" trace off "Report Editor" >/dev/null
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "  median %.1f ms, best %.1f ms, worst %.1f ms\n", a[int((NR+1)/2)]/1000, a[1]/1000, a[NR]/1000}'

echo "== collect of $megabytes MB of logs beside gzip -6"
logs="$work/logs"
mkdir -p "$logs"
files=16
per=$(( megabytes / files ))
# Log-like text: lines with times, components, levels and changing numbers (compresses about
# as well as real trace files do).
python3 - "$logs" "$files" "$per" <<'PY'
import os, random, sys
out, files, per = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]) << 20
random.seed(7)
words = ("Function Enter", "Function Leave", "SQL executed", "cache miss", "object loaded", "report row",
         "element browse", "connection opened", "prompt answered", "metadata read")
block = []
size = 0
i = 0
while size < (4 << 20):
    line = "2026-12-07 01:%02d:%02d.%03d [%05d] ZEL Component%02d %-18s id=%d rows=%d ms=%d\n" % (
        (i // 60000) % 60, (i // 1000) % 60, i % 1000, random.randrange(1, 65535), random.randrange(40),
        random.choice(words), random.randrange(1 << 30), random.randrange(10000), random.randrange(5000))
    block.append(line)
    size += len(line)
    i += 1
data = "".join(block).encode()
for f in range(files):
    with open(os.path.join(out, "trace%02d.log" % f), "wb") as h:
        written = 0
        while written < per:
            h.write(data[: per - written])
            written += min(len(data), per - written)
PY
# A configuration of the files alone, each written by one output.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  for f in $(seq 0 $((files - 1))); do
    n=$(printf '%02d' "$f")
    printf '[HKEY_CURRENT_USER\\Software\\Veltrane\\Bench\\ZEL Bench%s\\Function Level Tracing]\r\n' "$n"
    printf '"LogToFile"=dword:00000001\r\n"AppendToFile"=dword:00000001\r\n"Directory"="%s"\r\n"FileName"="trace%s.log"\r\n\r\n' "$logs" "$n"
  done
} > "$work/bench.reg"
export DIAGS_LOG_CONFIG_ROOT='HKEY_CURRENT_USER\Software\Veltrane\Bench'
"$tool" import "$work/bench.reg" 2>/dev/null || true
bytes=$(cat "$logs"/*.log | wc -c)
cat "$logs"/*.log >/dev/null  # both read from the page cache

start=$(now_ns)
for f in "$logs"/*.log; do gzip -6 -c "$f" >"$work/out.gz"; done
end=$(now_ns)
gzip_ms=$(( (end - start) / 1000000 ))

start=$(now_ns)
"$tool" collect "$work/bundle.zip" >/dev/null
end=$(now_ns)
collect_ms=$(( (end - start) / 1000000 ))
unzip -tq "$work/bundle.zip" >/dev/null

awk -v b="$bytes" -v g="$gzip_ms" -v c="$collect_ms" 'BEGIN {
  mb = b / 1048576
  printf "  %.0f MB in %d files\n  gzip -6 (one file after another): %d ms, %.1f MB/s\n  diagsconfig collect:              %d ms, %.1f MB/s (%.0f%% of gzip)\n",
         mb, '"$files"', g, mb / (g / 1000), c, mb / (c / 1000), 100 * g / c }'
