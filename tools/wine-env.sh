# Sourced by the scripts that run Windows programs: the project's own 32-bit Wine
# prefix inside the build tree, the Chinese locale (ANSI code page 936), no Wine
# debug noise, and a virtual X display started on first use.
#
# UPDATER_BUILD  build tree of the Windows preset (default: build/win)

UPDATER_ROOT=${UPDATER_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

# The shipped program is 32-bit and runs under 32-bit Wine wherever the kernel
# executes 32-bit code. Some kernels do not (IA-32 emulation switched off): there
# the same sources, built as 64-bit code (preset win64), run under 64-bit Wine.
# UPDATER_WIN_PRESET=win|win64 overrides the probe.
if [ -z "${UPDATER_WIN_PRESET:-}" ]; then
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
        timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
        UPDATER_WIN_PRESET=win
    else
        UPDATER_WIN_PRESET=win64
    fi
fi
export UPDATER_WIN_PRESET
if [ "$UPDATER_WIN_PRESET" = win ]; then
    export WINEARCH=win32
    UPDATER_WINE=/usr/lib/wine/wine
    export WINEPREFIX=${WINEPREFIX:-$UPDATER_ROOT/build/wineprefix}
else
    export WINEARCH=win64
    UPDATER_WINE=/usr/lib/wine/wine64
    export WINELOADER=$UPDATER_WINE
    export WINEPREFIX=${WINEPREFIX:-$UPDATER_ROOT/build/wineprefix64}
fi
export UPDATER_WINE
UPDATER_BUILD=${UPDATER_BUILD:-$UPDATER_ROOT/build/$UPDATER_WIN_PRESET}
# Wine takes the system locale, and with it the ANSI code page, from LC_CTYPE,
# and the user's formats from LC_MESSAGES. Both are Chinese unless a test asks
# for another system code page (UPDATER_WINE_CTYPE: C.UTF-8 gives 1252) or
# other formats (UPDATER_WINE_FORMATS, such as en_US.UTF-8).
if [ -n "${UPDATER_WINE_CTYPE:-}${UPDATER_WINE_FORMATS:-}" ]; then
    unset LC_ALL LC_MESSAGES
    export LANG=zh_CN.UTF-8 LC_CTYPE=${UPDATER_WINE_CTYPE:-zh_CN.UTF-8}
    export LC_MESSAGES=${UPDATER_WINE_FORMATS:-zh_CN.UTF-8}
else
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
fi
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: their dialogs would wait for a person.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export UPDATER_DISPLAY_NUM=${UPDATER_DISPLAY_NUM:-87}

# Starts Xvfb on :$UPDATER_DISPLAY_NUM unless it already runs, and exports DISPLAY.
updater_ensure_display() {
    local n=$UPDATER_DISPLAY_NUM
    export DISPLAY=:$n
    if [ -S /tmp/.X11-unix/X$n ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then return 0; fi
    mkdir -p "$UPDATER_ROOT/build"
    (
        flock 9
        if [ -S /tmp/.X11-unix/X$n ] && xdpyinfo -display ":$n" >/dev/null 2>&1; then exit 0; fi
        rm -f /tmp/.X11-unix/X$n /tmp/.X$n-lock
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$UPDATER_ROOT/build/xvfb.log" 2>&1 9>&- &
        for _ in $(seq 100); do
            xdpyinfo -display ":$n" >/dev/null 2>&1 && exit 0
            sleep 0.1
        done
        echo "wine-env: Xvfb did not start (see build/xvfb.log)" >&2
        exit 1
    ) 9>"$UPDATER_ROOT/build/xvfb.lock"
}

# Creates the prefix once, quietly, and keeps one wineserver up for the whole run.
updater_ensure_prefix() {
    mkdir -p "$UPDATER_ROOT/build"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-env: creating the Wine prefix in $WINEPREFIX" >&2
            "$UPDATER_WINE" wineboot -i </dev/null >/dev/null 2>&1 9>&-
            wineserver -w
        fi
    ) 9>"$UPDATER_ROOT/build/wineprefix.lock"
    # One wineserver and Wine's background services for the whole run, started
    # here with no terminal or pipe attached: started by a test program instead,
    # they would inherit its output pipe and keep whoever reads it waiting.
    if ! pgrep -f 'wineserver.* -p' >/dev/null 2>&1; then
        setsid wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
        setsid "$UPDATER_WINE" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
}

updater_stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${UPDATER_DISPLAY_NUM:-}" ]; then
        pkill -f "Xvfb :$UPDATER_DISPLAY_NUM " >/dev/null 2>&1 || true
    fi
}
