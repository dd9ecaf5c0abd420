#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the program's single-file copy against `cp -a` on a 1 GiB file in a temporary folder
# (warm page cache, median of three runs each) and prints the ratio.
#
# Usage: bench/copy_bench.sh [COPY_ONE_BINARY]   (BENCH_SIZE_MIB, BENCH_RUNS: defaults 1024, 3)
# Without an argument it uses build/copy_one, or builds the driver by hand against
# build/libtandemix_core.a when that executable does not exist yet.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
size_mib=${BENCH_SIZE_MIB:-1024}
runs=${BENCH_RUNS:-3}

work=$(mktemp -d "${TMPDIR:-/tmp}/tandemix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

copy_one=${1:-$here/build/copy_one}
if [[ ! -x $copy_one ]]; then
    lib=$here/build/libtandemix_core.a
    if [[ ! -f $lib ]]; then
        echo "copy_bench: neither $copy_one nor $lib exists; build the project first" >&2
        exit 1
    fi
    copy_one=$work/copy_one
    g++ -std=c++20 -O2 -I"$here/src" "$here/bench/copy_one.cpp" "$lib" -lpthread -o "$copy_one"
fi

mkdir -p "$work/src"
head -c $((size_mib * 1024 * 1024)) /dev/urandom >"$work/src/big.bin"
cat "$work/src/big.bin" >/dev/null # warm the page cache

now_ns() { date +%s%N; }

# Prints the milliseconds one copy into a fresh target folder takes.
time_one() {
    local kind=$1 target=$work/dst
    rm -rf "$target"
    mkdir -p "$target"
    sync # earlier copies' dirty pages must not be written back during this one
    local start end
    start=$(now_ns)
    if [[ $kind == tandemix ]]; then
        "$copy_one" "$work/src/big.bin" "$target"
    else
        cp -a "$work/src/big.bin" "$target/"
    fi
    end=$(now_ns)
    cmp -s "$work/src/big.bin" "$target/big.bin" || {
        echo "copy_bench: $kind produced a different file" >&2
        exit 1
    }
    echo $(((end - start) / 1000000))
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(((${#} + 1) / 2))p"; }

declare -a ours=() theirs=()
for ((i = 0; i < runs; i++)); do
    ours+=("$(time_one tandemix)")
    theirs+=("$(time_one cp)")
done
m_ours=$(median "${ours[@]}")
m_theirs=$(median "${theirs[@]}")

echo "file size:      ${size_mib} MiB"
echo "tandemix copy:  ${ours[*]} ms (median ${m_ours} ms)"
echo "cp -a:          ${theirs[*]} ms (median ${m_theirs} ms)"
awk -v a="$m_ours" -v b="$m_theirs" 'BEGIN { if (b > 0) printf "ratio:          %.2fx cp -a\n", a / b }'
