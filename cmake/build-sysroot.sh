#!/bin/sh
# Makes a sysroot of a Debian release for one architecture: the release's packages that
# building and testing need, downloaded with an apt configuration of the build's own and
# extracted, for cmake/DebianSysroot.cmake, which runs this when ENTRY is missing.
#
#   build-sysroot.sh ENTRY ARCH RELEASE [GCC_MAJOR]
#
# RELEASE is the release's code name. With GCC_MAJOR (the cross compiler's major version) the
# sysroot is one to build in, with the C and C++ libraries' development files for that compiler
# and SDL 1.2's headers; without it, it holds the runtimes only, to run and install-test a
# program built elsewhere.
#
# ENTRY/root        the target's files, and in var/lib/dpkg a database of the packages extracted
#                   there, which dpkg-shlibdeps asks which package holds a library
# ENTRY/apt/apt.conf  apt for ARCH's RELEASE as if on an empty system: `apt-get -c ...`
#
# Nothing on the machine changes: no foreign architecture is added to dpkg and the system's
# package lists are never touched. Everything is made in a temporary folder beside ENTRY that is
# renamed into place at the end, so that an interrupted or concurrent run never leaves half a
# sysroot behind. This file's content is part of ENTRY's name: a change here makes a new one.
set -eu

entry=$1
arch=$2
release=$3
gcc_major=${4:-}

# The programs' runtimes (SDL 1.2: classic where the release has it, sdl12-compat over SDL2),
# the C and C++ libraries, and base-files, whose links (/lib -> usr/lib on releases that keep
# everything under /usr) lead the emulator to the dynamic loader; their dependencies come along.
# To build in: the C and C++ libraries to link against and the SDL 1.2 headers. The headers'
# package is downloaded alone: its own dependencies are other development packages that sdl.pc
# does not name. No OpenGL (Mesa): without it SDL2 draws with its own software renderer, which
# keeps up under qemu, where Mesa's emulated rasterisers manage a few stamps a second (and under
# qemu-arm, llvmpipe shows one flat colour).
runtimes="base-files libc6 libstdc++6 libsdl1.2debian libsdl1.2-compat libsdl2-2.0-0"
headers=""
if [ -n "$gcc_major" ]; then
    runtimes="$runtimes libc6-dev libstdc++-$gcc_major-dev"
    headers="libsdl1.2-dev"
fi

. "$(dirname "$0")/cache-build.sh"
start_cache_build "$entry" "Making the $release $arch sysroot"

# apt's configuration, into FILE, for its folders under DIR: only ARCH, no recommended packages,
# an empty status (the closure is worked out as for a fresh system), and sources of its own.
write_apt_conf() { # FILE DIR
    cat >"$1" <<CONF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
Dir::Etc::SourceList "/dev/null";
Dir::Etc::SourceParts "$2/apt/sources";
Dir::Etc::PreferencesParts "$2/apt/preferences";
Dir::State "$2/apt/state";
Dir::State::Lists "$2/apt/lists";
Dir::State::status "$2/apt/status";
Dir::Cache "$2/apt/cache";
CONF
}
mkdir -p "$work/apt/sources" "$work/apt/preferences" "$work/apt/state" \
    "$work/apt/lists/partial" "$work/apt/cache/archives/partial"
: >"$work/apt/status"
write_apt_conf "$work/apt/apt.conf" "$work"

# The mirrors the system's own sources name (Debian's own addresses when it names none), one
# source a suite, so that a suite can be left out on its own.
sources=/etc/apt/sources.list.d/debian.sources
mirror=$(awk '/^URIs:/ && $2 !~ /security/ {print $2; exit}' "$sources" 2>/dev/null || true)
security=$(awk '/^URIs:/ && $2 ~ /security/ {print $2; exit}' "$sources" 2>/dev/null || true)
suites="$release $release-updates $release-security"
for suite in $suites; do
    uri=${mirror:-http://deb.debian.org/debian}
    case $suite in *-security) uri=${security:-http://deb.debian.org/debian-security} ;; esac
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nArchitectures: %s\nSigned-By: %s\n' \
        "$uri" "$suite" "$arch" /usr/share/keyrings/debian-archive-keyring.gpg \
        >"$work/apt/sources/$suite.sources"
done

set -- -c "$work/apt/apt.conf" -q
if [ "$(id -u)" -eq 0 ]; then
    # apt hands downloads to its own user, which cannot write into a private folder under root's
    # home; what it fetches is checked against the archive's signed index all the same.
    set -- "$@" -o APT::Sandbox::User=root
fi

# A suite whose index cannot be had (a mirror in the middle of a sync fails apt's size check for
# minutes at a time) is left out, with a warning: the sysroot serves building and testing only,
# and the package's dependencies are resolved on the target's own archive. Without the release
# itself there is nothing to build on.
apt-get "$@" update >>"$log" 2>&1 || true
for suite in $suites; do
    if ! ls "$work/apt/lists/"*"_dists_${suite}_main_binary-${arch}_Packages"* >/dev/null 2>&1; then
        [ "$suite" != "$release" ] || fail "downloading $release's $arch index"
        echo "warning: the $arch sysroot leaves out $suite, whose index could not be downloaded;" \
            "remove $entry to try again. apt said: $(grep -m1 "dists/$suite/" "$log")" >&2
        rm "$work/apt/sources/$suite.sources"
    fi
done

# The exact versions an empty system would install, then those packages themselves.
# shellcheck disable=SC2086 # one package name a word
apt-get "$@" install -s $runtimes >"$work/closure" 2>>"$log" || fail "resolving $runtimes"
# shellcheck disable=SC2046 # one package a word
mkdir "$work/debs" &&
    (cd "$work/debs" && apt-get "$@" download $headers \
        $(awk '$1 == "Inst" { sub(/^\(/, "", $3); print $2 "=" $3 }' "$work/closure")) \
        >>"$log" 2>&1 || fail "downloading the packages"

# Extracted, each recorded as dpkg records an installed package: its control fields, its file
# list with the paths it now has, and its shared-library information.
root="$work/root"
db="$root/var/lib/dpkg"
mkdir -p "$db/info" "$db/updates"
echo 1 >"$db/info/format"
echo "$arch" >"$db/arch"
: >"$db/status"
for deb in "$work"/debs/*.deb; do
    rm -rf "$work/control"
    dpkg-deb -e "$deb" "$work/control" || fail "reading $deb"
    control="$work/control/control"
    name=$(sed -n 's/^Package: //p' "$control")
    ! grep -qx 'Multi-Arch: same' "$control" || name="$name:$arch"
    { sed '/^Package:/a Status: install ok installed' "$control" && echo; } >>"$db/status"
    dpkg-deb -X "$deb" "$root" >"$work/files" || fail "extracting $deb"
    awk -v root="$entry/root" '$0 != "./" { sub(/^\./, ""); sub(/\/$/, ""); print root $0 }' \
        "$work/files" >"$db/info/$name.list"
    for part in shlibs symbols; do
        if [ -f "$work/control/$part" ]; then
            cp "$work/control/$part" "$db/info/$name.$part"
        fi
    done
done

# Links that name an absolute path would lead the cross linker to the build machine's own files
# (usr/lib/<triplet>/libm.so -> /lib/<triplet>/libm.so.6): each is made relative, to point to
# the same file inside the sysroot.
find "$root" -type l -lname '/*' | while read -r link; do
    target=$(readlink "$link")
    ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$root$target")" "$link"
done

# The downloaded packages and apt's binary caches (which name the temporary folder) go; apt's
# configuration is written again for the final place.
rm -rf "$work/debs" "$work/control" "$work/files" "$work/apt/cache"
mkdir -p "$work/apt/cache/archives/partial"
write_apt_conf "$work/apt/apt.conf" "$entry"
mkdir "$work/entry"
mv "$root" "$work/apt" "$work/entry/"

# A rename within one file system: ENTRY appears whole or not at all. Should a concurrent run
# have finished first, its ENTRY is as good as this one.
mv -T "$work/entry" "$entry" 2>/dev/null || [ -d "$entry/root" ] || fail "renaming into place"
rm -f "$entry.log"
