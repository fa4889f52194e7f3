#!/usr/bin/env bash
# Writes one day of N NCSA combined records in which every client address,
# path, query, referrer and user agent is distinct: the worst case for the
# statistics table and the reports, whose cost grows with distinct keys.
#
#   scripts/distinct-keys-log.sh N OUTPUT_FILE [DAY]     (DAY as 10/Dec/2026)
set -euo pipefail
if [ $# -lt 2 ]; then
  echo "usage: $0 N OUTPUT_FILE [DAY]" >&2
  exit 2
fi
lines=$1
output=$2
day=${3:-10/Dec/2026}
awk -v n="$lines" -v day="$day" 'BEGIN {
  for (i = 0; i < n; ++i) {
    second = int(i * 86400 / n)
    stamp = sprintf("%s:%02d:%02d:%02d +0000", day, int(second / 3600), int(second / 60) % 60, second % 60)
    address = sprintf("10.%d.%d.%d", int(i / 65536) % 256, int(i / 256) % 256, i % 256)
    if (i >= 16777216) address = sprintf("11.%d.%d.%d", int(i / 65536) % 256, int(i / 256) % 256, i % 256)
    status = (i % 50 == 7) ? 404 : 200
    printf "%s - - [%s] \"GET /section-%d/page-%07d.html?id=%d&ref=%x HTTP/1.1\" %d %d " \
           "\"https://site-%d.example.org/from/%d?q=word%d\" \"Mozilla/5.0 (X11; Linux x86_64; rv:%d.%d) Gecko/20100101 Firefox/133.0\"\n",
           address, stamp, i % 97, i, i, i * 7, status, 1000 + (i * 37) % 50000, i % 9973, i, i, i, i % 10
  }
}' >"$output"
