# Shared by the benchmark scripts: sourced after `set -euo pipefail`.
#
# bench_program NAME DEFAULT_BUILD [BUILD]: sets $root, $build, $bench (the
# program NAME in the build folder, built when missing) and $runs (RUNS, or 5).
bench_program() {
    local name=$1 default=$2
    root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
    build="${3:-$root/$default}"
    runs="${RUNS:-5}"
    bench="$build/$name"
    [ -e "$bench" ] || cmake --build "$build" --target "${name%.exe}" >/dev/null
}

# Under Wine, with the project's prefix and display.
bench_wine() {
    source "$root/tools/wine-env.sh"
    updater_ensure_display
    updater_ensure_prefix
}
