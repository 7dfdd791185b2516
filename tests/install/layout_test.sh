#!/usr/bin/env bash
# Installs the build tree into a fresh DESTDIR and checks what lands where.
# Usage: layout_test.sh BUILD_DIR DESTDIR SOURCE_DIR APP_ID PREFIX BINDIR LIBEXECDIR DATADIR
#                       DATAROOTDIR MANDIR
# (the folders as absolute paths, as GNUInstallDirs' CMAKE_INSTALL_FULL_* give them)
set -euo pipefail
build=$1 destdir=$2 source=$3 id=$4 prefix=$5 bindir=$6 libexecdir=$7 datadir=$8
datarootdir=$9 mandir=${10}

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

rm -rf "$destdir"
DESTDIR=$destdir cmake --install "$build" >/dev/null

# The whole file list, so that a missing or a stray file shows up by name.
expected=$(sort <<LIST
$bindir/sketchboard
$libexecdir/sketchboard/sketchboard
$datadir/sketchboard/Data1.skt
$datadir/sketchboard/Data2.skt
$datadir/sketchboard/Data3.skt
$datadir/sketchboard/Data4.skt
$datadir/sketchboard/Data5.skt
$datarootdir/applications/$id.desktop
$datarootdir/metainfo/$id.metainfo.xml
$datarootdir/icons/hicolor/32x32/apps/$id.png
$datarootdir/icons/hicolor/48x48/apps/$id.png
$datarootdir/icons/hicolor/64x64/apps/$id.png
$datarootdir/icons/hicolor/128x128/apps/$id.png
$datarootdir/icons/hicolor/256x256/apps/$id.png
$mandir/man6/sketchboard.6.gz
$datarootdir/doc/sketchboard/LICENSE
LIST
)
actual=$(cd "$destdir" && find . -type f -printf '/%P\n' | sort)
if [ "$actual" != "$expected" ]; then
    fail "installed files differ from the intended list:"
    diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

for program in "$bindir/sketchboard" "$libexecdir/sketchboard/sketchboard"; do
    [ -x "$destdir$program" ] || fail "$program is not executable"
done
launcher=$destdir$bindir/sketchboard
if [ -f "$launcher" ]; then
    [ "$(head -n1 "$launcher")" = "#!/bin/sh" ] ||
        fail "$bindir/sketchboard is not the launcher script: the program itself is on the PATH"
    sh -n "$launcher" || fail "the launcher is not a valid sh script"
    # It must work wherever the tree ends up, so it may not name the prefix.
    ! grep -qF "$prefix/" "$launcher" ||
        fail "the launcher names the prefix $prefix: it would break under another DESTDIR"
fi

for n in 1 2 3 4 5; do
    cmp -s "$source/data/Data$n.skt" "$destdir$datadir/sketchboard/Data$n.skt" ||
        fail "Data$n.skt differs from data/Data$n.skt"
done

# A menu entry starts the launcher in the pictures' folder; both are absolute places.
desktop=$destdir$datarootdir/applications/$id.desktop
[ "$(sed -n 's/^Exec=//p' "$desktop")" = "$bindir/sketchboard" ] ||
    fail "desktop entry: Exec= is not $bindir/sketchboard"
[ "$(sed -n 's/^Path=//p' "$desktop")" = "$datadir/sketchboard" ] ||
    fail "desktop entry: Path= is not $datadir/sketchboard"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "desktop entry: Icon= is not $id"

# Each icon must be a PNG of the size its folder promises: width and height are the big-endian
# words at bytes 16 and 20 of the PNG header.
for size in 32 48 64 128 256; do
    icon=$destdir$datarootdir/icons/hicolor/${size}x$size/apps/$id.png
    [ -f "$icon" ] || continue
    read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
        awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
    [ "$width x $height" = "$size x $size" ] || fail "icon for ${size}x$size is $width x $height"
done

page=$destdir$mandir/man6/sketchboard.6.gz
if ! gzip -t "$page"; then
    fail "the manual page is not a valid gzip file"
else
    zcat "$page" | grep -q '^\.TH SKETCHBOARD 6 ' || fail "the manual page is not in section 6"
    zcat "$page" | grep -qF "$datadir/sketchboard/Data1.skt" ||
        fail "the manual page does not name the installed pictures"
fi

[ "$failures" -eq 0 ] || exit 1
echo "layout: $(echo "$actual" | wc -l) files in place"
