# Shared by the benchmark scripts: build once, run a command three times and
# report the median of each figure it prints as "<key> <value>".
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TARNOWICK_BUILD_DIR:-$top/build}

bench_build() {
    "$top/scripts/install-deps" >&2
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "$@" >&2
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# bench_median KEY LABEL UNIT FILE: the median of KEY over the runs in FILE, as a result line.
bench_median() {
    local value
    value=$(awk -v key="$1" '$1 == key { print $2 }' "$4" | median)
    echo "result: $2 | $value | $3"
}
