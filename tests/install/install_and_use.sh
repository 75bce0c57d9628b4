#!/usr/bin/env bash
# Installs the built library into a scratch prefix, builds the example host program against
# the installed package with find_package(Quillon), runs it and checks what it prints.
# With "packages" as the fourth argument, the prefix is the Debian packages of the build
# unpacked into a scratch root (never into this machine), the host is built with pkg-config
# as well, and lintian checks the packages.
set -euo pipefail
build_dir=$1
host_src=$2
work=$3
mode=${4:-install}
cmake=${CMAKE:-cmake}

rm -rf "$work"
mkdir -p "$work"
if [ "$mode" = packages ]; then
    (cd "$work" && cpack --config "$build_dir/CPackConfig.cmake" -B "$work/debs" >cpack.log 2>&1) \
        || { cat "$work/cpack.log" >&2; exit 1; }
    debs=("$work"/debs/*.deb)
    [ ${#debs[@]} -eq 3 ] || { echo "expected 3 packages, got: ${debs[*]}" >&2; exit 1; }
    for deb in "${debs[@]}"; do
        dpkg-deb -x "$deb" "$work/root"
    done
    prefix=$work/root/usr
    # Errors fail; warnings are shown.
    checked=$(lintian --fail-on error "${debs[@]}" 2>&1) \
        || { echo "$checked" >&2; echo "lintian reports errors on the packages" >&2; exit 1; }
    grep -v 'root privileges' <<<"$checked" || true
    test -x "$prefix/bin/quillon-print"
else
    "$cmake" --install "$build_dir" --prefix "$work/prefix" >/dev/null
    prefix=$work/prefix
fi
test -f "$prefix/include/quillon/myprint.h"
test -f "$prefix/lib/cmake/Quillon/QuillonConfig.cmake" \
    || test -f "$prefix"/lib*/cmake/Quillon/QuillonConfig.cmake
# The command line with its manual page and completion, where man and bash look for them.
test -x "$prefix/bin/quillon-print"
test -f "$prefix/share/man/man1/quillon-print.1.gz"
# man itself finds and formats it.
found=$(MANPATH="$prefix/share/man" man -w quillon-print)
[ "$found" = "$prefix/share/man/man1/quillon-print.1.gz" ] \
    || { echo "man finds the manual page at: $found" >&2; exit 1; }
# whatis and apropos read its NAME line.
lexgrog "$found" >/dev/null || { echo "whatis cannot read the manual page's NAME line" >&2; exit 1; }
test -f "$prefix/share/bash-completion/completions/quillon-print"

"$cmake" -S "$host_src" -B "$work/host" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
"$cmake" --build "$work/host" >/dev/null
out=$(LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$work/host/quillon_host")
echo "$out"
if [ "$mode" = packages ]; then
    # The same program built the way a Makefile without CMake builds it.
    flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs quillon)
    # shellcheck disable=SC2086
    c++ -std=c++20 -fPIC "$host_src/main.cpp" $flags -o "$work/host/quillon_host_pc"
    pc_out=$(LD_LIBRARY_PATH="$prefix/lib:${LD_LIBRARY_PATH:-}" "$work/host/quillon_host_pc")
    [ "$pc_out" = "$out" ] || { echo "the pkg-config build prints otherwise:" >&2; echo "$pc_out" >&2; exit 1; }
fi

expect() {
    grep -qF -- "$1" <<<"$out" || { echo "missing from the host's output: $1" >&2; exit 1; }
}
expect "Caption = 打印预览"
expect "PrintKeyName = 销售日报"
expect "TopMargin = 10"
expect "PrintColStart = -1"
expect "gridrows = 1"
expect "GridType = 5"
expect "Datagrid holds the grid: yes"
expect "properties: 36"
expect "exported at once: 月报: 9 sheets, 0 messages; 年报: 19 sheets, 0 messages"
# The host must really use the installed shared library, not a copy of the sources.
# ldd's output is captured first: piped into grep -q under pipefail, ldd can die of SIGPIPE.
libs=$(ldd "$work/host/quillon_host")
grep -qF "$prefix/lib/libquillon.so" <<<"$libs" \
    || { echo "the host does not load the installed libquillon.so" >&2; exit 1; }
echo "install_and_use ($mode): ok"
