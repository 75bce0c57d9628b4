#!/usr/bin/env bash
# Exports side by side on this machine's cores: two threads exporting the 10,000-row peer grid
# against the two exports one after the other (goal: at most 0.6 × the time), then the four
# example kinds (flex, voucher, spread, sheet) at once.
#
#   bench/parallel.sh        Env: BENCH_OUT=out/bench  ROWS=10000
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/${BENCH_OUT:-out/bench}/parallel
rows=${ROWS:-10000}
mkdir -p "$out"
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j "$(nproc)" --target quillon_parallel_bench >/dev/null
bench=$root/build-bench/bench/quillon_parallel_bench
grid=$out/grid-$rows.csv
[ -s "$grid" ] || python3 "$root/../shared/bench-peers/make_grid.py" "$rows" "$grid"
export QUILLON_SETTINGS=$out/settings.ini QT_QPA_PLATFORM=offscreen
echo "# two exports of the $rows-row grid ($(nproc) cores)"
"$bench" "$out/pdf" "$grid" "$grid"
echo "# four kinds"
"$bench" "$out/pdf" "$root/examples/sales.csv" "$root/examples/voucher.json" \
    "$root/examples/spread.json" "$root/examples/income.json"
