#!/usr/bin/env bash
# SHA-256 throughput through CNG (Sha256OfHandle, under Wine) against
# sha256sum on the same file of SIZE_MIB MiB (default 1 GiB) from the page
# cache, in the same run: RUNS alternating runs of each (default 5), their
# medians, and the digests compared. "ours" is timed inside the program, from
# the open to the digest; "ours+start" is the whole Wine process, its start
# included, as sha256sum's figure is.
# Usage: bench/sha256.sh [Windows build folder]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
bench_program sha256_bench.exe build/win "${1:-}"
bench_wine

mib=${SIZE_MIB:-1024}
work="$(mktemp -d "${TMPDIR:-/tmp}/sha256_bench.XXXXXX")"
bench_at_exit 'rm -rf "$work"'
file="$work/large.bin"
head -c $((mib << 20)) /dev/urandom >"$file"
cat "$file" >/dev/null  # into the page cache for both contenders
bytes=$(stat -c %s "$file")

now() { date +%s%N; }
rate() { awk -v b="$bytes" -v s="$1" 'BEGIN{printf "%.1f", b / 1e6 / s}'; }

ours=() started=() theirs=() peak=0 same=equal
for _ in $(seq "$runs"); do
    t0=$(now)
    line=$("$UPDATER_WINE" "$bench" "$(win_path "$file")")
    t1=$(now)
    [ "$(field bytes "$line")" = "$bytes" ] || { echo "sha256_bench failed: $line" >&2; exit 1; }
    ours+=("$(field MB/s "$line")")
    started+=("$(rate "$(awk -v a="$t0" -v b="$t1" 'BEGIN{print (b - a) / 1e9}')")")
    awk -v p="$(field ws_peak_mib "$line")" -v q="$peak" 'BEGIN{exit !(p > q)}' && peak=$(field ws_peak_mib "$line")
    our_digest=${line%% *}

    t0=$(now)
    their_digest=$(sha256sum "$file" | awk '{print $1}')
    t1=$(now)
    theirs+=("$(rate "$(awk -v a="$t0" -v b="$t1" 'BEGIN{print (b - a) / 1e9}')")")
    [ "$our_digest" = "$their_digest" ] || same=DIFFERENT
done

o=$(median "${ours[@]}") s=$(median "${started[@]}") t=$(median "${theirs[@]}")
printf '%6s %10s %16s %15s %8s %8s %14s %s\n' MiB "ours MB/s" "ours+start MB/s" "sha256sum MB/s" ratio \
    "ratio+s" "ours peak MiB" digests
awk -v m="$mib" -v o="$o" -v s="$s" -v t="$t" -v p="$peak" -v d="$same" 'BEGIN {
    printf "%6d %10.1f %16.1f %15.1f %8.2f %8.2f %14.1f %s\n", m, o, s, t, o / t, s / t, p, d }'
