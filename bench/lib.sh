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

# Under Wine, with the project's prefix and display.
bench_wine() {
    source "$root/tools/wine-env.sh"
    updater_ensure_display
    updater_ensure_prefix
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

# bench_servers: starts the test servers unless they already run, loads
# their ports, and sets $www (nginx's folder) and $servers_started (1 when
# started here: bench_servers_stop then stops them again).
bench_servers() {
    servers_started=0
    if ! "$root/tools/test-servers" status >/dev/null 2>&1; then
        "$root/tools/test-servers" start
        servers_started=1
    fi
    updater_load_ports
    www="$root/build/servers/www"
}
bench_servers_stop() {
    [ "$servers_started" -eq 0 ] || "$root/tools/test-servers" stop
}
