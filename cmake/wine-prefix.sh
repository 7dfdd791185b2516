#!/bin/sh
# The Wine prefix of one test run (cmake/WineTests.cmake), in WINEPREFIX.
#   wine-prefix.sh setup     makes a fresh prefix and waits until Wine has settled
#   wine-prefix.sh cleanup   ends its wineserver and deletes it
set -eu

case "$1" in
setup)
    # Whatever an interrupted run left behind goes first: every run starts from the same prefix.
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot -i
    # Without a window manager Wine waits twice for one on closing a full-screen window, which
    # adds four seconds to every exit; unmanaged windows spare that wait.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
    wineserver -w
    ;;
cleanup)
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
*)
    echo "usage: $0 setup|cleanup" >&2
    exit 2
    ;;
esac
