#!/usr/bin/env bash
# The main job on bundled sample data: generates a week of sample access
# logs, defines a web for them, imports them and runs a report profile over
# the week. Everything lives in demo/ under the build folder; the report's
# index page is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh

cli=build/bin/larkspan-cli
demo=$(pwd)/build/demo
rm -rf "$demo"
mkdir -p "$demo/logs"
home=(--home "$demo/home")

"$cli" sample-logs "$demo/logs" --layout ncsa-combined --days 7 --lines-per-day 5000 --seed 42 --start 2026-11-01
"$cli" "${home[@]}" web add demo --files "$demo/logs/*.log" --server-url http://www.example.com
"$cli" "${home[@]}" --yes import demo
"$cli" "${home[@]}" profile new demo-week --web demo --url http://www.example.com \
  --from 11/01/2026 --to 11/07/2026 --set maxrows=25 --set obrowser=TRUE --set gengraph=TRUE --set demogs=TRUE --set ocsv=TRUE
"$cli" "${home[@]}" report demo-week
