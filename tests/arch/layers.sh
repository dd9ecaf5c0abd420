#!/usr/bin/env bash
# Fails when a core folder includes a folder above it, or a core file includes a ui/ header: the
# core folders form one stack, so no two of them can ever depend on each other. A folder that is
# not in the stack fails too, until it is given its place here and in docs/ARCHITECTURE.md.
set -euo pipefail
src="$1"
# Bottom first; a folder may include its own headers and those of the folders before it.
stack=(platform settings engine reporting unmatched batch compression automation filemanager app)
declare -A rank
for i in "${!stack[@]}"; do rank[${stack[$i]}]=$i; done

bad=0
checked=0
while IFS=: read -r file _ line; do
    from=${file#"$src"/}
    from=${from%%/*}
    to=$(sed -nE 's/^\s*#\s*include\s*"([a-z]+)\/.*/\1/p' <<<"$line")
    [ -n "$to" ] || continue
    checked=$((checked + 1))
    if [[ $line == *'/ui/'* ]]; then
        echo "core file includes a ui/ header: $file: $line"
        bad=1
        continue
    fi
    rf=${rank[$from]:--1}
    rt=${rank[$to]:--1}
    if [ "$rf" -lt 0 ] || [ "$rt" -lt 0 ]; then
        echo "folder not in the layer stack: $file: $line"
        bad=1
    elif [ "$rt" -gt "$rf" ]; then
        echo "$from includes $to, which lies above it: $file: $line"
        bad=1
    fi
done < <(grep -rnE '^\s*#\s*include\s*"[a-z]+/' "$src" --include='*.h' --include='*.cpp' | grep -v '^[^:]*/ui/')

# The check must look at something, or it proves nothing.
if [ "$checked" -lt 50 ]; then
    echo "only $checked includes found under $src"
    exit 1
fi
[ "$bad" -eq 0 ] && echo "includes checked: $checked"
exit "$bad"
