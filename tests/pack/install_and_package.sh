#!/usr/bin/env bash
# What users get from `make install` and from the .deb: every file in its place, and a program
# that answers --version and opens its window from where it was put. $1 is the build folder, not
# the program: the end-to-end helpers run whichever program $exe names.
source "$(dirname "$0")/../e2e/common.bash"
build="$1"

# The program opens its window (offscreen) from `root` and stays until it is ended.
starts_window() {
    local exe="$1/bin/tandemix"
    mkdir -p "$work/user"
    HOME="$work/user" limit=4 QT_QPA_PLATFORM=offscreen run
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
finish
