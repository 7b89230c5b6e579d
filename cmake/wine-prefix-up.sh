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
# Wine's virtual desktop, as the main prefix has it: without it every window
# close stalls for two seconds, a message box's among them. Added to a
# prefix made before it too.
if [ ! -f "$WINEPREFIX/.desktop" ]; then
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.desktop"
fi
# A server that is already up (a repeated run, an earlier one left behind)
# refuses -p; the warm-up below then finds it.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine cmd /c exit </dev/null >/dev/null 2>&1
