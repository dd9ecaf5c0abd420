#!/usr/bin/env bash
# Fails when a file outside a ui/ folder includes a Qt header: the core must build
# and run without Qt (unattended runs, fast headless tests).
set -euo pipefail
src="$1"
hits=$(grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]|qt[a-z]*/)' "$src" --include='*.h' --include='*.cpp' \
    | grep -v '/ui/' || true)
if [ -n "$hits" ]; then
    echo "Qt included outside a ui/ folder:"
    echo "$hits"
    exit 1
fi
# The check must look at something, or it proves nothing.
count=$(find "$src" -name '*.cpp' -not -path '*/ui/*' | wc -l)
if [ "$count" -eq 0 ]; then
    echo "no core sources found under $src"
    exit 1
fi
echo "core sources checked: $count"
