#!/usr/bin/env bash
# What users get from `make install` and from the .deb: every file in its place, and a program
# that answers --version and opens its window from where it was put.
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { # check NAME CONDITION...
    local name="$1"
    shift
    if ! "$@"; then
        echo "FAILED: $name"
        failed=1
    fi
}

# The program opens its window (offscreen) from `root` and stays until it is ended.
starts_window() {
    local root="$1" status=0
    mkdir -p "$work/home"
    HOME="$work/home" TANDEMIX_HOME="$work/home/tx" QT_QPA_PLATFORM=offscreen \
        timeout 4 "$root/bin/tandemix" >"$work/out" 2>&1 || status=$?
    [ "$status" -eq 124 ] && ! grep -q "could not be loaded" "$work/out"
}

installed_layout() {
    local root="$1"
    check "$root: program" test -x "$root/bin/tandemix"
    check "$root: window module" compgen -G "$root/lib*/tandemix/libtandemix_gui.so" >/dev/null
    check "$root: zip libraries" compgen -G "$root/lib*/tandemix/libtandemix_unzlib.so" >/dev/null
    check "$root: desktop entry" grep -q "^Categories=Utility;FileTools;" "$root/share/applications/tandemix.desktop"
    check "$root: icon" test -s "$root/share/icons/hicolor/scalable/apps/tandemix.svg"
    check "$root: metainfo" test -s "$root/share/metainfo/io.github.tandemix.Tandemix.metainfo.xml"
    check "$root: manual page" test -s "$root/share/man/man1/tandemix.1"
    check "$root: completion" test -s "$root/share/bash-completion/completions/tandemix"
    check "$root: --version" "$root/bin/tandemix" --version
    check "$root: window" starts_window "$root"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
installed_layout "$work/prefix"

(cd "$build" && cpack -G DEB -B "$work/pkg" >/dev/null)
deb=$(compgen -G "$work/pkg/tandemix_*.deb" | head -1)
check "a .deb is made" test -n "$deb"
if [ -n "$deb" ]; then
    depends=$(dpkg-deb -f "$deb" Depends)
    check "the package depends on the toolkit it links: $depends" grep -q "libqt6widgets6" <<<"$depends"
    check "the package depends on libzip: $depends" grep -q "libzip4" <<<"$depends"
    dpkg-deb -x "$deb" "$work/root"
    installed_layout "$work/root/usr"
fi
exit "$failed"
