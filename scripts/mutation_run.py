#!/usr/bin/env python3
"""Seeded mutation run over the core: does the test suite notice a one-line fault?

A developer's tool, not part of CI. It checks out the committed tree (HEAD) into a scratch
worktree, builds the core's test programs there once, then for each of a fixed, seeded sample of
one-line mutants (a flipped comparison, a negated condition, an off-by-one, a removed call, a
swapped boolean) rebuilds and runs the core test programs. A mutant is killed when a test fails
or hangs, survives when every test passes, and does not count when it does not compile.

    scripts/mutation_run.py [--seed 1] [--count 60] [--rev HEAD] [--report mutation-report.txt]
                            [--matrix kills.txt]

With --matrix every core test program runs on every mutant (slower), and the file lists for each
killed mutant the test cases that failed, then the cases that alone kill some mutant and the cases
that kill none of the sample: where to look before merging or dropping a test.

The same seed and count on the same tree give the same mutants, so two runs of the script at two
commits compare the power of the tests there. Needs git, cmake, ninja; ccache speeds it up.
"""

import argparse
import collections
import os
import random
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile

FOLDERS = ["src/engine", "src/platform", "src/settings"]
TEST_PROGRAMS = ["engine_tests", "platform_tests", "settings_tests", "reporting_tests", "automation_tests"]
TEST_TIMEOUT = 300
# A mutant that turns a loop into one that allocates for ever must fail, not take the machine.
TEST_MEMORY = 8 << 30

# (name, pattern, replacement): applied to one match on one line.
OPERATORS = [
    ("eq-to-ne", r" == ", " != "),
    ("ne-to-eq", r" != ", " == "),
    ("lt-to-le", r" < ", " <= "),
    ("le-to-lt", r" <= ", " < "),
    ("gt-to-ge", r" > ", " >= "),
    ("ge-to-gt", r" >= ", " > "),
    ("and-to-or", r" && ", " || "),
    ("or-to-and", r" \|\| ", " && "),
    ("true-to-false", r"\btrue\b", "false"),
    ("false-to-true", r"\bfalse\b", "true"),
    ("plus-one", r" \+ 1\b", " + 2"),
    ("minus-one", r" - 1\b", " - 2"),
    ("negate-if", r"\bif \((.*)\) \{$", r"if (!(\1)) {"),
]
FAILED_CASE = re.compile(r"^\[  FAILED  \] ([\w/]+\.[\w/.]+)", re.M)
CALL_LINE = re.compile(r"^\s*[A-Za-z_][\w:.\->]*\(.*\);$")


def code_lines(text):
    """Line numbers (0-based) worth mutating: code, not comments, includes or strings."""
    lines = text.split("\n")
    for number, line in enumerate(lines):
        stripped = line.strip()
        if not stripped or stripped.startswith(("//", "#", "*", "/*")):
            continue
        if '"' in line or "static_assert" in line or "template" in line:
            continue
        yield number, line


def candidates(root):
    found = []
    for folder in FOLDERS:
        base = os.path.join(root, folder)
        for name in sorted(os.listdir(base)):
            if not name.endswith(".cpp"):
                continue
            rel = os.path.join(folder, name)
            with open(os.path.join(root, rel), encoding="utf-8", errors="surrogateescape") as f:
                text = f.read()
            for number, line in code_lines(text):
                for op, pattern, _ in OPERATORS:
                    for match_index, _ in enumerate(re.finditer(pattern, line)):
                        found.append((folder, rel, number, op, match_index))
                if CALL_LINE.match(line) and "return" not in line and " = " not in line:
                    found.append((folder, rel, number, "remove-call", 0))
    return found


def sample(found, count, seed):
    """An even share from each folder, drawn with the seed."""
    rng = random.Random(seed)
    chosen = []
    per_folder = max(1, count // len(FOLDERS))
    for folder in FOLDERS:
        pool = [c for c in found if c[0] == folder]
        chosen += rng.sample(pool, min(per_folder, len(pool)))
    return chosen


def mutate(line, op, match_index):
    if op == "remove-call":
        indent = line[: len(line) - len(line.lstrip())]
        return indent + "(void)0; // mutant: call removed"
    pattern, replacement = next((p, r) for o, p, r in OPERATORS if o == op)
    matches = list(re.finditer(pattern, line))
    m = matches[match_index]
    return line[: m.start()] + m.expand(replacement) + line[m.end():]


def programs_for(rel):
    """Every core test program, the mutated folder's own first: most mutants die there."""
    own = rel.split("/")[1] + "_tests"
    return [own] + [p for p in TEST_PROGRAMS if p != own]


def limit_memory():
    resource.setrlimit(resource.RLIMIT_AS, (TEST_MEMORY, TEST_MEMORY))


def run(cmd, cwd, timeout=None):
    try:
        done = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout,
                              preexec_fn=limit_memory if timeout else None)
        return done.returncode, done.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return "timeout", ""


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--count", type=int, default=60)
    parser.add_argument("--report", default="mutation-report.txt")
    parser.add_argument("--rev", default="HEAD", help="the commit to measure")
    parser.add_argument("--keep", action="store_true", help="keep the scratch worktree")
    parser.add_argument("--matrix", help="also write which test cases kill each mutant to this file")
    args = parser.parse_args()

    repo = subprocess.check_output(["git", "rev-parse", "--show-toplevel"], text=True).strip()
    # Stopped from outside: leave no scratch worktree behind (the finally below removes it).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("stopped"))
    scratch = tempfile.mkdtemp(prefix="tandemix-mutants-")
    tree = os.path.join(scratch, "tree")
    subprocess.check_call(["git", "worktree", "add", "--detach", "-q", tree, args.rev], cwd=repo)
    build = os.path.join(tree, "build")
    configure = ["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DTANDEMIX_WERROR=OFF"]
    if shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    results = []
    kills = {}  # mutant row -> the test cases that failed on it
    every_case = set()
    try:
        subprocess.check_call(configure, stdout=subprocess.DEVNULL)
        build_cmd = ["cmake", "--build", build, "--target"] + TEST_PROGRAMS
        code, out = run(build_cmd, tree)
        if code != 0:
            sys.exit("the unmutated tree does not build:\n" + out[-3000:])
        for program in TEST_PROGRAMS:
            code, out = run([os.path.join(build, "tests", program)], os.path.join(build, "tests"), TEST_TIMEOUT)
            if code != 0:
                sys.exit(f"{program} fails without any mutant:\n" + out[-3000:])
            if args.matrix:
                every_case |= listed_cases(os.path.join(build, "tests", program))

        chosen = sample(candidates(tree), args.count, args.seed)
        for index, (_, rel, number, op, match_index) in enumerate(chosen, 1):
            path = os.path.join(tree, rel)
            with open(path, encoding="utf-8", errors="surrogateescape") as f:
                original = f.read()
            lines = original.split("\n")
            before = lines[number]
            lines[number] = mutate(before, op, match_index)
            with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                f.write("\n".join(lines))
            try:
                code, _ = run(build_cmd, tree)
                if code != 0:
                    status = "invalid"
                else:
                    status = "survived"
                    failed = set()
                    for program in programs_for(rel):
                        code, out = run([os.path.join(build, "tests", program)], os.path.join(build, "tests"),
                                        TEST_TIMEOUT)
                        if code != 0:
                            status = "killed"
                            # A hang or a crash names no case: the whole program is its killer.
                            names = set(FAILED_CASE.findall(out))
                            failed |= names if names and code != "timeout" else {f"{program} ({code})"}
                            if not args.matrix:
                                break
            finally:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write(original)
            row = f"{status:9} {rel}:{number + 1} {op}: {lines[number].strip()}"
            results.append((status, row))
            if status == "killed":
                kills[row] = failed
            print(f"[{index}/{len(chosen)}] {row}", flush=True)
    finally:
        if not args.keep:
            subprocess.call(["git", "worktree", "remove", "--force", tree], cwd=repo)
            shutil.rmtree(scratch, ignore_errors=True)

    killed = sum(1 for s, _ in results if s == "killed")
    valid = sum(1 for s, _ in results if s != "invalid")
    summary = f"seed {args.seed}, {len(results)} mutants, {valid} compiled: {killed} killed, " \
              f"{valid - killed} survived; score {killed}/{valid}"
    with open(args.report, "w", encoding="utf-8") as f:
        f.write(summary + "\n\n")
        for _, row in sorted(results):
            f.write(row + "\n")
    print(summary)
    if args.matrix:
        write_matrix(args.matrix, summary, kills, every_case)


def listed_cases(program):
    """Every test case of a GoogleTest program, as Suite.Case (parameterised ones with their row)."""
    out = subprocess.run([program, "--gtest_list_tests"], stdout=subprocess.PIPE, text=True).stdout
    cases, suite = set(), ""
    for line in out.splitlines():
        if not line.startswith(" "):
            suite = line.split("#")[0].strip()
        else:
            cases.add(suite + line.split("#")[0].strip())
    return cases


def write_matrix(path, summary, kills, every_case):
    killing = set().union(*kills.values())
    sole = collections.Counter(next(iter(failed)) for failed in kills.values() if len(failed) == 1)
    with open(path, "w", encoding="utf-8") as f:
        f.write(summary + "\n\n== each killed mutant and the cases that failed on it\n")
        for row in sorted(kills):
            f.write(row + "\n    " + ", ".join(sorted(kills[row])) + "\n")
        f.write("\n== cases that alone kill a mutant\n")
        for case in sorted(sole):
            f.write(f"{case}: {sole[case]}\n")
        f.write("\n== cases that kill no mutant of this sample\n")
        for case in sorted(every_case - killing):
            f.write(case + "\n")


if __name__ == "__main__":
    main()
