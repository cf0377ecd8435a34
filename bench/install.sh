#!/usr/bin/env bash
# Installation throughput (under Wine) against cp -a, in the same run: a
# download tree of FILES files and SIZE_MIB MiB in all (default 2,000 files,
# 1 GiB) installed over a product tree in which every file exists already,
# so every file is backed up first, copied into place, and its backup
# deleted, each step journalled and flushed. Prints MB/s of each (best of
# RUNS, default 1), the ratio, and the installer's peak working set.
# Usage: bench/install.sh [Windows build folder]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-1} bench_program install_bench.exe build/win "${1:-}"
bench_wine

files=${FILES:-2000}
mib=${SIZE_MIB:-1024}
work="$(mktemp -d "${TMPDIR:-/tmp}/install_bench.XXXXXX")"
bench_at_exit 'rm -rf "$work"'

# 20 folders of files; the last bytes vary so that no two files are alike.
per=$(((mib << 20) / files))
head -c "$per" /dev/urandom >"$work/block"
for ((i = 0; i < files; i++)); do
    d="$work/dl/d$((i % 20))"
    mkdir -p "$d"
    { head -c $((per - 16)) "$work/block"; printf '%016d' "$i"; } >"$d/f$i.bin"
done
windows() { echo "Z:${1//\//\\}"; }

best_ours=0 peak=0 best_cp=0
for _ in $(seq "$runs"); do
    rm -rf "$work/app" "$work/copy"
    cp -a "$work/dl" "$work/app"  # the old product: every target exists
    sync
    line=$("$UPDATER_WINE" "$bench" "$(windows "$work/dl/")" "$(windows "$work/app/")" \
        "$(windows "$work/update.bin.journal")")
    case "$line" in "ok 1 "*) ;; *) echo "install failed: $line" >&2; exit 1 ;; esac
    read -r speed p < <(awk '{for (i = 1; i < NF; i++) v[$i] = $(i + 1); print v["MB/s"], v["ws_peak_mib"]}' <<<"$line")
    awk "BEGIN{exit !($speed > $best_ours)}" && best_ours=$speed
    awk "BEGIN{exit !($p > $peak)}" && peak=$p
    [ -z "$(find "$work/app" -name '*.ebk' -o -name '*.~qbcopy' | head -1)" ] || { echo "leftovers" >&2; exit 1; }

    sync
    start=$(date +%s.%N)
    cp -a "$work/dl" "$work/copy"
    sync
    end=$(date +%s.%N)
    speed=$(awk -v b=$((per * files)) -v s="$start" -v e="$end" 'BEGIN{printf "%.1f", b / 1e6 / (e - s)}')
    awk "BEGIN{exit !($speed > $best_cp)}" && best_cp=$speed
done

printf '%6s %6s %11s %11s %7s %12s\n' files MiB "ours MB/s" "cp MB/s" ratio "ours peak"
awk -v f="$files" -v m="$mib" -v o="$best_ours" -v c="$best_cp" -v p="$peak" 'BEGIN {
    printf "%6d %6d %11.1f %11.1f %7.2f %12.1f\n", f, m, o, c, o / c, p }'
