#!/usr/bin/env bash
# Digest throughput of CFileMd5 against md5sum on the same files (from the page
# cache, best of RUNS), their digests compared, and each one's peak memory on a
# small and a large file: the reader's memory must not grow with the file.
# Usage: bench/md5.sh [build folder, default build/native]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program md5_bench build/native "${1:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

head -c $((64 << 20)) /dev/urandom >"$work/small.bin"
head -c $((1024 << 20)) /dev/urandom >"$work/large.bin"
cat "$work"/*.bin >/dev/null  # into the page cache for both contenders

# Runs a command RUNS times; prints "best_seconds peak_kib first_word_of_output".
measure() {
    local best="" peak=0 t0 t1 secs kib word
    for _ in $(seq "$runs"); do
        t0=$(date +%s%N)
        word=$(/usr/bin/time -f "%M" -o "$work/time" "$@" | awk '{print $1}')
        t1=$(date +%s%N)
        secs=$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.6f", (b - a) / 1e9}')
        kib=$(tail -1 "$work/time")
        if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    echo "$best $peak $word"
}

printf '%-6s %8s %12s %12s %8s %14s %16s %s\n' file MiB "ours MB/s" "md5sum MB/s" ratio "ours peak MiB" "md5sum peak MiB" digests
for name in small large; do
    file="$work/$name.bin"
    bytes=$(stat -c %s "$file")
    read -r ours ours_kib ours_digest < <(measure "$bench" "$file")
    read -r theirs theirs_kib their_digest < <(measure md5sum "$file")
    same=$([ "$ours_digest" = "$their_digest" ] && echo equal || echo DIFFERENT)
    awk -v n="$name" -v b="$bytes" -v o="$ours" -v t="$theirs" -v ok="$ours_kib" -v tk="$theirs_kib" -v s="$same" 'BEGIN {
        printf "%-6s %8.0f %12.1f %12.1f %8.2f %14.1f %16.1f %s\n", n, b/1048576, b/1e6/o, b/1e6/t, t/o, ok/1024, tk/1024, s }'
done
