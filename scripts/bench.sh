#!/usr/bin/env bash
# Measures speed and peak memory on generated logs: builds a Release
# larkspan-cli in build-bench/, writes DAYS days of LINES NCSA combined
# records each (default 100 x 10,000 = 1,000,000 lines), then times each step
# of the import and report road with /usr/bin/time. Every timed step runs
# twice: on one core (LARKSPAN_THREADS=1) and with the default thread count.
# When analog is installed (scripts/install-deps.sh --bench tries to), it
# reads the same lines as one file and the ratio of Larkspan's import+report
# to analog's time is printed. Steps whose command larkspan-cli does not
# offer yet are skipped with a note.
#
#   scripts/bench.sh [DAYS [LINES_PER_DAY]]
set -euo pipefail
cd "$(dirname "$0")/.."
days=${1:-100}
per_day=${2:-10000}
lines=$((days * per_day))
scripts/install-deps.sh --bench

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

# The figures /usr/bin/time -f '%e %U %M' wrote: wall s, user s, peak MB.
wall_seconds() { awk 'END { print $1 }' "$1"; }
user_seconds() { awk 'END { print $2 }' "$1"; }
peak_mb() { awk 'END { printf "%.1f", $3 / 1024 }' "$1"; }

# Before every timed step the files earlier steps wrote go to disk, so the
# kernel's writing them back is not charged to the step that happens to run
# next (the 1,000,000-line road writes over a gigabyte).
settle() { sync; }

default_threads=$(nproc 2>/dev/null || echo 2)
if [ "$default_threads" -lt 2 ]; then
  default_threads=2
fi
row() {
  printf '%-16s %7s %8s %8s %12s %8s  %s\n' "$@"
}
printf '%s, %s cores; %d lines over %d days\n' "$(uname -m)" "$(nproc)" "$lines" "$days"
row step threads "wall s" "user s" "lines/s" "peak MB" note

# run NAME THREADS COUNTS_LINES COMMAND [ARGS...]: runs larkspan-cli [--home H]
# [--yes] COMMAND ARGS under /usr/bin/time with LARKSPAN_THREADS=THREADS ("-"
# leaves the default); COUNTS_LINES "yes" prints lines per second. The figures
# land in $work/NAME[-tTHREADS].time.
run() {
  local name=$1 threads=$2 counts=$3 command_name=$4
  shift 4
  local label="${name// /-}"
  if [ "$threads" != - ]; then
    label="$label-t$threads"
  fi
  if [ "$command_name" != sample-logs ] && ! has_command "$command_name"; then
    row "$name" "$threads" - - - - "skipped: larkspan-cli has no \"$command_name\" command yet"
    return 0
  fi
  local report="$work/$label.time" output="$work/$label.out"
  local status=0 environment=()
  settle
  if [ "$threads" != - ]; then
    environment=(LARKSPAN_THREADS="$threads")
  fi
  env "${environment[@]}" /usr/bin/time -f '%e %U %M' -o "$report" \
    "$cli" "${home[@]}" --yes "$command_name" "$@" >"$output" 2>&1 || status=$?
  local wall rate="-" note=""
  wall=$(wall_seconds "$report")
  if [ "$counts" = yes ] && awk -v w="$wall" 'BEGIN { exit !(w > 0) }'; then
    rate=$(awk -v n="$lines" -v w="$wall" 'BEGIN { printf "%.0f", n / w }')
  fi
  if [ $status -ne 0 ]; then
    note="FAILED (status $status): $(tail -n 1 "$output")"
  fi
  row "$name" "$threads" "$wall" "$(user_seconds "$report")" "$rate" "$(peak_mb "$report")" "$note"
}

# step NAME COUNTS_LINES COMMAND [ARGS...]: on one core, then with the default threads.
step() {
  local name=$1
  shift
  run "$name" 1 "$@"
  run "$name" "$default_threads" "$@"
}

# import_step NAME WEB [ARGS...]: imports WEB on one core, then with the
# default threads, each time into an empty web (replacing day files costs
# more than writing new ones, which would favour the first run).
import_step() {
  local name=$1 web=$2
  shift 2
  local threads
  for threads in 1 "$default_threads"; do
    rm -rf "$work/home/wwwstats/$web/"[0-9][0-9][0-9][0-9]
    run "$name" "$threads" yes import "$web" "$@"
  done
}

run generate - yes sample-logs "$work/logs" --layout ncsa-combined --days "$days" --lines-per-day "$per_day" \
  --seed 1 --start "$start"
run "web add" - no web add bench --files "$work/logs/*.log"
import_step import bench --no-tracker
# The same files imported with the session tracker step: the step's own time
# is the difference, and it must stay within half of the import's.
run "web add t" - no web add tracked --files "$work/logs/*.log"
import_step "import+tracker" tracked
# best_wall THREADS WEB COMMAND [ARGS...]: the best wall time of three runs
# of a command, with WEB's day files removed before each ("-": none), so
# that an import always writes into an empty web.
best_wall() {
  local threads=$1 web=$2 best=
  shift 2
  local round
  for round in 1 2 3; do
    if [ "$web" != - ]; then
      rm -rf "$work/home/wwwstats/$web/"[0-9][0-9][0-9][0-9]
    fi
    settle
    LARKSPAN_THREADS=$threads /usr/bin/time -f '%e %U %M' -o "$work/best.time" \
      "$cli" "${home[@]}" --yes "$@" >/dev/null 2>&1 || return 1
    best=$(awk -v b="$best" -v w="$(wall_seconds "$work/best.time")" 'BEGIN { print (b == "" || w < b) ? w : b }')
  done
  echo "$best"
}
# The step's own time: the best of three imports with it less the best of
# three without it, run in turn into empty webs so the disk's moods even out.
# The limit holds for the default threads; one core is shown for comparison.
for threads in 1 "$default_threads"; do
  without=$(best_wall "$threads" bench import bench --no-tracker) || without=0
  with=$(best_wall "$threads" tracked import tracked) || with=0
  limit=" (limit 50%)"
  if [ "$threads" = 1 ]; then
    limit=" on one core"
  fi
  awk -v a="$without" -v b="$with" -v n="$lines" -v t="$threads" -v limit="$limit" 'BEGIN {
    s = b - a; if (s < 0) s = 0
    printf "%-16s %7s %8.2f %8s %12s %8s  %s\n", "tracker step", t, s, "-", (s > 0 ? sprintf("%.0f", n / s) : "-"), "-",
           sprintf("%.0f%% of the import%s, best of 3: %.2f s without, %.2f s with", a > 0 ? 100 * s / a : 0, limit, a, b) }'
done
# The same lines as one file: peak memory must not grow with a source file's size.
cat "$work"/logs/*.log >"$work/single.log"
run "web add 1" - no web add single --files "$work/single.log"
import_step "import 1 file" single --no-tracker
run "web add 1 t" - no web add singlet --files "$work/single.log"
import_step "import 1 file+t" singlet
# Every section, HTML and CSV files for every report, all rows; "E-mail administrator"
# without an address writes the HTML files without mailing or opening a browser.
run "profile new" - no profile new bench --web bench --url http://www.example.com \
  --from "$first_day" --to "$last_day" --set maxrows=ALL --set browser=TRUE --set page=TRUE --set usage=TRUE \
  --set referrers=TRUE --set demogs=TRUE --set oadmin=TRUE --set admin-email= --set ocsv=TRUE --set ovrwrite=TRUE
# The everyday report: every section but the demographic ones, HTML pages
# only, the profile's default number of rows.
run "profile daily" - no profile new everyday --web bench --url http://www.example.com \
  --from "$first_day" --to "$last_day" --set browser=TRUE --set page=TRUE --set usage=TRUE \
  --set referrers=TRUE --set demogs=FALSE --set oadmin=TRUE --set admin-email= --set ocsv=FALSE --set ovrwrite=TRUE
step analyse yes analyse bench
step report yes report bench
step "report daily" yes report everyday

# analog reads the same single file with its common reports on: a timing
# reference only (what it writes is not looked at).
if ! command -v analog >/dev/null 2>&1; then
  echo "analog is not installed (scripts/install-deps.sh --bench could not install it): no comparison."
  echo "Logs, outputs and /usr/bin/time reports: $work"
  exit 0
fi
cat >"$work/analog.cfg" <<EOF
LOGFILE $work/single.log
OUTFILE $work/analog.html
LOGFORMAT COMBINED
GENERAL ON
MONTHLY ON
DAILYREP ON
HOURLYREP ON
REQUEST ON
REFERRER ON
BROWSERSUM ON
OSREP ON
HOST ON
DOMAIN ON
STATUS ON
FILETYPE ON
SIZE ON
DIRECTORY ON
EOF
# analog's best of three runs (its first run may meet a cold file).
analog_status=0
for round in 1 2 3; do
  settle
  /usr/bin/time -f '%e %U %M' -o "$work/analog-$round.time" analog -G +g"$work/analog.cfg" >"$work/analog.out" 2>&1 ||
    analog_status=$?
  if [ "$round" = 1 ] || awk -v w="$(wall_seconds "$work/analog-$round.time")" -v b="$(wall_seconds "$work/analog.time")" \
    'BEGIN { exit !(w < b) }'; then
    cp "$work/analog-$round.time" "$work/analog.time"
  fi
done
analog_wall=$(wall_seconds "$work/analog.time")
row analog 1 "$analog_wall" "$(user_seconds "$work/analog.time")" \
  "$(awk -v n="$lines" -v w="$analog_wall" 'BEGIN { printf "%.0f", (w > 0 ? n / w : 0) }')" \
  "$(peak_mb "$work/analog.time")" "$([ $analog_status -eq 0 ] || echo "FAILED (status $analog_status)")"
# The ratios are taken as analog's is, each step at its best of three runs.
# ratio IMPORT_S REPORT_S THREADS TEXT: the two steps' wall time beside analog's.
ratio() {
  awk -v i="$1" -v r="$2" -v a="$analog_wall" -v t="$3" -v what="$4" 'BEGIN {
    printf "%s, %s thread(s): %.2f s = %.2f x analog (%.2f s)\n", what, t, i + r, (a > 0 ? (i + r) / a : 0), a }'
}
for threads in 1 "$default_threads"; do
  import=$(best_wall "$threads" single import single --no-tracker) || import=0
  import_tracker=$(best_wall "$threads" singlet import singlet) || import_tracker=0
  report=$(best_wall "$threads" - report bench) || report=0
  daily=$(best_wall "$threads" - report everyday) || daily=0
  echo "best of three, $threads thread(s): import 1 file $import s, with tracker $import_tracker s," \
    "report $report s, report daily $daily s"
  ratio "$import" "$report" "$threads" "import 1 file + report (every section, CSV, all rows)"
  ratio "$import" "$daily" "$threads" "import 1 file + report (every section but demographics)"
  ratio "$import_tracker" "$daily" "$threads" "import 1 file with tracker + report (every section but demographics)"
  awk -v r="$daily" -v a="$analog_wall" -v t="$threads" 'BEGIN {
    printf "report over imported days (every section but demographics), %s thread(s): %.2f x analog\n", t, (a > 0 ? r / a : 0) }'
done
echo "Logs, outputs and /usr/bin/time reports: $work"
