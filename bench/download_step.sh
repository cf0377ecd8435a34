#!/usr/bin/env bash
# The whole download step: the download worker (download_step_bench, under
# Wine) fetches 20 file items of 10 MiB each (and, to show that its memory
# does not grow with the files, 20 of 1 MiB) from the local nginx over HTTP,
# against one curl process fetching the same 20 addresses one after another
# on one connection, in the same run. The two take turns in every run;
# printed are the medians of RUNS runs (default 5) in MB/s over all 20 files,
# the ratio (goal: at least 0.5), and the updater's working set before the
# step and its largest peak, beside curl's peak resident size.
# SCHEME=https runs the same over HTTPS.
# Usage: bench/download_step.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program download_step_bench.exe build/win "${1:-}"
bench_wine
bench_servers

count=20
base=$http
[ "${SCHEME:-http}" = http ] || base=$https
folder="$(win_path "$out/download")"

printf '%4s %6s %10s %10s %7s %9s %9s %9s\n' MiB files "ours MB/s" "curl MB/s" ratio "ours ws" "ws peak" "curl pk"
for mib in 10 1; do
    mkdir -p "$www/step_$mib"
    bench_served+=("$www/step_$mib")
    urls=() outputs=()
    for i in $(seq 0 $((count - 1))); do
        head -c $((mib << 20)) /dev/urandom >"$www/step_$mib/step_$i.bin"
        urls+=("$base/step_$mib/step_$i.bin")
        outputs+=(-o "$out/curl_$i.bin" "$base/step_$mib/step_$i.bin")
    done
    ours=() curls=() before=0 peak=0 curl_peak=0
    for _ in $(seq "$runs"); do
        sync
        line=$("$UPDATER_WINE" "$bench" "$base/step_$mib" "$count" "$folder")
        case "$line" in "ok 1 "*) ;; *) echo "download step failed: $line" >&2; exit 1 ;; esac
        ours+=("$(field MB/s "$line")")
        p=$(field ws_peak_mib "$line")
        awk "BEGIN{exit !($p > $peak)}" && { peak=$p; before=$(field ws_before_mib "$line"); }

        sync
        # curl's own times of its transfers, summed: like ours, without the
        # program's start.
        seconds=$(/usr/bin/time -o "$out/time" -f "%M" curl -sS --cacert "$cacert" -w '%{time_total}\n' \
            "${outputs[@]}" | awk '{s += $1} END {print s}')
        kib=$(tail -1 "$out/time")
        curls+=("$(awk -v b=$((count * (mib << 20))) -v s="$seconds" 'BEGIN{printf "%.2f", b / 1e6 / s}')")
        awk "BEGIN{exit !($kib / 1024 > $curl_peak)}" && curl_peak=$(awk "BEGIN{print $kib / 1024}")
        rm -f "$out"/curl_*.bin
    done
    o=$(median "${ours[@]}") c=$(median "${curls[@]}")
    awk -v m="$mib" -v n="$count" -v o="$o" -v c="$c" -v b="$before" -v p="$peak" -v k="$curl_peak" 'BEGIN {
        printf "%4d %6d %10.1f %10.1f %7.2f %9.1f %9.1f %9.1f\n", m, n, o, c, o / c, b, p, k }'
done
echo "medians of $runs runs; curl: one process, the 20 files one after another on one connection"
