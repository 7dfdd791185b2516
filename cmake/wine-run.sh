#!/bin/sh
# Runs a Windows program under Wine for CTest, with its output through a file. The wineserver and
# Wine's services that a run starts outlive it by a few seconds, keeping its output open; CTest
# would wait for them after every test, and start them anew for the next one.
output=$(mktemp) || exit 1
wine "$@" >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit "$status"
