# Shared set-up of scripts/test and the other scripts: packages, display and
# the Wine prefix. Source it; it defines functions only.

# Debian packages the build and the tests need.
REQUIRED_PACKAGES="cmake make mingw-w64 mingw-w64-tools libwine-dev wine wine64 xvfb googletest python3 openssl nodejs libxml2-utils"

log() { echo "[$(basename "$0")] $*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    missing=""
    for package in $REQUIRED_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    # npm is a package of its own beside Debian's nodejs; other builds of
    # nodejs bring it along (and conflict with the package).
    command -v npm >/dev/null 2>&1 || missing="$missing npm"
    [ -z "$missing" ] && return 0
    log "installing:$missing"
    as_root apt-get update -qq &&
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

# Starts a private Xvfb on a free display and exports DISPLAY; the server is
# stopped when the calling script exits.
start_xvfb() {
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    read -r display_number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display_number"
    trap 'stop_xvfb' EXIT
    log "Xvfb on $DISPLAY"
}

stop_xvfb() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

wine_env() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
}

# Creates the 64-bit prefix once, with Wine's virtual desktop (without it
# every window close stalls for two seconds).
ensure_wine_prefix() {
    wine_env "$1"
    if [ -f "$WINEPREFIX/.ready" ]; then
        return 0
    fi
    log "creating Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.ready"
}

# Everything before a build of BUILD_DIR: packages, display, Wine prefix, the
# gSOAP runtime, and the CMake configuration (the toolchain is given once).
prepare_build() {
    ensure_packages
    start_xvfb
    # BUILD_DIR may be given relative to the checkout or absolute.
    case "$BUILD_DIR" in
    /*) ensure_wine_prefix "$BUILD_DIR/wineprefix" ;;
    *) ensure_wine_prefix "$(pwd)/$BUILD_DIR/wineprefix" ;;
    esac
    scripts/fetch-gsoap "$BUILD_DIR/gsoap"
    if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
        cmake -S . -B "$BUILD_DIR" >/dev/null
    else
        cmake -S . -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
    fi
}
