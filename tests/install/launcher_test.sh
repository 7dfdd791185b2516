#!/usr/bin/env bash
# Starts the installed launcher from an unrelated, empty folder on a private Xvfb screen, checks
# that the screen shows the title composed from the installed pictures, and that q ends the
# program with status 0.
# Usage: launcher_test.sh LAUNCHER DATA_DIR WORK_DIR
set -uo pipefail
launcher=$1 data=$2 work=$3

for tool in Xvfb xdotool xwd convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is missing (Debian: xvfb, xdotool, x11-apps, imagemagick)" >&2
        exit 1
    fi
done

rm -rf "$work"
mkdir -p "$work/elsewhere"
xvfb_pid='' program_pid=''
cleanup() {
    [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# -noreset: without it the server may reset between clients and SDL's start-up can fail.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done

# The title: background, board, header and waiting banner, at their places.
if ! convert "$data/Data4.skt" \
    "$data/Data1.skt" -geometry +183+200 -composite \
    "$data/Data2.skt" -geometry +470+40 -composite \
    "$data/Data5.skt" -geometry +350+860 -composite \
    -depth 8 "rgb:$work/title.rgb"; then
    echo "FAIL: could not compose the title from the pictures in $data" >&2
    exit 1
fi

(cd "$work/elsewhere" && exec "$launcher") &
program_pid=$!

shown=no
deadline=$((SECONDS + 30))
while [ "$SECONDS" -lt "$deadline" ]; do
    if xwd -root -silent >"$work/screen.xwd" 2>/dev/null &&
        convert "xwd:$work/screen.xwd" -depth 8 "rgb:$work/screen.rgb" 2>/dev/null &&
        cmp -s "$work/screen.rgb" "$work/title.rgb"; then
        shown=yes
        break
    fi
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
done
if [ "$shown" != yes ]; then
    convert "xwd:$work/screen.xwd" "$work/screen.png" 2>/dev/null
    echo "FAIL: the screen did not show the title within 30 s (last screen: $work/screen.png)" >&2
    exit 1
fi

# A held q both leaves the title and, on the drawing loop's first pass, quits.
xdotool keydown q
status=''
for _ in $(seq 100); do
    if ! kill -0 "$program_pid" 2>/dev/null; then
        wait "$program_pid"
        status=$?
        program_pid=''
        break
    fi
    sleep 0.1
done
xdotool keyup q
if [ -z "$status" ]; then
    echo "FAIL: the program did not end within 10 s of q" >&2
    exit 1
fi
if [ "$status" -ne 0 ]; then
    echo "FAIL: exit status $status after q, not 0" >&2
    exit 1
fi
echo "launcher: title shown from $work/elsewhere, exit status 0 after q"
