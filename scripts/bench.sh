#!/usr/bin/env bash
# Measures speed and peak memory on generated logs: builds a Release
# larkspan-cli in build-bench/, writes DAYS days of LINES NCSA combined
# records each (default 100 x 10,000 = 1,000,000 lines), then times each step
# of the import and report road with /usr/bin/time -v. Steps whose command
# larkspan-cli does not offer yet are skipped with a note.
#
#   scripts/bench.sh [DAYS [LINES_PER_DAY]]
set -euo pipefail
cd "$(dirname "$0")/.."
days=${1:-100}
per_day=${2:-10000}
lines=$((days * per_day))
scripts/install-deps.sh

generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
cmake -S . -B build-bench "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DLARKSPAN_GUI=OFF -DLARKSPAN_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)" --target larkspan-cli >/dev/null

cli=$(pwd)/build-bench/bin/larkspan-cli
work=$(pwd)/build-bench/bench
rm -rf "$work"
mkdir -p "$work/logs"
home=(--home "$work/home")
start=2026-01-01
first_day=01/01/2026
last_day=$(date -u -d "$start + $((days - 1)) days" +%m/%d/%Y)
commands=$("$cli" --help | awk '/^Commands:/ {on = 1; next} on && NF {print $1}')

has_command() {
  grep -qx -- "$1" <<<"$commands"
}

# Wall seconds from /usr/bin/time's "h:mm:ss" or "m:ss.ss".
wall_seconds() {
  awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, p, ":"); s = 0
    for (i = 1; i <= n; ++i) s = s * 60 + p[i]
    printf "%.2f", s }' "$1"
}

peak_mb() {
  awk -F': ' '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }' "$1"
}

printf '%s, %s cores; %d lines over %d days\n' "$(uname -m)" "$(nproc)" "$lines" "$days"
printf '%-14s %10s %14s %10s  %s\n' step "wall s" "lines/s" "peak MB" note

# step NAME COUNTS_LINES COMMAND [ARGS...]: runs larkspan-cli [--home H] [--yes] COMMAND ARGS
# under /usr/bin/time -v; COUNTS_LINES "yes" prints lines per second.
step() {
  local name=$1 counts=$2 command_name=$3
  shift 3
  if [ "$command_name" != sample-logs ] && ! has_command "$command_name"; then
    printf '%-14s %10s %14s %10s  %s\n' "$name" - - - "skipped: larkspan-cli has no \"$command_name\" command yet"
    return 0
  fi
  local report="$work/${name// /-}.time" output="$work/${name// /-}.out"
  local status=0
  /usr/bin/time -v -o "$report" "$cli" "${home[@]}" --yes "$command_name" "$@" >"$output" 2>&1 || status=$?
  local wall rate="-" note=""
  wall=$(wall_seconds "$report")
  if [ "$counts" = yes ] && awk -v w="$wall" 'BEGIN { exit !(w > 0) }'; then
    rate=$(awk -v n="$lines" -v w="$wall" 'BEGIN { printf "%.0f", n / w }')
  fi
  if [ $status -ne 0 ]; then
    note="FAILED (status $status): $(tail -n 1 "$output")"
  fi
  printf '%-14s %10s %14s %10s  %s\n' "$name" "$wall" "$rate" "$(peak_mb "$report")" "$note"
}

step generate yes sample-logs "$work/logs" --layout ncsa-combined --days "$days" --lines-per-day "$per_day" \
  --seed 1 --start "$start"
step "web add" no web add bench --files "$work/logs/*.log"
step import yes import bench --no-tracker
# The same files imported with the session tracker step: the step's own time
# is the difference, and it must stay within half of the import's.
step "web add t" no web add tracked --files "$work/logs/*.log"
step "import+tracker" yes import tracked
import_wall=$(wall_seconds "$work/import.time")
with_tracker_wall=$(wall_seconds "$work/import+tracker.time")
awk -v a="$import_wall" -v b="$with_tracker_wall" -v n="$lines" 'BEGIN {
  t = b - a; if (t < 0) t = 0
  printf "%-14s %10.2f %14s %10s  %s\n", "tracker step", t, (t > 0 ? sprintf("%.0f", n / t) : "-"), "-",
         sprintf("%.0f%% of the import (limit 50%%)", a > 0 ? 100 * t / a : 0) }'
# The same lines as one file: peak memory must not grow with a source file's size.
cat "$work"/logs/*.log >"$work/single.log"
step "web add 1" no web add single --files "$work/single.log"
step "import 1 file" yes import single --no-tracker
# Every section, HTML and CSV files for every report; "E-mail administrator"
# without an address writes the HTML files without mailing or opening a browser.
step "profile new" no profile new bench --web bench --url http://www.example.com \
  --from "$first_day" --to "$last_day" --set maxrows=ALL --set browser=TRUE --set page=TRUE --set usage=TRUE \
  --set referrers=TRUE --set demogs=TRUE --set oadmin=TRUE --set admin-email= --set ocsv=TRUE --set ovrwrite=TRUE
step analyse yes analyse bench
step report yes report bench
echo "Logs, outputs and /usr/bin/time reports: $work"
