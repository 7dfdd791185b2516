#!/usr/bin/env bash
# Runs the freedesktop and Debian checkers over the installed desktop entry, AppStream
# metainfo and manual page.
# Usage: validate_test.sh DESKTOP_FILE METAINFO_FILE MANUAL_PAGE
set -uo pipefail
desktop=$1 metainfo=$2 page=$3

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

# Errors and warnings fail; infos and pedantic notes do not.
if ! appstreamcli validate --no-net --explain "$metainfo"; then
    echo "FAIL: appstreamcli validate $metainfo" >&2
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
