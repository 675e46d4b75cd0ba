# Shared by the benchmark scripts: build once, run a command three times and
# report the median of each figure it prints as "<key> <value>".
#
# Every temporary file of a script lives in $scratch, which goes when the
# script ends, however it ends; programs it started in the background end
# with it.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TARNOWICK_BUILD_DIR:-$top/build}
scratch=$(mktemp -d)

bench_cleanup() {
    local children
    children=$(jobs -p)
    [ -z "$children" ] || kill $children 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap bench_cleanup EXIT

bench_build() {
    "$top/scripts/install-deps" >&2
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DTARNOWICK_TOOLS=ON >/dev/null
    cmake --build "$build" -j "$(nproc)" --target "$@" >&2
}

# A fresh folder under $scratch, for a settings location or simulator links.
scratch_dir() { mktemp -d -p "$scratch"; }

# wait_for_path PATH SECONDS: fails once SECONDS have passed without PATH appearing.
wait_for_path() {
    local tries=$(($2 * 10))
    while [ ! -e "$1" ]; do
        tries=$((tries - 1))
        if [ $tries -le 0 ]; then
            echo "$1 did not appear within $2 s" >&2
            return 1
        fi
        sleep 0.1
    done
}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# bench_median KEY LABEL UNIT FILE: the median of KEY over the runs in FILE, as a result line.
bench_median() {
    local value
    value=$(awk -v key="$1" '$1 == key { print $2 }' "$4" | median)
    echo "result: $2 | $value | $3"
}
