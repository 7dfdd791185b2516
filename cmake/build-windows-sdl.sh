#!/bin/sh
# Builds SDL 1.2 for Windows from Debian's source package and installs it into PREFIX, for
# cmake/WindowsSDL.cmake, which runs this when PREFIX is missing.
#
#   build-windows-sdl.sh PREFIX SOURCE_VERSION HOST C_COMPILER
#
# Debian ships no SDL for mingw, but its source package (Debian's patches, security fixes
# included) builds for Windows as it is. The source is fetched with a private apt configuration,
# so the system's package lists are never touched, and everything is built in a temporary folder
# beside PREFIX that is renamed into place at the end: an interrupted or concurrent build never
# leaves a half-built PREFIX behind.
set -eu

prefix=$1
source_version=$2
host=$3
cc=$4

. "$(dirname "$0")/cache-build.sh"
start_cache_build "$prefix" "Building SDL for Windows"

# Debian's source packages, from the mirror that the system's own sources name: those of this
# machine's release, or else of the releases before it that Debian still serves (a release may
# have left classic SDL 1.2 behind, as the ones built on SDL2 do), one suite at a time until one
# has this version.
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
set -- -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir" \
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
if [ "$(id -u)" -eq 0 ]; then
    # apt hands downloads to its own user, which cannot write into a private folder under root's
    # home; this download is checked against the archive's signed index all the same.
    set -- "$@" -o APT::Sandbox::User=root
fi
found=
for suite in $(. /etc/os-release && echo "${VERSION_CODENAME:-}") oldstable oldoldstable; do
    rm -rf "$apt_dir/lists" && mkdir -p "$apt_dir/lists/partial"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
        "${uri:-http://deb.debian.org/debian}" "$suite" \
        /usr/share/keyrings/debian-archive-keyring.gpg >"$apt_dir/sources.sources"
    echo "Looking for libsdl1.2 $source_version in $suite" >>"$log"
    if apt-get "$@" -q update >>"$log" 2>&1 &&
        (cd "$work" && apt-get "$@" -q source --download-only "libsdl1.2=$source_version") \
            >>"$log" 2>&1; then
        found=$suite
        break
    fi
done
[ -n "$found" ] || fail "apt-get source"
# Unpacking applies Debian's patches.
dsc="$work/libsdl1.2_$source_version.dsc"
dpkg-source -x "$dsc" "$work/source" >>"$log" 2>&1 || fail "dpkg-source"

# Only video and events are used; the main wrapper must leave stdout and stderr alone. No link
# time stamp in SDL.dll and no build folder in its code: the same source and compiler give the
# same bytes, so the packages that ship it can be made again identically.
(
    cd "$work/source" &&
        CC="$cc" CFLAGS="-O2 -ffile-prefix-map=$work/source=." \
            LDFLAGS="-static-libgcc -Wl,--no-insert-timestamp" \
            ./configure --host="$host" --prefix="$prefix" \
            --disable-audio --disable-joystick --disable-cdrom --disable-nasm \
            --disable-stdio-redirect &&
        make -j "$(nproc)" &&
        make install DESTDIR="$work/stage"
) >>"$log" 2>&1 || fail "configure, make and make install"

staged="$work/stage$prefix"
# strip writes the time of day into the PE header unless SOURCE_DATE_EPOCH names one; 0 is what
# the linker wrote.
SOURCE_DATE_EPOCH=0 "$host-strip" --strip-unneeded "$staged/bin/SDL.dll" || fail "strip"

# What the packages ship beside SDL.dll: its licence, and the source package it was built from,
# exactly the files its .dsc names, which dpkg-source -x unpacks again.
mkdir -p "$staged/share/doc/SDL" "$staged/source"
cp "$work/source/COPYING" "$staged/share/doc/SDL/COPYING"
# The files of the .dsc: " <sha256> <size> <name>" lines under Checksums-Sha256.
awk '/^Checksums-Sha256:/ {listing = 1; next} /^[^ ]/ {listing = 0} listing {print $3}' "$dsc" |
    while read -r name; do cp "$work/$name" "$staged/source/" || exit 1; done &&
    cp "$dsc" "$staged/source/" || fail "keeping the source package"

# A rename within one file system: PREFIX appears whole or not at all. Should a concurrent build
# have finished first, its PREFIX is as good as this one.
mv -T "$staged" "$prefix" 2>/dev/null || [ -f "$prefix/bin/SDL.dll" ] || fail "renaming into place"
rm -f "$prefix.log"
