#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
#
# Times unattended runs of the program (`tandemix SRC DST AUTORUN`, no display, log and report
# lists on as by default) side by side with `cp -a`, `cp -au`, `rsync -a` and a `find` walk of
# both trees, on generated trees and on a real one, and prints ratios. Page cache warm (one
# untimed run first), median of RUNS timed runs, the tools taking turns within each round so that
# a busy moment of the machine falls on all of them alike. Quote the ratios, not the seconds.
#
#   bench/run_bench.sh [small|small16|mixed|large|real|all]     default: all
#
# Trees:
#   small    20,000 files of 0-4 KiB, 10 a folder, folders nested 6 deep
#   small16  20,000 files of 0-16 KiB, 40 a folder, 500 folders in 4 levels
#   mixed    5,000 files, sizes lognormal around 21 KiB, a few of 20-50 MiB
#   large    LARGE_COUNT files of LARGE_MIB MiB; the incremental run replaces one and adds one
#   real     a copy of REAL_TREE (default /usr/share): links, odd modes, many folders
# Each tree: the initial copy against cp -a and rsync -a, the no-op resync against a find walk
# and rsync -a, and (but for real) an incremental run against cp -au.
#
# Environment: BENCH_DIR (default $TMPDIR or /tmp), RUNS (default 3), TANDEMIX (the program,
# default build/tandemix), LARGE_MIB (default 256), LARGE_COUNT (default 4), REAL_TREE.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
exe=${TANDEMIX:-$root/build/tandemix}
runs=${RUNS:-3}
which=${1:-all}
large_mib=${LARGE_MIB:-256}
large_count=${LARGE_COUNT:-4}
real_tree=${REAL_TREE:-/usr/share}

for tool in rsync python3 bc; do
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

gen_small16() { # 20,000 files of 0-16 KiB, 40 a folder, 500 folders in 4 levels
    python3 - "$1" <<'PY'
import os, random, sys
random.seed(5)
root, n = sys.argv[1], 0
for a in range(5):
    for b in range(5):
        for c in range(5):
            for d in range(4):
                folder = os.path.join(root, f"a{a}", f"b{b}", f"c{c}", f"d{d}")
                os.makedirs(folder, exist_ok=True)
                for _ in range(40):
                    with open(os.path.join(folder, f"f{n:05d}.dat"), "wb") as f:
                        f.write(os.urandom(random.randint(0, 16384)))
                    n += 1
PY
}

gen_mixed() { # 5,000 files, lognormal sizes around 21 KiB, five of 20-50 MiB
    python3 - "$1" <<'PY'
import math, os, random, sys
random.seed(11)
root = sys.argv[1]
for i in range(5000):
    folder = os.path.join(root, f"g{i // 100:03d}")
    os.makedirs(folder, exist_ok=True)
    if i % 1000 == 999:
        size = random.randint(20 << 20, 50 << 20)
    else:
        size = min(int(random.lognormvariate(math.log(21 * 1024), 1.2)), 8 << 20)
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

gen_real() { cp -a "$real_tree/." "$1/"; }

# The large tree's change: one file replaced by new content, one added, both newer.
change_large() {
    head -c $((large_mib * 1024 * 1024)) /dev/urandom >"$1/big1.bin"
    head -c $((large_mib * 1024 * 1024)) /dev/urandom >"$1/added.bin"
    touch -d '+1 hour' "$1/big1.bin" "$1/added.bin"
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
# race PREPARE CMD1 CMD2 ...: times each command RUNS times, the commands taking turns within
# each round, each timed run after its own untimed PREPARE (all strings, run with eval). Leaves
# each command's median in the array `medians`.
race() {
    local prepare="$1"
    shift
    local cmds=("$@") k round t0 t1
    local -a times
    for k in "${!cmds[@]}"; do # warm-up
        eval "$prepare"
        eval "${cmds[$k]}" >/dev/null 2>&1 || true
        times[k]=""
    done
    for round in $(seq 1 "$runs"); do
        for k in "${!cmds[@]}"; do
            eval "$prepare"
            sync # the preparation's writes are not the next command's to pay for
            t0=$(date +%s.%N)
            eval "${cmds[$k]}" >/dev/null 2>&1 || { echo "run_bench: failed: ${cmds[$k]}" >&2; exit 1; }
            t1=$(date +%s.%N)
            times[k]+="$(echo "$t1 - $t0" | bc -l) "
        done
    done
    medians=()
    for k in "${!cmds[@]}"; do
        # shellcheck disable=SC2086
        medians+=("$(printf '%s\n' ${times[k]} | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')")
    done
}

ratio() { echo "scale=2; $1 / $2" | bc -l; }

tx() { "$exe" "$1" "$2" AUTORUN; }
find_walk() { find "$1" "$2" -printf '%s %T@ %m %p\n' >/dev/null; }

report() { printf '%-26s %8.3fs  %s\n' "$1" "$2" "$3"; }

bench_tree() {
    local name="$1" gen="$2" change="$3"
    # Both folders end in the same name, so the run fills the target itself rather than a new
    # folder of the source's name inside it.
    local src="$work/$name/src/tree" dst="$work/$name/dst/tree"
    echo "== $name"
    mkdir -p "$src" "$(dirname "$dst")"
    "$gen" "$src"
    echo "   $(find "$src" | wc -l) entries, $(du -sh "$src" | cut -f1)"
    local empty="rm -rf '$dst'; mkdir -p '$dst'"

    race "$empty" "tx '$src' '$dst'" "cp -a '$src/.' '$dst/'" "rsync -a '$src/' '$dst/'"
    report "initial: tandemix" "${medians[0]}" \
        "$(ratio "${medians[0]}" "${medians[1]}")x cp -a, $(ratio "${medians[0]}" "${medians[2]}")x rsync -a"
    report "initial: cp -a" "${medians[1]}" ""
    report "initial: rsync -a" "${medians[2]}" ""

    rm -rf "$dst"
    mkdir -p "$dst"
    cp -a "$src/." "$dst/"
    race ":" "tx '$src' '$dst'" "find_walk '$src' '$dst'" "rsync -a '$src/' '$dst/'"
    report "no-op: tandemix" "${medians[0]}" \
        "$(ratio "${medians[0]}" "${medians[1]}")x find walk, $(ratio "${medians[0]}" "${medians[2]}")x rsync -a"
    report "no-op: find walk" "${medians[1]}" ""
    report "no-op: rsync -a" "${medians[2]}" ""

    if [ -n "$change" ]; then
        local pristine="$work/$name/pristine"
        cp -a "$dst" "$pristine"
        "$change" "$src"
        race "rm -rf '$dst'; cp -a '$pristine' '$dst'" "tx '$src' '$dst'" "cp -au '$src/.' '$dst/'"
        report "incremental: tandemix" "${medians[0]}" "$(ratio "${medians[0]}" "${medians[1]}")x cp -au"
        report "incremental: cp -au" "${medians[1]}" ""
    fi
    rm -rf "${work:?}/$name"
}

case "$which" in
small) bench_tree small gen_small change_one_percent ;;
small16) bench_tree small16 gen_small16 change_one_percent ;;
mixed) bench_tree mixed gen_mixed change_one_percent ;;
large) bench_tree large gen_large change_large ;;
real) bench_tree real gen_real "" ;;
all)
    bench_tree small gen_small change_one_percent
    bench_tree small16 gen_small16 change_one_percent
    bench_tree mixed gen_mixed change_one_percent
    bench_tree large gen_large change_large
    bench_tree real gen_real ""
    ;;
*)
    echo "usage: $0 [small|small16|mixed|large|real|all]" >&2
    exit 2
    ;;
esac
