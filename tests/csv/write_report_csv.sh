#!/bin/sh
# Writes the CSV files of a real report run over sample logs and a log of
# hostile and awkward lines, for check_csv.py.
# Usage: write_report_csv.sh LARKSPAN_CLI WORK_FOLDER
set -eu
cli="$1"
work="$2"
home="$work/home"
rm -rf "$work"
mkdir -p "$work/logs"
run() { "$cli" --home "$home" --no "$@" >/dev/null 2>"$work/err.txt" || { cat "$work/err.txt"; exit 1; }; }

run sample-logs "$work/logs" --days 1 --lines-per-day 3000 --start 2024-01-01
long="https://www.example.org/a/very/long/path/that/goes/on/and/on/well/past/the/width/a/page/line/allows?first=1&second=2&third=3&fourth=4&fifth=5"
{
    for agent in '=HYPERLINK("http://evil.example/")' '+1+1' '-2+3' '@SUM(A1)' 'Quoted "agent", with a comma/1.0'; do
        printf '10.9.9.9 - - [01/Jan/2024:12:00:00 +0000] "GET /index.html HTTP/1.1" 200 100 "-" "%s"\n' "$agent"
    done
    printf '10.9.9.8 - - [01/Jan/2024:12:00:01 +0000] "GET /index.html HTTP/1.1" 200 100 "%s" "Mozilla/5.0"\n' "$long"
    printf '10.9.9.7 - - [01/Jan/2024:12:00:02 +0000] "GET /index.html HTTP/1.1" 200 100 "https://www.google.com/search?q=%%3Dcmd%%7C1,two" "Mozilla/5.0"\n'
    printf '10.9.9.6 - - [01/Jan/2024:12:00:03 +0000] "GET /a,b.html HTTP/1.1" 200 100 "-" "Mozilla/5.0"\n'
} >"$work/logs/access-20240101-extra.log"
run web add site --files "$work/logs/access*.log" --server-url www.example.com
run import site --no-tracker
run profile new p --web site --url www.example.com --from 01/01/2024 --to 01/01/2024 \
    --set browser=TRUE --set page=TRUE --set usage=TRUE --set referrers=TRUE \
    --set ocsv=TRUE --set obrowser=FALSE --set maxrows=ALL
run report p
ls "$home/Reports/p/"*.csv >/dev/null
