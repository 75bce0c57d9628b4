#!/usr/bin/env bash
# Quillon against the report-printing peers of ../shared/bench-peers, in one run, on the same
# generated grids (8 columns of Chinese text; 1,000, 10,000 and 100,000 rows by default).
#
#   bench/run.sh            or   make bench
#
# Env: BENCH_SIZES="1000 10000 100000"  REPS=3  LIMIT=150 (seconds per peer run)
#      PEERS="lo-fods reportlab qt-textdoc chromium qt-floor"   BENCH_OUT=out/bench
# Measures the whole CSV-to-PDF step of quillon-print as the peers are measured (GNU time:
# wall seconds, median of REPS after a warm-up; peak RSS), then the preview with
# quillon_bench, then printing with quillon_print_bench, and prints one table with the ratios to the floor and to every peer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
peers_dir=$root/../shared/bench-peers
out=$root/${BENCH_OUT:-out/bench}
read -r -a sizes <<<"${BENCH_SIZES:-1000 10000 100000}"
reps=${REPS:-3}
export PEERS=${PEERS:-"lo-fods reportlab qt-textdoc chromium qt-floor"}
export LIMIT=${LIMIT:-150} REPS=$reps

"$root/scripts/setup-bench-deps.sh"
[ -x "$peers_dir/run_peers.sh" ] || { echo "bench: $peers_dir/run_peers.sh is missing" >&2; exit 1; }

echo "# building Quillon (Release)" >&2
cmake -S "$root" -B "$root/build-bench" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-bench" -j "$(nproc)" --target quillon-print quillon_bench quillon_print_bench >/dev/null

mkdir -p "$out/quillon"
echo "# peers: $PEERS" >&2
"$peers_dir/run_peers.sh" "$out/peers" "${sizes[@]}" >"$out/peers.log" 2>&1 \
    || { echo "bench: the peers failed, see $out/peers.log" >&2; exit 1; }

# Quillon, measured like the peers: the same data, GNU time, the embedded PDF printer.
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
print=$root/build-bench/tools/quillon-print
results=$out/quillon/results.tsv
printf 'N\tpages\tmedian_s\truns_s\tpeak_MB\n' >"$results"
"$print" --pdf "$out/quillon/warmup.pdf" "$out/peers/data/grid-${sizes[0]}.csv" >/dev/null 2>&1
for n in "${sizes[@]}"; do
    runs=()
    peak=0
    for ((r = 1; r <= reps; r++)); do
        /usr/bin/time -v -o "$out/quillon/time-$n-$r.txt" \
            "$print" --pdf "$out/quillon/quillon-$n.pdf" "$out/peers/data/grid-$n.csv" >/dev/null 2>"$out/quillon/log-$n-$r.txt"
        s=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, a, ":"); t = 0
                for (i = 1; i <= n; i++) t = t * 60 + a[i]; printf "%.2f", t }' "$out/quillon/time-$n-$r.txt")
        rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$out/quillon/time-$n-$r.txt")
        runs+=("$s")
        [ "$rss" -gt "$peak" ] && peak=$rss
        echo "# quillon N=$n run $r: ${s}s ${rss}KB" >&2
    done
    pages=$(pdfinfo "$out/quillon/quillon-$n.pdf" | awk '/^Pages:/ { print $2 }')
    med=$(printf '%s\n' "${runs[@]}" | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }')
    printf '%s\t%s\t%s\t%s\t%s\n' "$n" "$pages" "$med" "$(IFS=/; echo "${runs[*]}")" \
        "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" >>"$results"
done

largest=${sizes[${#sizes[@]} - 1]}
"$root/build-bench/bench/quillon_bench" "$out/peers/data/grid-$largest.csv" --late 3000 \
    >"$out/quillon/preview.txt" 2>/dev/null

# Printing: PrintDirect to a CUPS PDF queue of a private scheduler against the PDF export of
# the same 10,000 rows, continuous printing of 1,000 data sets, and the print loop's longest
# pause between two cancel checks on 100,000 rows.
for n in 10000 100000; do
    [ -s "$out/peers/data/grid-$n.csv" ] || python3 "$peers_dir/make_grid.py" "$n" "$out/peers/data/grid-$n.csv"
done
bench_print=$root/build-bench/bench/quillon_print_bench
{
    "$bench_print" cups "$out/peers/data/grid-10000.csv" "$reps"
    "$bench_print" continuous 1000
    "$bench_print" loop "$out/peers/data/grid-100000.csv"
} >"$out/quillon/print.txt" 2>"$out/quillon/print.log" \
    || { echo "bench: the printing benchmark failed, see $out/quillon/print.log" >&2; exit 1; }

python3 "$root/bench/report.py" "$out/peers/results.tsv" "$results" "$out/quillon/preview.txt" \
    "$out/quillon/print.txt" | tee "$out/report.txt"
# The voucher grid against the same entries printed as a flex grid.
echo >>"$out/report.txt"
BUILD=build-bench "$root/bench/voucher.sh" "$out/voucher" 2>"$out/voucher.log" | tee -a "$out/report.txt" \
    || { echo "bench: the voucher benchmark failed, see $out/voucher.log" >&2; exit 1; }
echo "# written to $out/report.txt" >&2
