# Shared by the scripts that make something for the build cache in ~/.cache/sketchboard
# (build-windows-sdl.sh, build-sysroot.sh). Source it; it defines functions only.

# Starts making ENTRY: everything is made in a temporary folder beside it ($work, removed on the
# way out), with the tools' output in $log, and is renamed into place at the end, so that an
# interrupted or concurrent run never leaves half an ENTRY behind. WHAT names the work for
# fail's message.
start_cache_build() { # ENTRY WHAT
    entry=$1
    what=$2
    mkdir -p "$(dirname "$entry")"
    work=$(mktemp -d "$(dirname "$entry")/.cache-build.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    trap 'exit 1' HUP INT TERM
    log="$work/build.log"
    : >"$log"
}

# Ends the run at STEP, keeping the whole log as ENTRY.log and showing its end.
fail() { # STEP
    cp "$log" "$entry.log"
    echo "$what failed at: $1. The end of $entry.log:" >&2
    tail -n 40 "$log" >&2
    exit 1
}
