#!/usr/bin/env bash
# Runs the freedesktop and Debian checkers over the installed desktop entry, AppStream
# metainfo and manual page. HOMEPAGE is the project's home page, if it has one.
# Usage: validate_test.sh DESKTOP_FILE METAINFO_FILE MANUAL_PAGE [HOMEPAGE]
set -uo pipefail
desktop=$1 metainfo=$2 page=$3 homepage=${4:-}

for tool in desktop-file-validate appstreamcli man; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is missing (Debian: desktop-file-utils, appstream, man-db)" >&2
        exit 1
    fi
done

failures=0
# desktop-file-validate reports hints and errors alike on its output and exits 0 for hints.
report=$(desktop-file-validate "$desktop" 2>&1)
if [ $? -ne 0 ] || [ -n "$report" ]; then
    echo "FAIL: desktop-file-validate $desktop:" >&2
    echo "$report" >&2
    failures=$((failures + 1))
fi

# Errors and warnings fail; infos and pedantic notes do not. The metainfo names the project's
# home page where there is one; while there is none, AppStream 1.0's warning that it names none
# is the one finding that stands, and it says only what is true.
report=$(appstreamcli validate --no-net --explain "$metainfo" 2>&1)
echo "$report"
findings=$(echo "$report" | grep -E '^[EW]: ')
if [ -z "$homepage" ]; then
    findings=$(echo "$findings" | grep -v ': url-homepage-missing$')
elif ! grep -qF "<url type=\"homepage\">$homepage</url>" "$metainfo"; then
    findings="the metainfo does not name the home page $homepage"
fi
if ! echo "$report" | grep -q 'Validation' || [ -n "$findings" ]; then
    echo "FAIL: appstreamcli validate $metainfo: $findings" >&2
    failures=$((failures + 1))
fi

# What lintian does for manual pages: groff warnings about the page's own markup.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "FAIL: the manual page has markup warnings:" >&2
    echo "$warnings" >&2
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
