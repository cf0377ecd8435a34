#!/usr/bin/env bash
# Download throughput of the updater's HTTP transfer (under Wine) against curl,
# in the same run, from the local nginx of tools/test-servers (on the tree's
# ports): files of 16 and 256 MiB over HTTP, and 256 MiB over HTTPS. Both
# write the file to disk. Prints MB/s of each (best of RUNS), the ratio, and
# the updater's memory: the working set before the download and its peak
# during it (the growth must stay flat whatever the file size), beside curl's
# peak resident size.
# Usage: bench/http_download.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program http_download_bench.exe build/win "${1:-}"
bench_wine

# The servers: started here (and stopped again) unless they already run.
servers="$root/tools/test-servers"
started=0
if ! "$servers" status >/dev/null 2>&1; then
    "$servers" start
    started=1
fi
updater_load_ports
www="$root/build/servers/www"
out="$(mktemp -d)"
cleanup() {
    rm -rf "$out" "$www"/bench_*.bin
    [ "$started" -eq 0 ] || "$servers" stop
}
trap cleanup EXIT

for mib in 16 256; do head -c $((mib << 20)) /dev/urandom >"$www/bench_$mib.bin"; done

# "best_MB/s ws_before_mib ws_peak_mib" over RUNS runs of the updater.
measure_ours() {
    local url=$1 best=0 before=0 peak=0 line
    for _ in $(seq "$runs"); do
        line=$("$UPDATER_WINE" "$bench" "$url" "Z:${out//\//\\}\\ours.bin")
        case "$line" in "ok 1 "*) ;; *) echo "updater download failed: $line" >&2; return 1 ;; esac
        read -r speed b p < <(awk '{for (i = 1; i < NF; i++) v[$i] = $(i + 1); print v["MB/s"], v["ws_before_mib"], v["ws_peak_mib"]}' <<<"$line")
        awk "BEGIN{exit !($speed > $best)}" && best=$speed
        awk "BEGIN{exit !($p > $peak)}" && { peak=$p; before=$b; }
    done
    echo "$best $before $peak"
}

printf '%-6s %5s %11s %11s %7s %12s %12s %12s %12s\n' scheme MiB "ours MB/s" "curl MB/s" ratio \
    "ours ws MiB" "ours peak" "ours growth" "curl peak"
http=http://127.0.0.1:$UPDATER_HTTP_PORT
for row in "http 16 $http" "http 256 $http" "https 256 https://127.0.0.1:$UPDATER_HTTPS_PORT"; do
    read -r scheme mib base <<<"$row"
    read -r ours before peak < <(measure_ours "$base/bench_$mib.bin")
    read -r theirs theirs_peak < <(bench_curl "$out/curl.bin" "" --cacert "$root/build/servers/ca/test-ca.crt" "$base/bench_$mib.bin")
    awk -v s="$scheme" -v m="$mib" -v o="$ours" -v t="$theirs" -v b="$before" -v p="$peak" -v c="$theirs_peak" 'BEGIN {
        printf "%-6s %5d %11.1f %11.1f %7.2f %12.1f %12.1f %12.1f %12.1f\n", s, m, o, t, o / t, b, p, p - b, c }'
done
