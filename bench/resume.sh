#!/usr/bin/env bash
# Continuing a broken download against fetching it afresh, in the same run,
# from the local nginx of tools/test-servers: a 256 MiB file over HTTP, once
# downloaded whole and once continued from a partial file of its first
# 128 MiB (as a download cut half way leaves it). Prints the seconds of each
# (best of RUNS), their ratio (the continued one should take about half),
# and the body bytes nginx sent for the continued download.
# Usage: bench/resume.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program http_resume_bench.exe build/win "${1:-}"
bench_wine

bench_servers  # sets $www, $http and $out, and cleans up at exit
access_log="$root/build/servers/logs/nginx-access.log"
name="bench_resume_$$.bin"

mib=256
bench_serve "$name" "$mib"
url="$http/$name"
file="$out/ours.bin"
winfile="Z:${file//\//\\}"

# "seconds kept" of one download; a continued one starts from a fresh
# partial file of the first half.
measure() {
    local mode=$1 line
    if [ "$mode" = resume ]; then head -c $((mib << 19)) "$www/$name" >"$file"; fi
    sync
    line=$("$UPDATER_WINE" "$bench" "$mode" "$url" "$winfile" | tr '\r\n' '  ')
    case "$line" in "ok 1 "*) ;; *) echo "$mode download failed: $line" >&2; return 1 ;; esac
    cmp -s "$file" "$www/$name" || { echo "$mode download: wrong bytes" >&2; return 1; }
    awk '{for (i = 1; i < NF; i++) v[$i] = $(i + 1); print v["seconds"], v["kept"]}' <<<"$line"
}

# Best of RUNS each, the two kinds taking turns so that the machine's load
# weighs on both alike.
fresh="" resumed="" kept=0
for _ in $(seq "$runs"); do
    result=$(measure fresh)
    read -r seconds _ <<<"$result"
    if [ -z "$fresh" ] || awk "BEGIN{exit !($seconds < $fresh)}"; then fresh=$seconds; fi
    result=$(measure resume)
    read -r seconds kept <<<"$result"
    if [ -z "$resumed" ] || awk "BEGIN{exit !($seconds < $resumed)}"; then resumed=$seconds; fi
done
# The body of the last continued download, as nginx logged it.
sent=$(grep -F "\"GET /$name HTTP/1.1\" 206 " "$access_log" | tail -1 | awk '{print $10}')
printf '%5s %13s %15s %7s %14s %14s\n' MiB "fresh s" "continued s" ratio "kept bytes" "sent bytes"
awk -v m="$mib" -v f="$fresh" -v r="$resumed" -v k="$kept" -v s="${sent:-0}" 'BEGIN {
    printf "%5d %13.3f %15.3f %7.2f %14d %14d\n", m, f, r, r / f, k, s }'
