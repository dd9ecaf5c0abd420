#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Times listing one folder pair and deciding it (bench/list_decide) against a `find` walk of the
# same two folders, the floor any no-op resync has to pay, at several sizes so that linear growth
# shows. Each folder pair: N source files; the target holds the same files with the same times,
# except 1% missing, 1% older than the source, and 0.5% extra files the source does not have.
# Times are wall-clock, page cache warm (one untimed run first), median of RUNS runs.
#
#   bench/listing_bench.sh [N ...]          default: 10000 50000 100000
#
# Environment:
#   BENCH_BUILD  build folder for an optimised core and the driver (default: build-bench)
#   BENCH_DIR    where the trees are generated (default: $TMPDIR or /tmp); removed afterwards
#   RUNS         timed runs per measurement (default: 3)
#   TARGET_RATIO the ratio to the find walk the engine must stay under (default: 1.3)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build-bench}
runs=${RUNS:-3}
target_ratio=${TARGET_RATIO:-1.3}
sizes=("$@")
if [ ${#sizes[@]} -eq 0 ]; then
    sizes=(10000 50000 100000)
fi

# ---- Driver -----------------------------------------------------------------------------------
# An unoptimised core would measure the compiler, not the engine: build an optimised core of our
# own, as `make` builds it. Warnings do not stop a measurement (GCC's optimiser warns where the
# debug build does not); the normal build keeps them fatal.
log=$(mktemp "${TMPDIR:-/tmp}/tandemix-bench-build.XXXXXX")
built() {
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        echo "listing_bench: build failed: $*" >&2
        exit 2
    fi
}
if [ ! -f "$build/build.ninja" ]; then
    built cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTANDEMIX_TESTS=OFF \
        -DTANDEMIX_WERROR=OFF
fi
driver=$build/list_decide
if cmake --build "$build" --target help 2>/dev/null | grep -q '^list_decide:'; then
    built cmake --build "$build" --target list_decide
else
    built cmake --build "$build" --target tandemix_core
    built "${CXX:-g++}" -std=c++20 -O2 -DNDEBUG -I"$root/src" "$root/bench/list_decide.cpp" \
        "$build/libtandemix_core.a" -lpthread -ldl -o "$driver"
fi
rm -f "$log"

# ---- Trees ------------------------------------------------------------------------------------
work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/tandemix-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

generate() { # generate SRC DST N
    python3 - "$1" "$2" "$3" <<'PY'
import os, sys
src, dst, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.makedirs(src)
os.makedirs(dst)
payload = b"x" * 100
base = 1_600_000_000  # September 2020; even seconds only, so packed times are exact


def put(path, stamp):
    with open(path, "wb") as f:
        f.write(payload)
    os.utime(path, (stamp, stamp))


for i in range(n):
    name = f"file{i:07d}.dat"
    stamp = base + (i % 43200) * 2
    put(os.path.join(src, name), stamp)
    if i % 100 == 1:
        continue  # missing in the target: an add
    put(os.path.join(dst, name), stamp - 3600 if i % 100 == 2 else stamp)  # older: an update
for i in range(n // 200):
    put(os.path.join(dst, f"extra{i:07d}.dat"), base)  # unmatched
PY
}

now_ms() {
    local t=$EPOCHREALTIME
    echo "${t/[.,]/}" | awk '{ printf "%.3f", $1 / 1000 }'
}

# median_ms CMD...: runs CMD once untimed, then RUNS times; prints the median in milliseconds.
median_ms() {
    "$@" >/dev/null
    local times=() start end
    for ((r = 0; r < runs; r++)); do
        start=$(now_ms)
        "$@" >/dev/null
        end=$(now_ms)
        times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

find_walk() {
    find "$1" "$2" -printf '%s %T@ %m %p\n'
}

printf '%9s %10s %12s %7s %11s %11s   %s\n' files "find ms" "engine ms" ratio "find us/e" "engine us/e" "rows adds updates unmatched"
worst=0
first_per_entry=
last_per_entry=
for n in "${sizes[@]}"; do
    src=$work/src$n
    dst=$work/dst$n
    generate "$src" "$dst" "$n"
    entries=$(find "$src" "$dst" -mindepth 1 | wc -l)
    counts=$("$driver" "$src" "$dst" | awk '{ print $1, $2, $3, $4 }')
    find_ms=$(median_ms find_walk "$src" "$dst")
    engine_ms=$(median_ms "$driver" "$src" "$dst")
    read -r ratio find_us engine_us < <(awk -v f="$find_ms" -v e="$engine_ms" -v k="$entries" \
        'BEGIN { printf "%.2f %.2f %.2f\n", e / f, f * 1000 / k, e * 1000 / k }')
    printf '%9d %10.1f %12.1f %6.2fx %11s %11s   %s\n' "$n" "$find_ms" "$engine_ms" "$ratio" "$find_us" "$engine_us" "$counts"
    worst=$(awk -v a="$worst" -v b="$ratio" 'BEGIN { print (b > a) ? b : a }')
    first_per_entry=${first_per_entry:-$engine_us}
    last_per_entry=$engine_us
    rm -rf "$src" "$dst"
done

growth=$(awk -v a="$first_per_entry" -v b="$last_per_entry" 'BEGIN { printf "%.2f", b / a }')
echo
echo "engine time per entry, largest vs smallest set: ${growth}x (1.00x is linear)"
if awk -v w="$worst" -v t="$target_ratio" 'BEGIN { exit !(w <= t) }'; then
    echo "worst ratio to the find walk: ${worst}x (target <= ${target_ratio}x): ok"
else
    echo "worst ratio to the find walk: ${worst}x (target <= ${target_ratio}x): OVER TARGET"
    exit 1
fi
