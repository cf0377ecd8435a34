#!/usr/bin/env bash
# What verifying a signed release costs a check run: update.exe /OP:CheckVer
# (under Wine, the whole process from start to end) against a release that
# quibo-publish signed, with a client that holds the key, beside the same
# release published unsigned, with a client without a key, both served by the
# local nginx. The two take turns in every run; printed are the medians of
# RUNS runs (default 11) in milliseconds and their ratio (goal: at most 1.05),
# of the time taken and of the processor time the run used (user and system),
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

# check KIND: "time processor-time" of one check run in milliseconds; the run
# must have found the new version, verified for the signed client and
# unverified for the other.
check() {
    local kind=$1 log
    rm -f "$out/$kind/client.log"
    (cd "$out/$kind" && /usr/bin/time -o "$out/time" -f "%e %U %S" "$UPDATER_WINE" update.exe "/OP:CheckVer" \
        >/dev/null 2>&1) || true
    log=$(iconv -f GBK -t UTF-8 "$out/$kind/client.log")
    if ! grep -q '发现新版本！' <<<"$log" || grep -q '错误：服务器端配置包' <<<"$log" ||
        { [ "$kind" = signed ] && grep -q '注意：客户端配置中没有公钥' <<<"$log"; } ||
        { [ "$kind" = plain ] && ! grep -q '注意：客户端配置中没有公钥' <<<"$log"; }; then
        echo "$kind check run did not do what it should; its log:" >&2
        echo "$log" >&2
        exit 1
    fi
    awk '{printf "%d %d", $1 * 1000, ($2 + $3) * 1000}' "$out/time"
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
    printf "%6d %11.0f %11.0f %7.3f %11.0f %11.0f %7.3f\n", n, s, p, s / p, sc, pc, sc / pc }'
echo "medians of $runs alternating check runs (the whole process under Wine); goal: ratio at most 1.05"
