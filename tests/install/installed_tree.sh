#!/usr/bin/env bash
# Checks of an installation: installed_tree.sh STEP BUILD_DIR ROOT
#   install      cmake --install BUILD_DIR into ROOT (DESTDIR, prefix /usr)
#   files        every file an installation promises is there
#   end-to-end   the installed command line writes a report from sample logs
#   manuals      the manual pages render without warnings
#   desktop      the desktop entry and the metainfo validate
#   completion   the bash completion loads and completes; the zsh one parses
set -euo pipefail
step=$1 build=$2 root=$3
usr=$root/usr
fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (scripts/install-deps.sh installs it)"; }
gui_built() { [ -x "$build/bin/larkspan" ]; }

case $step in
install)
    rm -rf "$root"
    DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
    ;;
files)
    expected=(
        bin/larkspan-cli
        share/larkspan/syss/seng.lklf
        share/larkspan/help/index.html
        "share/larkspan/My Profiles/base.rpf.def"
        share/applications/org.larkspan.Larkspan.desktop
        share/metainfo/org.larkspan.Larkspan.metainfo.xml
        share/icons/hicolor/scalable/apps/org.larkspan.Larkspan.svg
        share/icons/hicolor/48x48/apps/org.larkspan.Larkspan.png
        share/icons/hicolor/256x256/apps/org.larkspan.Larkspan.png
        share/man/man1/larkspan-cli.1
        share/bash-completion/completions/larkspan-cli
        share/zsh/vendor-completions/_larkspan-cli
    )
    if gui_built; then expected+=(bin/larkspan share/man/man1/larkspan.1 lib/larkspan/larkspan-charts.so); fi
    for file in "${expected[@]}"; do [ -f "$usr/$file" ] || fail "not installed: $file"; done
    grep -q '^\.SS sample\\-logs$' "$usr/share/man/man1/larkspan-cli.1" || fail "the manual lacks the commands"
    ;;
end-to-end)
    home=$(mktemp -d) && trap 'rm -rf "$home"' EXIT
    cli=("$usr/bin/larkspan-cli" --home "$home/home" --yes)
    "${cli[@]}" sample-logs "$home/logs" --days 3 --lines-per-day 40 --start 2024-03-01 >/dev/null
    "${cli[@]}" web add demo --files "$home/logs/access-*.log" --server-url www.example.com >/dev/null
    "${cli[@]}" import demo >/dev/null 2>&1
    "${cli[@]}" profile new march --web demo --url www.example.com --from 03/01/2024 --to 03/03/2024 \
        --set obrowser=FALSE --set norobots=FALSE --set gengraph="$(gui_built && echo TRUE || echo FALSE)" \
        >/dev/null 2>&1
    "${cli[@]}" report march >"$home/report.out" 2>&1 || { cat "$home/report.out"; fail "report failed"; }
    # The shipped tables came from the installed share folder, and the
    # report names the hits of three days of forty lines (robots counted,
    # as the shipped base would leave the generated crawlers out), and the
    # base's traffic details are there.
    [ -f "$home/home/syss/seng.lklf" ] || fail "the shipped data was not found under the prefix"
    index=$home/home/Reports/march/index.html
    [ -f "$index" ] || fail "no index page"
    sed "s/<[^>]*>/ /g" "$index" | grep -Eq "Hits Total +120 " || fail "the index page does not count 120 hits"
    grep -q "LKRStatusCodes.html" "$index" || fail "the index page has no status-code report"
    # Charts come from the installed chart module.
    if gui_built; then [ -s "$home/home/Reports/march/LKRPages.jpg" ] || fail "no chart drawn"; fi
    ;;
manuals)
    need man
    pages=("$usr/share/man/man1/larkspan-cli.1")
    if gui_built; then pages+=("$usr/share/man/man1/larkspan.1"); fi
    for page in "${pages[@]}"; do
        warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
        MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q 'SYNOPSIS' || fail "$page renders no SYNOPSIS"
    done
    ;;
desktop)
    need desktop-file-validate
    need appstreamcli
    desktop-file-validate "$usr/share/applications/org.larkspan.Larkspan.desktop"
    appstreamcli validate --no-net "$usr/share/metainfo/org.larkspan.Larkspan.metainfo.xml" >/dev/null
    ;;
completion)
    home=$(mktemp -d) && trap 'rm -rf "$home"' EXIT
    "$usr/bin/larkspan-cli" --home "$home" sample-logs "$home/logs" --days 1 --lines-per-day 1 >/dev/null
    "$usr/bin/larkspan-cli" --home "$home" web add nightly --files "$home/logs/access-*.log" >/dev/null
    complete_words() {
        bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1));
                 _larkspan_cli; echo "${COMPREPLY[*]}"' _ "$usr/share/bash-completion/completions/larkspan-cli" "$@"
    }
    cli=$usr/bin/larkspan-cli
    [ "$(complete_words "$cli" sam)" = sample-logs ] || fail "the command was not completed"
    [ "$(complete_words "$cli" web "")" = "add list show delete" ] || fail "the subcommands were not completed"
    [ "$(complete_words "$cli" --home "$home" import "")" = nightly ] || fail "the web name was not completed"
    [ "$(complete_words "$cli" import --no-t)" = --no-tracker ] || fail "the option was not completed"
    if command -v zsh >/dev/null; then zsh -n "$usr/share/zsh/vendor-completions/_larkspan-cli"; fi
    ;;
*)
    fail "unknown step $step"
    ;;
esac
