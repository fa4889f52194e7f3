#!/bin/sh
# A report run as cron or ssh starts it: QT_QPA_PLATFORM names a platform
# that cannot start here. The run must finish with its index page and charts.
# Usage: report_without_display.sh LARKSPAN_CLI WORK_FOLDER
set -eu
cli="$1"
work="$2"
home="$work/home"
rm -rf "$work"
mkdir -p "$work/logs"
run() { "$cli" --home "$home" --no "$@"; }

run sample-logs "$work/logs" --days 2 --lines-per-day 200 --start 2024-01-01 >/dev/null
run web add site --files "$work/logs/access*.log" --server-url www.example.com >/dev/null
run import site --no-tracker >/dev/null
run profile new p --web site --url www.example.com --from 01/01/2024 --to 01/02/2024 \
    --set page=TRUE --set gengraph=TRUE --set obrowser=FALSE >/dev/null

check() {
    what="$1"
    shift
    rm -f "$home/Reports/p/index.html" "$home/Reports/p/LKRPages.jpg"
    if ! "$@" "$cli" --home "$home" --no report p >"$work/out.txt" 2>"$work/err.txt"; then
        echo "FAIL ($what): the report run failed"; cat "$work/err.txt"; exit 1
    fi
    for f in index.html LKRPages.html LKRPages.jpg; do
        if [ ! -s "$home/Reports/p/$f" ]; then echo "FAIL ($what): no $f"; cat "$work/err.txt"; exit 1; fi
    done
    echo "ok: $what"
}

check "xcb without a display" env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
check "xcb with a display that is not there" env DISPLAY=:987 QT_QPA_PLATFORM=xcb
check "wayland without a compositor" env -u WAYLAND_DISPLAY -u DISPLAY QT_QPA_PLATFORM=wayland
check "a platform that does not exist" env QT_QPA_PLATFORM=nosuchplatform
