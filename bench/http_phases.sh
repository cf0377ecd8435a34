#!/usr/bin/env bash
# Where a download's time goes, in milliseconds (medians of RUNS runs,
# default 5, the programs taking turns in every run), for files of 16 and 256
# MiB over HTTP and HTTPS from the local nginx:
#   curl:    connect (TCP), tls (handshake done), first (first byte), total
#   loop:    the plainest WinINet download (wininet_loop_bench, 1 MiB reads,
#            no file): request (InternetOpenUrlA) and body
#   ours:    check (a status request of its own, closed with its body
#            unread: Wine's WinINet reads the whole body before it lets go),
#            request (connection, handshake and headers), and the body read
#            to nowhere, to the file, and to the file with progress shown
#            (http_phases_bench)
# Usage: bench/http_phases.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program http_phases_bench.exe build/win "${1:-}"
loop="$build/wininet_loop_bench.exe"
[ -e "$loop" ] || cmake --build "$build" --target wininet_loop_bench >/dev/null
bench_wine
bench_servers

for mib in 16 256; do bench_serve "phase_$mib.bin" "$mib"; done
target="$(win_path "$out/ours.bin")"

columns=(c.connect c.tls c.first c.total l.request l.body o.check o.request o.nowhere o.file o.shown)
printf '%-6s %4s' scheme MiB
printf ' %9s' "${columns[@]}"
echo
for row in "http 16" "http 256" "https 16" "https 256"; do
    read -r scheme mib <<<"$row"
    base=$http
    [ "$scheme" = http ] || base=$https
    url="$base/phase_$mib.bin"
    declare -A got=()
    for _ in $(seq "$runs"); do
        read -r connect tls first total < <(curl -sS -o /dev/null --cacert "$cacert" \
            -w '%{time_connect} %{time_appconnect} %{time_starttransfer} %{time_total}\n' "$url")
        got[c.connect]+=" $(awk "BEGIN{print $connect * 1000}")"
        got[c.tls]+=" $(awk "BEGIN{print $tls * 1000}")"
        got[c.first]+=" $(awk "BEGIN{print $first * 1000}")"
        got[c.total]+=" $(awk "BEGIN{print $total * 1000}")"

        line=$("$UPDATER_WINE" "$loop" "$url" 1024)
        case "$line" in "ok 1 "*) ;; *) echo "WinINet loop failed: $line" >&2; exit 1 ;; esac
        got[l.request]+=" $(field request_ms "$line")"
        got[l.body]+=" $(field body_ms "$line")"

        line=$("$UPDATER_WINE" "$bench" "$url" "$target")
        case "$line" in "ok 1 "*) ;; *) echo "updater phases failed: $line" >&2; exit 1 ;; esac
        for name in check request nowhere file shown; do
            key=${name}_ms
            case $name in nowhere | file | shown) key=body_${name}_ms ;; esac
            got[o.$name]+=" $(field "$key" "$line")"
        done
    done
    printf '%-6s %4d' "$scheme" "$mib"
    for column in "${columns[@]}"; do
        # shellcheck disable=SC2086
        printf ' %9.1f' "$(median ${got[$column]})"
    done
    echo
    unset got
done
echo "medians of $runs runs, milliseconds"
