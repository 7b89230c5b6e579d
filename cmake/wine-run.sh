#!/bin/sh
# Runs a Windows executable under Wine for CTest (the cross-compiling
# emulator). WINEPREFIX comes from the test's environment; the rest is fixed
# here so that every test runs the same way.
export WINEDEBUG=-all
# winedbg.exe=d: without it a crashing test can exit 0.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ -z "$WINEPREFIX" ]; then
    echo "wine-run.sh: WINEPREFIX is not set" >&2
    exit 2
fi
exec wine "$@"
