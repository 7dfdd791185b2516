#!/bin/sh
# makensis for a 64-bit installer: CPack passes no way to choose the installer's own
# architecture, and the default 32-bit stub does not run where Windows has no 32-bit part
# (Wine without its 32-bit half, for one).
exec makensis "-XTarget amd64-unicode" "$@"
