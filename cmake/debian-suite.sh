#!/bin/sh
# Prints the code name and version of a Debian suite as the archive says today, for example
# "trixie 13.8" for "stable": which release an alias names changes with every release, so it is
# asked of the archive rather than written down.
#
#   debian-suite.sh SUITE
#
# The archive is the mirror that this machine's own sources name (Debian's own when they name
# none); its Release file is read with apt's helper, which every Debian system has. The answer
# only names things: whatever is then downloaded for that code name is checked against the
# archive's signed index by apt as usual.
set -eu

suite=$1

# The first mirror of the system's sources that is not the security archive.
mirror=
for sources in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
    [ -f "$sources" ] || continue
    mirror=$(awk '(/^URIs:/ || /^deb /) { for (i = 2; i <= NF; i++) if ($i ~ /^https?:/) { print $i; exit } }' \
        "$sources" | grep -v security | head -n 1 || true)
    [ -z "$mirror" ] || break
done
mirror=${mirror:-http://deb.debian.org/debian}

release=$(mktemp)
trap 'rm -f "$release"' EXIT
if ! /usr/lib/apt/apt-helper download-file "${mirror%/}/dists/$suite/Release" "$release" \
    >/dev/null 2>&1; then
    echo "debian-suite.sh: cannot read ${mirror%/}/dists/$suite/Release" >&2
    exit 1
fi
codename=$(sed -n 's/^Codename: //p' "$release")
version=$(sed -n 's/^Version: //p' "$release")
if [ -z "$codename" ]; then
    echo "debian-suite.sh: ${mirror%/}/dists/$suite/Release names no code name" >&2
    exit 1
fi
echo "$codename ${version:-0}"
