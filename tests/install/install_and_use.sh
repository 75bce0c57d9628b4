#!/usr/bin/env bash
# Installs the built library into a scratch prefix, builds the example host program against
# the installed package with find_package(Quillon), runs it and checks what it prints.
set -euo pipefail
build_dir=$1
host_src=$2
work=$3
cmake=${CMAKE:-cmake}

rm -rf "$work"
mkdir -p "$work"
"$cmake" --install "$build_dir" --prefix "$work/prefix" >/dev/null
test -f "$work/prefix/include/quillon/myprint.h"
# The command line with its manual page and completion, where man and bash look for them.
test -x "$work/prefix/bin/quillon-print"
test -f "$work/prefix/share/man/man1/quillon-print.1"
test -f "$work/prefix/share/bash-completion/completions/quillon-print"
test -f "$work/prefix/lib/cmake/Quillon/QuillonConfig.cmake" \
    || test -f "$work"/prefix/lib*/cmake/Quillon/QuillonConfig.cmake

"$cmake" -S "$host_src" -B "$work/host" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
"$cmake" --build "$work/host" >/dev/null
out=$(LD_LIBRARY_PATH="$work/prefix/lib:${LD_LIBRARY_PATH:-}" "$work/host/quillon_host")
echo "$out"

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
grep -qF "$work/prefix/lib/libquillon.so" <<<"$libs" \
    || { echo "the host does not load the installed libquillon.so" >&2; exit 1; }
echo "install_and_use: ok"
