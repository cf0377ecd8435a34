#!/usr/bin/env bash
# What verifying a signed release costs a check run: update.exe /OP:CheckVer
# (under Wine, the whole process from start to end) against a release that
# quibo-publish signed, with a client that holds the key, beside the same
# release published unsigned, with a client without a key, both served by the
# local nginx. The two take turns: each run times BATCH check runs (default 5)
# of one, then of the other; printed are the medians over RUNS runs (default
# 11) of the milliseconds one check run took and their ratio (goal: at most
# 1.05), of the time taken and of the processor time used (user and system),
# which swings less on a machine that others share.
# Usage: bench/check_signed.sh [Windows build folder, default build/win]
set -euo pipefail

source "$(dirname "$0")/lib.sh"
RUNS=${RUNS:-11} bench_program update.exe build/win "${1:-}"
bench_wine
bench_servers

publisher=${UPDATER_NATIVE_BUILD:-$root/build/native}/quibo-publish
[ -x "$publisher" ] || cmake --build "$(dirname "$publisher")" --target quibo-publish >/dev/null
served="$www/check_signed.$$"
bench_served+=("$served")

# A release of ten programs, each a file item newer than the client's.
release="$out/product"
mkdir -p "$release"
for i in $(seq 0 9); do
    head -c $((256 << 10)) /dev/urandom >"$release/app$i.exe"
    printf '[file%d]\nfile=app%d.exe\npath={temp}\\check_signed\n' "$i" "$i" >>"$release/release.ini"
done
"$publisher" keygen --out "$out/key" >/dev/null

# product KIND [--key FILE]: a product folder for KIND, with the client package
# that the publisher wrote for the release it published for KIND.
product() {
    local kind=$1
    shift
    mkdir -p "$served/$kind" "$out/$kind"
    "$publisher" --release "$release" --url "$http/check_signed.$$/$kind" --out "$served/$kind" --ver 2.0.0 \
        --client --client-ver 1.0.0 "$@" >/dev/null
    mv "$served/$kind/update.bin" "$out/$kind/update.bin"
    cp "$bench" "$out/$kind/update.exe"
}
product signed --key "$out/key/release.key"
product plain

# check KIND: "time processor-time" in milliseconds per check run, of $batch
# runs one after another; each run must have found the new version, verified
# for the signed client and unverified for the other.
batch=${BATCH:-5}
check() {
    local kind=$1 log start end
    rm -f "$out/$kind/client.log"
    start=$(date +%s%N)
    (cd "$out/$kind" && /usr/bin/time -o "$out/time" -f "%U %S" bash -c \
        'for _ in $(seq "$1"); do "$2" update.exe /OP:CheckVer >/dev/null 2>&1 || true; done' - "$batch" "$UPDATER_WINE")
    end=$(date +%s%N)
    log=$(iconv -f GBK -t UTF-8 "$out/$kind/client.log")
    if [ "$(grep -cE '^[0-9:]+ +发现新版本！' <<<"$log")" -ne "$batch" ] || grep -q '错误：' <<<"$log" ||
        [ "$(grep -c '注意：客户端配置中没有公钥' <<<"$log")" -ne "$([ "$kind" = plain ] && echo "$batch" || echo 0)" ]; then
        echo "$kind check runs did not do what they should; their log:" >&2
        echo "$log" >&2
        exit 1
    fi
    awk -v n="$batch" -v s="$start" -v e="$end" '{printf "%.1f %.1f", (e - s) / 1e6 / n, ($1 + $2) * 1000 / n}' "$out/time"
}

check signed >/dev/null  # the first start of the prefix's programs is slower
signed=() plain=() signed_cpu=() plain_cpu=()
for _ in $(seq "$runs"); do
    one=$(check signed)
    signed+=("${one% *}") signed_cpu+=("${one#* }")
    one=$(check plain)
    plain+=("${one% *}") plain_cpu+=("${one#* }")
done
s=$(median "${signed[@]}") p=$(median "${plain[@]}")
sc=$(median "${signed_cpu[@]}") pc=$(median "${plain_cpu[@]}")
printf '%6s %11s %11s %7s %11s %11s %7s\n' runs "signed ms" "plain ms" ratio "signed cpu" "plain cpu" ratio
awk -v n="$runs" -v s="$s" -v p="$p" -v sc="$sc" -v pc="$pc" 'BEGIN {
    printf "%6d %11.1f %11.1f %7.3f %11.1f %11.1f %7.3f\n", n, s, p, s / p, sc, pc, sc / pc }'
echo "medians of $runs alternating runs of $batch check runs each (the whole process under Wine), per check run;" \
    "goal: ratio at most 1.05"
