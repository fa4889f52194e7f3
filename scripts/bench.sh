#!/usr/bin/env bash
# Import benchmark: generates a 1,000,000-line NCSA combined log over 100
# days with the sample generator (one file per day), then times
# "larkspan-cli import" of it without the session tracker step and prints
# lines per second and peak memory. A second run imports the same lines as
# one single file to show that memory does not grow with the file's size.
# Wall-clock figures depend on what else the machine runs; the CPU figures
# (user + system time) show the import's own cost.
# Usage: scripts/bench.sh [LINES_PER_DAY] (default 10000, 100 days)
set -euo pipefail
cd "$(dirname "$0")/.."
per_day=${1:-10000}
days=100
lines=$((per_day * days))

generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
cmake -S . -B build-bench "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DLARKSPAN_GUI=OFF -DLARKSPAN_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target larkspan-cli >/dev/null
cli=build-bench/bin/larkspan-cli

work=$(mktemp -d "${TMPDIR:-/tmp}/larkspan-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
home=$work/home
"$cli" --home "$home" sample-logs "$work/logs" --layout ncsa-combined --days "$days" \
  --lines-per-day "$per_day" --seed 7 --start 2024-01-01 >/dev/null
cat "$work"/logs/*.log >"$work/single.log"
bytes=$(stat -c %s "$work/single.log")
"$cli" --home "$home" web add bench --files "$work/logs/*.log" --server-url www.example.com >/dev/null
"$cli" --home "$home" web add single --files "$work/single.log" --server-url www.example.com >/dev/null

measure() {
  local web=$1 label=$2
  local report=$work/$web.time
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -v "$cli" --home "$home" import "$web" --no-tracker 2>"$report" >/dev/null
  end=$(date +%s.%N)
  local seconds rss cpu
  seconds=$(echo "$end - $start" | bc -l)
  rss=$(grep 'Maximum resident set size' "$report" | awk '{print $NF}')
  cpu=$(awk -F': ' '/User time|System time/ {s += $2} END {print s}' "$report")
  printf '%-22s %6.2f s wall %10.0f lines/s | %6.2f s CPU %10.0f lines/s | peak RSS %5.1f MB\n' "$label" \
    "$seconds" "$(echo "$lines / $seconds" | bc -l)" "$cpu" "$(echo "$lines / $cpu" | bc -l)" "$(echo "$rss / 1024" | bc -l)"
}

echo "NCSA combined, $lines lines over $days days, $((bytes / 1048576)) MB; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
measure bench "import, $days files"
measure single "import, one file"
