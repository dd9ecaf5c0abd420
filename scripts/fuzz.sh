#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each on its seeds.
#   scripts/fuzz.sh smoke            a few seconds per target (CI)
#   scripts/fuzz.sh long [RUNS] [TARGET...]
#                                    RUNS executions per target (default ten million), on every
#                                    target or on those named (batch_file, configuration, ...)
#   FUZZ_MAX_LEN=N                   the longest input tried (default 65536)
# A crash leaves its input in build-fuzz/findings/; make it a regular test once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-smoke}"
runs="${2:-10000000}"
build=build-fuzz

need=()
for p in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo_=()
    [ "$(id -u)" -eq 0 ] || sudo_=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo_[@]}" apt-get update -qq
    "${sudo_[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DTANDEMIX_FUZZ=ON -DTANDEMIX_TESTS=OFF -DTANDEMIX_WERROR=OFF >/dev/null
fi
targets=()
if [ $# -gt 2 ]; then
    for name in "${@:3}"; do
        targets+=("fuzz_$name")
    done
else
    for src in fuzz/fuzz_*.cpp; do
        targets+=("$(basename "$src" .cpp)")
    done
fi
cmake --build "$build" --target "${targets[@]}"

mkdir -p "$build/findings" "$build/corpus"
# The readers that take a file get it in a scratch folder; on tmpfs their crash-safe writes cost
# no disk flush, which would otherwise bound a target to a few hundred runs a second.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
status=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/${t#fuzz_}"
    mkdir -p "$corpus"
    if [ "$mode" = long ]; then
        limit=(-runs="$runs")
    else
        # A fixed seed: CI tries the same inputs on every machine, so a finding is a finding, not luck.
        limit=(-max_total_time=5 -seed=1)
    fi
    echo "== $t"
    if ! "$build/fuzz/$t" "${limit[@]}" -max_len="${FUZZ_MAX_LEN:-65536}" -artifact_prefix="$build/findings/$t-" \
        -print_final_stats=1 "$corpus" "fuzz/seeds/${t#fuzz_}" 2>"$build/$t.log"; then
        status=1
        tail -40 "$build/$t.log"
    fi
    grep -E "stat::number_of_executed_units|cov:" "$build/$t.log" | tail -2
done
exit "$status"
