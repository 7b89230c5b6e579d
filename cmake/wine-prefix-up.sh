#!/bin/sh
# wine-prefix-up.sh <prefix>: a 64-bit Wine prefix of its own for tests that
# must not share the main one (registration writes machine-wide keys), made
# once and kept in the build folder; then a persistent, warmed wineserver.
# Every stream is redirected: a wineserver holding CTest's pipe stalls it.
set -eu
export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.ready"
fi
# A server that is already up (a repeated run, an earlier one left behind)
# refuses -p; the warm-up below then finds it.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1
