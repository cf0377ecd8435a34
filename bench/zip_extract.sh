#!/usr/bin/env bash
# Extraction throughput of CZipArchive against unzip, in the same run, on two
# archives of 256 MiB of member data: one large member, and 2,000 small ones.
# Prints MB/s of each (best of RUNS), the ratio, and each one's peak memory.
# Usage: bench/zip_extract.sh [build folder, default build/native]
# RUNS=n sets the runs per tool; TMPDIR=/dev/shm keeps disk noise out.
set -euo pipefail

source "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-3} bench_program zip_extract_bench build/native "${1:-}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Member data: text-like lines with some incompressible stretches, so that
# deflate has real work to do (about 2.5 : 1).
/usr/bin/python3 - "$work" <<'PY'
import os, random, sys
work = sys.argv[1]
rnd = random.Random(1)
words = [("".join(rnd.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rnd.randint(2, 9)))).encode()
         for _ in range(5000)]
def block(n):
    out = bytearray()
    while len(out) < n * 3 // 4:
        out += b" ".join(rnd.choice(words) for _ in range(12)) + b" %d\n" % rnd.randint(0, 10**9)
    del out[n * 3 // 4:]
    out += os.urandom(n - len(out))
    return bytes(out)
blocks = [block(1 << 20) for _ in range(16)]
total = 256 << 20
os.makedirs(f"{work}/large")
with open(f"{work}/large/large.bin", "wb") as f:
    for i in range(total >> 20):
        f.write(blocks[i % 16])
small = total // 2000
pool = b"".join(blocks)
for i in range(2000):
    folder = f"{work}/small/d{i // 100:02d}"
    os.makedirs(folder, exist_ok=True)
    at = (i * 7919 * 4096) % (len(pool) - small)
    with open(f"{folder}/f{i:04d}.dat", "wb") as f:
        f.write(pool[at:at + small])
PY
(cd "$work/large" && zip -q -r ../large.zip .)
(cd "$work/small" && zip -q -r ../small.zip .)
rm -rf "$work/large" "$work/small"

# Runs a command RUNS times into an empty folder; prints "best_seconds peak_kib".
measure() {
    local best="" peak=0 out="$work/out" line secs kib
    for _ in $(seq "$runs"); do
        rm -rf "$out" && mkdir -p "$out"
        sync
        line=$(/usr/bin/time -f "%e %M" "$@" "$out" 2>&1 >/dev/null | tail -1)
        secs=${line% *}; kib=${line#* }
        if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    rm -rf "$out"
    echo "$best $peak"
}

printf '%-8s %10s %12s %12s %8s %14s %14s\n' archive "MiB" "ours MB/s" "unzip MB/s" ratio "ours peak MiB" "unzip peak MiB"
for name in large small; do
    zipfile="$work/$name.zip"
    bytes=$(unzip -Zt "$zipfile" | awk '{print $3}')
    read -r ours ours_kib < <(measure "$bench" "$zipfile")
    read -r theirs theirs_kib < <(measure unzip -o -q "$zipfile" -d)
    awk -v n="$name" -v b="$bytes" -v o="$ours" -v t="$theirs" -v ok="$ours_kib" -v tk="$theirs_kib" 'BEGIN {
        printf "%-8s %10.0f %12.1f %12.1f %8.2f %14.1f %14.1f\n", n, b/1048576, b/1e6/o, b/1e6/t, t/o, ok/1024, tk/1024 }'
done
