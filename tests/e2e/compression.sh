#!/usr/bin/env bash
# A compressed run unattended: "Compress Target" puts the source's files into the target
# folder's archive, and "Expand Source" takes the archive's files back out into a plain folder.
# Every archive is read back by python3's zipfile.
source "$(dirname "$0")/common.bash"

listing() { # listing ARCHIVE: entry names and sizes, one a line, sorted
    python3 -c 'import sys, zipfile
for i in sorted(zipfile.ZipFile(sys.argv[1]).infolist(), key=lambda i: i.filename):
    print(i.filename, i.file_size)' "$1"
}

pair
put "$src/a.txt" alpha "2021-03-01 10:00:00"
put "$src/b.txt" bravo "2021-03-01 10:00:00"
put "$src/sub/d.txt" delta "2021-03-01 10:00:00"
settings "$TANDEMIX_HOME/TXDef.CFG" '[Compression Options]' 'Use Compression=1' 'CompressExpand=0'
expect 0 "compress" "$src" "$dst" AUTORUN
check "compress: both files are in the archive named after the target folder" \
    test "$(listing "$dst/dst.ZIP")" = "$(printf 'a.txt 6\nb.txt 6')"
check "compress: a sub-folder gets its own archive" test "$(listing "$dst/sub/sub.ZIP")" = "d.txt 6"
check "compress: logged" grep -q "a.txt" "$log"

# Expand: the archive in the source folder comes out into the target.
out="$work/expanded"
mkdir -p "$out"
settings "$TANDEMIX_HOME/TXDef.CFG" '[Compression Options]' 'Use Compression=1' 'CompressExpand=1'
expect 0 "expand" "$dst" "$out" AUTORUN
check "expand: every entry" test "$(cd "$out" && ls)" = "$(printf 'a.txt\nb.txt\nsub')"
check "expand: the sub-folder's archive into the sub-folder" test "$(ls "$out/sub")" = d.txt

finish
