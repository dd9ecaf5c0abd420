#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Times unattended runs of the program (`tandemix SRC DST AUTORUN`, no display) side by side
# with `cp -a`, `cp -au`, `rsync -a` and a `find` walk of both trees, on generated trees, and
# prints ratios. Page cache warm (one untimed run first), median of RUNS timed runs. Quote the
# ratios, not the seconds: the machine is shared and noisy.
#
#   bench/run_bench.sh [small|mixed|large|all]     default: all
#
# Trees:
#   small  20,000 small files in a deep tree (initial copy, no-op resync, 1% incremental)
#   mixed  5,000 files of mixed sizes (initial copy, no-op resync)
#   large  a few files of hundreds of MiB (initial copy)
#
# Environment: BENCH_DIR (default $TMPDIR or /tmp), RUNS (default 3), TANDEMIX (the program,
# default build/tandemix), LARGE_MIB (default 300), LARGE_COUNT (default 3).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=${TANDEMIX:-$root/build/tandemix}
runs=${RUNS:-3}
which=${1:-all}
large_mib=${LARGE_MIB:-300}
large_count=${LARGE_COUNT:-3}

for tool in rsync python3; do
    if ! command -v "$tool" >/dev/null; then
        echo "run_bench: $tool is needed for the comparison (apt-get install $tool)" >&2
        exit 2
    fi
done
if [ ! -x "$exe" ]; then
    echo "run_bench: build the program first (make build); not found: $exe" >&2
    exit 2
fi

work=$(mktemp -d "${BENCH_DIR:-${TMPDIR:-/tmp}}/tandemix-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
export TANDEMIX_HOME="$work/home"
mkdir -p "$TANDEMIX_HOME"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# ---- Trees ----------------------------------------------------------------------------------------
gen_small() { # 20,000 files of 0-4 KiB, 10 per folder, folders nested 6 deep
    python3 - "$1" <<'PY'
import os, random, sys
random.seed(7)
root = sys.argv[1]
n = 0
def walk(path, depth):
    global n
    os.makedirs(path, exist_ok=True)
    for i in range(10):
        if n >= 20000:
            return
        with open(os.path.join(path, f"f{n:05d}.txt"), "wb") as f:
            f.write(os.urandom(random.randint(0, 4096)))
        n += 1
    if depth < 6:
        for d in range(3):
            if n < 20000:
                walk(os.path.join(path, f"d{d}"), depth + 1)
while n < 20000:
    walk(os.path.join(root, f"top{n:05d}"), 0)
PY
}

gen_mixed() { # 5,000 files: most small, some of a few MiB
    python3 - "$1" <<'PY'
import os, random, sys
random.seed(11)
root = sys.argv[1]
for i in range(5000):
    folder = os.path.join(root, f"g{i // 100:03d}")
    os.makedirs(folder, exist_ok=True)
    r = random.random()
    size = random.randint(0, 16384) if r < 0.8 else (random.randint(16384, 1 << 20) if r < 0.98 else random.randint(1 << 20, 8 << 20))
    with open(os.path.join(folder, f"m{i:05d}.bin"), "wb") as f:
        f.write(os.urandom(size))
PY
}

gen_large() {
    mkdir -p "$1"
    for i in $(seq 1 "$large_count"); do
        head -c $((large_mib * 1024 * 1024)) /dev/urandom >"$1/big$i.bin"
    done
}

# Changes 1% of the files, adds 1% and deletes 1%, with times one hour later.
change_one_percent() {
    python3 - "$1" <<'PY'
import os, random, sys, time
random.seed(13)
root = sys.argv[1]
files = []
for d, _, names in os.walk(root):
    files += [os.path.join(d, n) for n in names]
files.sort()
k = max(1, len(files) // 100)
later = time.time() + 3600
for p in random.sample(files, k):
    with open(p, "ab") as f:
        f.write(b"changed")
    os.utime(p, (later, later))
rest = [p for p in files if os.path.exists(p)]
for p in random.sample(rest, k):
    os.remove(p)
for i in range(k):
    p = os.path.join(os.path.dirname(random.choice(rest)), f"added{i:05d}.txt")
    with open(p, "wb") as f:
        f.write(os.urandom(1000))
PY
}

# ---- Timing ---------------------------------------------------------------------------------------
# median of `runs` runs of: prepare (untimed) then command (timed)
median_time() {
    local prepare="$1"
    shift
    local times=()
    eval "$prepare"
    "$@" >/dev/null 2>&1 || true # warm-up
    for _ in $(seq 1 "$runs"); do
        eval "$prepare"
        # Let the preparation's writes reach the disk first, so no command pays for another's.
        sync
        local t0 t1
        t0=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || { echo "run_bench: failed: $*" >&2; exit 1; }
        t1=$(date +%s.%N)
        times+=("$(echo "$t1 - $t0" | bc -l)")
    done
    printf '%s\n' "${times[@]}" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'
}

ratio() { echo "scale=2; $1 / $2" | bc -l; }

tx() { "$exe" "$1" "$2" AUTORUN; }
find_walk() { find "$1" "$2" -printf '%s %T@ %m %p\n' >/dev/null; }

report() { printf '%-28s %8.3fs  %s\n' "$1" "$2" "$3"; }

bench_tree() {
    local name="$1" gen="$2" incremental="$3"
    local src="$work/$name-src" dst="$work/$name-dst"
    echo "== $name"
    "$gen" "$src"

    local t_tx t_cp t_rsync
    t_tx=$(median_time "rm -rf '$dst'; mkdir -p '$dst'" tx "$src" "$dst")
    t_cp=$(median_time "rm -rf '$dst'; mkdir -p '$dst'" cp -a "$src/." "$dst/")
    t_rsync=$(median_time "rm -rf '$dst'; mkdir -p '$dst'" rsync -a "$src/" "$dst/")
    report "initial: tandemix" "$t_tx" "$(ratio "$t_tx" "$t_cp")x cp -a  (mark 1.2)"
    report "initial: cp -a" "$t_cp" ""
    report "initial: rsync -a" "$t_rsync" "$(ratio "$t_cp" "$t_rsync")x (cp -a / rsync)"

    # No-op resync: the target is complete.
    rm -rf "$dst"; mkdir -p "$dst"; cp -a "$src/." "$dst/"
    local n_tx n_find n_rsync
    n_tx=$(median_time ":" tx "$src" "$dst")
    n_find=$(median_time ":" find_walk "$src" "$dst")
    n_rsync=$(median_time ":" rsync -a "$src/" "$dst/")
    report "no-op: tandemix" "$n_tx" "$(ratio "$n_tx" "$n_find")x find walk  (mark 1.3)"
    report "no-op: find walk" "$n_find" "$(ratio "$n_find" "$n_rsync")x rsync no-op"
    report "no-op: rsync -a" "$n_rsync" ""

    if [ "$incremental" = yes ]; then
        local pristine="$work/$name-pristine"
        rm -rf "$pristine"; cp -a "$dst" "$pristine"
        change_one_percent "$src"
        local reset="rm -rf '$dst'; cp -a '$pristine' '$dst'"
        local i_tx i_cpu
        i_tx=$(median_time "$reset" tx "$src" "$dst")
        i_cpu=$(median_time "$reset" cp -au "$src/." "$dst/")
        report "1% change: tandemix" "$i_tx" "$(ratio "$i_tx" "$i_cpu")x cp -au  (mark 1.2)"
        report "1% change: cp -au" "$i_cpu" ""
    fi
    rm -rf "$src" "$dst" "$work/$name-pristine"
}

case "$which" in
small) bench_tree small gen_small yes ;;
mixed) bench_tree mixed gen_mixed no ;;
large) bench_tree large gen_large no ;;
all)
    bench_tree small gen_small yes
    bench_tree mixed gen_mixed no
    bench_tree large gen_large no
    ;;
*)
    echo "usage: $0 [small|mixed|large|all]" >&2
    exit 2
    ;;
esac
