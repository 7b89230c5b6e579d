#!/bin/sh
# Runs a Windows executable under Wine for CTest (the cross-compiling
# emulator). WINEPREFIX comes from the test's environment; the rest is fixed
# here so that every test runs the same way.
export WINEDEBUG=-all
# winedbg.exe=d: without it a crashing test can exit 0. An entry's own
# overrides (mapi32=n for the test MAPI) are kept after ours.
defaults="mscoree,mshtml=;winedbg.exe=d"
case "${WINEDLLOVERRIDES:-}" in
"" | "$defaults") WINEDLLOVERRIDES=$defaults ;;
*) WINEDLLOVERRIDES="$defaults;$WINEDLLOVERRIDES" ;;
esac
export WINEDLLOVERRIDES
if [ -z "$WINEPREFIX" ]; then
    echo "wine-run.sh: WINEPREFIX is not set" >&2
    exit 2
fi
exec wine "$@"
