#!/usr/bin/env bash
# Fails when a shipped binary lacks the hardening it is built with: position-independent, full
# RELRO (read-only relocations bound at start), stack protection and fortified libc calls.
set -euo pipefail
bad=0
fail() { echo "$binary: $1" && bad=1; }
for binary in "$@"; do
    readelf -h "$binary" | grep -q "Type: *DYN" || fail "not position-independent"
    readelf -l "$binary" | grep -q "GNU_RELRO" || fail "no RELRO segment"
    readelf -d "$binary" | grep -Eq "BIND_NOW|FLAGS_1.*NOW" || fail "relocations not bound at start"
    symbols=$(readelf --dyn-syms -W "$binary")
    grep -q "__stack_chk_fail" <<<"$symbols" || fail "no stack protection"
    grep -Eq "__[a-z_]+_chk@" <<<"$symbols" || fail "no fortified calls"
done
[ "$bad" -eq 0 ] && echo "hardened: $#"
exit "$bad"
