#!/usr/bin/env bash
# Download throughput of the updater's HTTP transfer (under Wine) against the
# plainest WinINet loop (wininet_loop_bench: 1 MiB reads straight into the
# file, the ceiling of anything built on WinINet under this Wine) and curl, in
# the same run, from the local nginx of tools/test-servers (on the tree's
# ports): files of 16 and 256 MiB over HTTP and HTTPS. All three write the
# file to disk. The three programs take turns in every run; printed are the
# medians of RUNS runs (default 5) in MB/s, the ratios to curl, and the
# updater's memory: its working set before the download and its largest peak
# (the growth must stay flat whatever the file size), beside curl's peak
# resident size.
# CURL_CIPHERS: curl's TLS 1.2 cipher list (--ciphers); by default the suite
# Wine's TLS (GnuTLS) and the test nginx agree on, so that both decrypt alike.
# Usage: bench/http_download.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program http_download_bench.exe build/win "${1:-}"
loop="$build/wininet_loop_bench.exe"
[ -e "$loop" ] || cmake --build "$build" --target wininet_loop_bench >/dev/null
bench_wine
bench_servers

curl_tls=(--tls-max 1.2 --ciphers "${CURL_CIPHERS:-ECDHE-RSA-AES256-GCM-SHA384}")
for mib in 16 256; do bench_serve "bench_$mib.bin" "$mib"; done
target="$(win_path "$out/ours.bin")"

printf '%-6s %4s %10s %10s %10s %7s %7s %9s %9s %9s\n' scheme MiB "ours MB/s" "loop MB/s" "curl MB/s" \
    ours/c loop/c "ours ws" "ws peak" "curl pk"
for row in "http 16" "http 256" "https 16" "https 256"; do
    read -r scheme mib <<<"$row"
    base=$http
    [ "$scheme" = http ] || base=$https
    url="$base/bench_$mib.bin"
    ours=() loops=() curls=() before=0 peak=0 curl_peak=0
    for _ in $(seq "$runs"); do
        line=$("$UPDATER_WINE" "$bench" "$url" "$target")
        case "$line" in "ok 1 "*) ;; *) echo "updater download failed: $line" >&2; exit 1 ;; esac
        ours+=("$(field MB/s "$line")")
        p=$(field ws_peak_mib "$line")
        awk "BEGIN{exit !($p > $peak)}" && { peak=$p; before=$(field ws_before_mib "$line"); }

        line=$("$UPDATER_WINE" "$loop" "$url" 1024 "$target")
        case "$line" in "ok 1 "*) ;; *) echo "WinINet loop failed: $line" >&2; exit 1 ;; esac
        loops+=("$(field MB/s "$line")")

        read -r speed kib < <(curl_once "$out/curl.bin" --cacert "$cacert" "${curl_tls[@]}" "$url")
        curls+=("$speed")
        awk "BEGIN{exit !($kib > $curl_peak)}" && curl_peak=$kib
    done
    o=$(median "${ours[@]}") l=$(median "${loops[@]}") c=$(median "${curls[@]}")
    awk -v s="$scheme" -v m="$mib" -v o="$o" -v l="$l" -v c="$c" -v b="$before" -v p="$peak" -v k="$curl_peak" 'BEGIN {
        printf "%-6s %4d %10.1f %10.1f %10.1f %7.2f %7.2f %9.1f %9.1f %9.1f\n", s, m, o, l, c, o / c, l / c, b, p, k }'
done
echo "medians of $runs runs; ours/c and loop/c: the medians' ratios to curl"
