#!/usr/bin/env bash
# Fails when `tandemix --help` and the manual page tell different things: every switch and
# every exit status must be in both, with the same words.
set -euo pipefail
exe="$1"
manual="$2"

# "KEY|words" for each switch and exit status of the help text (items indented two spaces, their
# continuation lines deeper; the usage lines are examples, not items).
from_help() {
    "$exe" --help | awk '
        function flush() { if (key != "") print key "|" desc; key = "" }
        /^  [^ ]/ {
            flush()
            line = substr($0, 3)
            split_at = index(line, "  ")
            if (line ~ /^tandemix/ || split_at == 0) next
            key = substr(line, 1, split_at - 1)
            desc = substr(line, split_at); sub(/^ +/, "", desc)
            next
        }
        /^   +[^ ]/ && key != "" { t = $0; sub(/^ +/, "", t); desc = desc " " t; next }
        { flush() }
        END { flush() }'
}

# The same from the OPTIONS and EXIT STATUS sections of the manual page.
from_manual() {
    awk '
        function plain(t) { gsub(/\\-/, "-", t); gsub(/\\f[BIRP]/, "", t); return t }
        function flush() { if (key != "") print key "|" desc; key = "" }
        /^\.SH/ { flush(); wanted = ($0 ~ /OPTIONS|EXIT STATUS/); next }
        !wanted { next }
        /^\.TP/ { flush(); expect_key = 1; next }
        /^\.B / && expect_key { key = plain(substr($0, 4)); desc = ""; expect_key = 0; next }
        /^\./ { flush(); next }
        key != "" { desc = (desc == "" ? "" : desc " ") plain($0) }
        END { flush() }' "$manual"
}

help_items=$(from_help | sort)
manual_items=$(from_manual | sort)
count=$(wc -l <<<"$help_items")
if [ "$count" -lt 15 ]; then
    echo "only $count items read from --help"
    exit 1
fi
if [ "$help_items" != "$manual_items" ]; then
    echo "--help and the manual page differ (< help, > manual):"
    diff <(echo "$help_items") <(echo "$manual_items") || true
    exit 1
fi
# The version line and status 0, as GNU programs answer (--help gave its 0 to be read above).
"$exe" --version | grep -qx "Tandemix [0-9.]*"
echo "items agreeing: $count"
