# Shared by the benchmark scripts: sourced after `set -euo pipefail`.
#
# bench_program NAME DEFAULT_BUILD [BUILD]: sets $root, $build, $bench (the
# program NAME in the build folder, built when missing) and $runs (RUNS, or 5).
bench_program() {
    local name=$1 default=$2
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    # Windows benchmarks run the build that this machine's Wine can run.
    if [ "$default" = build/win ]; then
        source "$root/tools/wine-env.sh"
        default=build/$UPDATER_WIN_PRESET
    fi
    build="${3:-$root/$default}"
    runs="${RUNS:-5}"
    bench="$build/$name"
    [ -e "$bench" ] || cmake --build "$build" --target "${name%.exe}" >/dev/null
}

# bench_at_exit COMMAND: COMMAND runs when the script ends, before those
# registered earlier. Scripts register here instead of setting their own EXIT
# trap, which would replace the one that stops what this file started.
bench_exit_commands=()
bench_at_exit() {
    bench_exit_commands+=("$1")
    trap bench_run_exit_commands EXIT
    trap 'exit 130' INT  # so that the commands run on Ctrl-C and on kill too
    trap 'exit 143' TERM
}
bench_run_exit_commands() {
    local i
    for ((i = ${#bench_exit_commands[@]} - 1; i >= 0; i--)); do eval "${bench_exit_commands[i]}" || true; done
}

# The pid of this tree's virtual display, or of its Wine server, when one runs.
bench_xvfb_pid() {
    local pid
    pid=$(cat "$UPDATER_ROOT/build/xvfb.pid" 2>/dev/null || true)
    if pid_is "$pid" Xvfb; then echo "$pid"; fi
}
bench_wineserver_pid() {
    local pid
    pid=$(cat "$(updater_wineserver_pidfile)" 2>/dev/null || true)
    if pid_is "$pid" wineserver64 || pid_is "$pid" wineserver32 || pid_is "$pid" wineserver; then echo "$pid"; fi
}

# Under Wine, with the project's prefix and display. The display and the Wine
# server are stopped again at exit, by id, when they were started here; those
# that already ran (a test run's, another script's) are left alone.
bench_wine() {
    source "$root/tools/wine-env.sh"
    bench_xvfb_before=$(bench_xvfb_pid)
    bench_wineserver_before=$(bench_wineserver_pid)
    updater_ensure_display
    updater_ensure_prefix
    bench_at_exit bench_wine_end
}

bench_wine_end() {
    local pid
    pid=$(bench_wineserver_pid)
    if [ -n "$pid" ] && [ -z "$bench_wineserver_before" ]; then
        # Ends the Wine processes of this prefix first, Wine's services among them.
        timeout 10 wineserver -k >/dev/null 2>&1 || true
        stop_process "$pid"
        rm -f "$(updater_wineserver_pidfile)"
    fi
    pid=$(bench_xvfb_pid)
    if [ -n "$pid" ] && [ -z "$bench_xvfb_before" ]; then
        stop_process "$pid"
        rm -f "$UPDATER_ROOT/build/xvfb.pid" "$UPDATER_ROOT/build/xvfb.display"
    fi
}

# bench_curl OUT EXPECTED [CURL ARGUMENTS...]: "best_MB/s peak_MiB" of $runs
# downloads by curl into OUT; with EXPECTED non-empty, each copy must equal it.
bench_curl() {
    local out=$1 expected=$2 best=0 peak=0 line speed kib
    shift 2
    for _ in $(seq "$runs"); do
        sync
        line=$(/usr/bin/time -f "%M" curl -sS -o "$out" -w '%{speed_download}\n' "$@" 2>&1)
        if [ -n "$expected" ] && ! cmp -s "$out" "$expected"; then
            echo "curl: wrong bytes" >&2
            return 1
        fi
        speed=$(awk 'NR == 1 {printf "%.1f", $1 / 1e6}' <<<"$line")
        kib=$(tail -1 <<<"$line")
        awk "BEGIN{exit !($speed > $best)}" && best=$speed
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    awk -v s="$best" -v k="$peak" 'BEGIN{printf "%s %.1f\n", s, k / 1024}'
}

# median NUMBER...: the middle value (the mean of the two middle ones for an
# even count). The machine is shared and its figures swing from run to run:
# the scripts report medians of alternating runs, not the best.
median() {
    printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {
        if (NR == 0) exit 1
        m = int((NR + 1) / 2)
        printf "%.2f\n", (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'
}

# field NAME LINE: the value after the word NAME in a report line.
field() {
    awk -v name="$1" '{for (i = 1; i < NF; i++) if ($i == name) {print $(i + 1); exit}}' <<<"$2"
}

# curl_once OUT [CURL ARGUMENTS...]: "MB/s peak_MiB" of one download by curl
# into OUT (the speed over the whole transfer, as curl reports it).
curl_once() {
    local out=$1 line
    shift
    sync
    line=$(/usr/bin/time -f "%M" curl -sS -o "$out" -w '%{speed_download}\n' "$@" 2>&1)
    awk 'NR == 1 {s = $1 / 1e6} END {printf "%.2f %.1f\n", s, $1 / 1024}' <<<"$line"
}

# bench_servers: the local servers of tools/test-servers, started here (and
# stopped at exit) unless they already run; sets $www (the served folder),
# $http and $https (base addresses), $cacert and $out (a scratch folder,
# removed at exit with what bench_served lists: the files bench_serve made).
bench_servers() {
    local servers="$root/tools/test-servers"
    bench_started=0
    if ! "$servers" status >/dev/null 2>&1; then
        "$servers" start
        bench_started=1
    fi
    updater_load_ports
    www="$root/build/servers/www"
    http=http://127.0.0.1:$UPDATER_HTTP_PORT
    https=https://127.0.0.1:$UPDATER_HTTPS_PORT
    cacert="$root/build/servers/ca/test-ca.crt"
    out="$(mktemp -d)"
    bench_served=()
    bench_at_exit bench_servers_end
}

bench_servers_end() {
    rm -rf "$out"
    [ "${#bench_served[@]}" -eq 0 ] || rm -rf "${bench_served[@]}"
    [ "$bench_started" -eq 0 ] || "$root/tools/test-servers" stop
}

# bench_serve NAME MIB: a file of MIB MiB of random bytes served as NAME.
bench_serve() {
    head -c $(($2 << 20)) /dev/urandom >"$www/$1"
    bench_served+=("$www/$1")
}

# win_path PATH: PATH as Wine's Windows programs see it.
win_path() { echo "Z:${1//\//\\}"; }
