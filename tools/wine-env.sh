# Sourced by the scripts that run Windows programs: the project's own 32-bit Wine
# prefix inside the build tree, the Chinese locale (ANSI code page 936), no Wine
# debug noise, and a virtual X display started on first use.
#
# UPDATER_BUILD        build tree of the Windows preset (default: build/win)
# UPDATER_DISPLAY_NUM  X display to use (default: a free one, started here)

UPDATER_ROOT=${UPDATER_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
source "$(dirname "${BASH_SOURCE[0]}")/processes.sh"

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
# pid_is PID NAME: true while process PID runs the program NAME (a recorded pid
# may have been handed to another program since).
pid_is() {
    [ -n "$1" ] && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = "$2" ]
}

# Closes every file this shell has open beyond stdin, stdout and stderr. For
# programs that outlive the run: they would keep what the caller inherited
# open, a lock such as `flock FILE -c ...` holds among it, for as long as they
# live.
updater_close_inherited() {
    local fd
    for fd in /proc/$BASHPID/fd/*; do
        fd=${fd##*/}
        [ "$fd" -gt 2 ] 2>/dev/null && eval "exec $fd>&-"
    done
    return 0
}

# updater_detach LOG PROGRAM ARGUMENTS...: starts the program in the background
# in a session of its own, with nothing inherited open; $! is its pid.
updater_detach() {
    local log=$1
    shift
    (
        updater_close_inherited
        exec setsid "$@" </dev/null >"$log" 2>&1
    ) &
}

# True when an X server answers on display :$1.
display_answers() { xdpyinfo -display ":$1" >/dev/null 2>&1; }

# Exports DISPLAY for an X server of this tree's own, started on first use:
# display :$UPDATER_DISPLAY_NUM when that is set (used as it is when something
# already answers there), otherwise the first free display number from 100 on.
# An Xvfb started here is recorded in build/xvfb.pid and build/xvfb.display.
updater_ensure_display() {
    local build=$UPDATER_ROOT/build n
    n=${UPDATER_DISPLAY_NUM:-$(cat "$build/xvfb.display" 2>/dev/null || true)}
    if [ -n "$n" ] && display_answers "$n"; then
        export DISPLAY=:$n
        return 0
    fi
    mkdir -p "$build"
    (
        flock 9
        n=${UPDATER_DISPLAY_NUM:-$(cat "$build/xvfb.display" 2>/dev/null || true)}
        if [ -n "$n" ] && display_answers "$n"; then exit 0; fi
        candidates=${UPDATER_DISPLAY_NUM:-$(seq 100 199)}
        for n in $candidates; do
            # A lock file or socket: taken, unless the number was asked for.
            if [ -z "${UPDATER_DISPLAY_NUM:-}" ] && [ -e /tmp/.X$n-lock -o -e /tmp/.X11-unix/X$n ]; then continue; fi
            updater_detach "$build/xvfb.log" Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp
            pid=$!
            for _ in $(seq 100); do
                if display_answers "$n"; then
                    echo "$pid" >"$build/xvfb.pid"
                    echo "$n" >"$build/xvfb.display"
                    exit 0
                fi
                pid_is "$pid" Xvfb || break  # lost the number to another server
                sleep 0.1
            done
            pid_is "$pid" Xvfb && kill "$pid"
        done
        echo "wine-env: Xvfb did not start (see build/xvfb.log)" >&2
        exit 1
    ) 9>"$build/xvfb.lock" || return 1
    n=${UPDATER_DISPLAY_NUM:-$(cat "$build/xvfb.display")}
    export DISPLAY=:$n
}

# The file that records the wineserver started here for this prefix.
updater_wineserver_pidfile() { echo "$UPDATER_ROOT/build/$(basename "$WINEPREFIX").wineserver.pid"; }

# Creates the prefix once, quietly, and keeps one wineserver up for the whole run.
updater_ensure_prefix() {
    local pidfile pid
    mkdir -p "$UPDATER_ROOT/build"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            echo "wine-env: creating the Wine prefix in $WINEPREFIX" >&2
            (updater_close_inherited && exec "$UPDATER_WINE" wineboot -i) </dev/null >/dev/null 2>&1
            wineserver -w
        fi
        # One wineserver and Wine's background services for the whole run, started
        # here with no terminal or pipe attached: started by a test program instead,
        # they would inherit its output pipe and keep whoever reads it waiting.
        pidfile=$(updater_wineserver_pidfile)
        pid=$(cat "$pidfile" 2>/dev/null || true)
        pid_is "$pid" wineserver64 || pid_is "$pid" wineserver32 || pid_is "$pid" wineserver && exit 0
        rm -f "$pidfile"
        # In the foreground of its own session, so that $! is the server. When a
        # server already serves the prefix this one ends at once and is not ours.
        updater_detach /dev/null wineserver -f -p
        pid=$!
        sleep 0.2
        if [ -n "$(cat "/proc/$pid/comm" 2>/dev/null)" ] && [ "$(awk '{print $3}' "/proc/$pid/stat")" != Z ]; then
            echo "$pid" >"$pidfile"
        fi
        updater_detach /dev/null "$UPDATER_WINE" cmd /c exit
        wait $! || true
    ) 9>"$UPDATER_ROOT/build/wineprefix.lock"
}

# Stops what updater_ensure_prefix and updater_ensure_display started, by pid.
# The wineserver started here is asked to end the Wine processes of this
# tree's prefix first (Wine's services would outlive it otherwise).
updater_stop_wine() {
    local pidfile pid
    pidfile=$(updater_wineserver_pidfile)
    pid=$(cat "$pidfile" 2>/dev/null || true)
    if pid_is "$pid" wineserver64 || pid_is "$pid" wineserver32 || pid_is "$pid" wineserver; then
        timeout 10 wineserver -k >/dev/null 2>&1 || true
        stop_process "$pid"
    fi
    rm -f "$pidfile"
    pid=$(cat "$UPDATER_ROOT/build/xvfb.pid" 2>/dev/null || true)
    if pid_is "$pid" Xvfb; then stop_process "$pid"; fi
    rm -f "$UPDATER_ROOT/build/xvfb.pid" "$UPDATER_ROOT/build/xvfb.display"
}

# Exports the ports of this tree's test servers (tools/test-servers) when they
# have been given out; the programs fall back to fixed numbers otherwise.
updater_load_ports() {
    local env=$UPDATER_ROOT/build/servers/ports.env
    [ -f "$env" ] || return 0
    set -a
    # shellcheck disable=SC1090
    source "$env"
    set +a
}
