#!/usr/bin/env bash
# Builds the Debian package of both programs into build/package/ with CPack
# (its dependencies come from dpkg-shlibdeps), then checks it: its control
# data and contents, and the programs unpacked into a throw-away root, where
# the command line must find its data and write a report.
#   scripts/package.sh            build (as scripts/build.sh does) and package
#   scripts/package.sh --no-build package what build/ holds
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != --no-build ]; then
  scripts/build.sh
fi
rm -rf build/package
cpack --config build/CPackConfig.cmake -B build/package >/dev/null
deb=$(ls build/package/larkspan_*.deb)
echo "Package: $deb"

fail() { echo "package check failed: $*" >&2; exit 1; }
info=$(dpkg-deb --info "$deb")
depends=$(sed -n 's/^ Depends: //p' <<<"$info")
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt libraries: $depends"
grep -q 'libqt6charts6' <<<"$depends" || fail "Depends lacks Qt Charts (the chart module the command line loads): $depends"
grep -q 'libc6' <<<"$depends" || fail "Depends lacks libc6: $depends"
grep -q 'libcurl4' <<<"$depends" || fail "Depends lacks libcurl4 (the FTP client loads it when it connects): $depends"
contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/larkspan ./usr/bin/larkspan-cli ./usr/lib/larkspan/larkspan-charts.so ./usr/share/larkspan/syss/seng.lklf \
            ./usr/share/applications/org.larkspan.Larkspan.desktop ./usr/share/man/man1/larkspan-cli.1 \
            ./usr/share/bash-completion/completions/larkspan-cli ./usr/share/zsh/vendor-completions/_larkspan-cli; do
  grep -q " $path\$" <<<"$contents" || fail "the package lacks $path"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
cli=("$root/usr/bin/larkspan-cli" --home "$root/home" --yes)
"${cli[@]}" --version
"${cli[@]}" sample-logs "$root/logs" --days 2 --lines-per-day 20 --start 2024-05-01 >/dev/null
"${cli[@]}" web add demo --files "$root/logs/access-*.log" --server-url www.example.com >/dev/null
"${cli[@]}" import demo >/dev/null 2>&1
"${cli[@]}" profile new may --web demo --url www.example.com --from 05/01/2024 --to 05/02/2024 \
    --set page=TRUE --set gengraph=TRUE >/dev/null 2>&1
"${cli[@]}" report may >/dev/null
[ -f "$root/home/Reports/may/index.html" ] || fail "the unpacked command line wrote no report"
[ -s "$root/home/Reports/may/LKRPages.jpg" ] || fail "the unpacked command line drew no chart"
echo "Package checked: control data, contents, and a report written by the unpacked command line."
