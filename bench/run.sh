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
# quillon_bench, then printing with quillon_print_bench, then a spread grid of 10,000 rows, and
# prints one table with the ratios to the floor and to every peer.
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

# Wall seconds from a GNU time -v report; the median of numbers.
wall_seconds() {
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, a, ":"); t = 0
        for (i = 1; i <= n; i++) t = t * 60 + a[i]; printf "%.2f", t }' "$1"
}
median() {
    printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}
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
        s=$(wall_seconds "$out/quillon/time-$n-$r.txt")
        rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$out/quillon/time-$n-$r.txt")
        runs+=("$s")
        [ "$rss" -gt "$peak" ] && peak=$rss
        echo "# quillon N=$n run $r: ${s}s ${rss}KB" >&2
    done
    pages=$(pdfinfo "$out/quillon/quillon-$n.pdf" | awk '/^Pages:/ { print $2 }')
    med=$(median "${runs[@]}")
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

# A spread grid (GridType 8) of the same 10,000 rows, with two header rows, spans and number
# cells, exported to PDF as the CSV is, against the floor's time for those rows.
spread=$out/quillon/spread-10000.json
python3 "$root/bench/make_spread.py" "$out/peers/data/grid-10000.csv" "$spread"
runs=()
for ((r = 1; r <= reps; r++)); do
    /usr/bin/time -v -o "$out/quillon/spread-time-$r.txt" \
        "$print" --pdf "$out/quillon/spread-10000.pdf" "$spread" >/dev/null 2>"$out/quillon/spread-log-$r.txt"
    runs+=("$(wall_seconds "$out/quillon/spread-time-$r.txt")")
done
printf 'spread_rows 10000\nspread_pages %s\nspread_s %s\n' \
    "$(pdfinfo "$out/quillon/spread-10000.pdf" | awk '/^Pages:/ { print $2 }')" "$(median "${runs[@]}")" \
    >"$out/quillon/spread.txt"

# The same rows as a spreadsheet grid (GridType 1) whose every cell has a format of its own,
# read from the grid as the cell is drawn.
sheet=$out/quillon/sheet-10000.json
python3 "$root/bench/make_sheet.py" "$out/peers/data/grid-10000.csv" "$sheet"
runs=()
for ((r = 1; r <= reps; r++)); do
    /usr/bin/time -v -o "$out/quillon/sheet-time-$r.txt" \
        "$print" --pdf "$out/quillon/sheet-10000.pdf" "$sheet" >/dev/null 2>"$out/quillon/sheet-log-$r.txt"
    runs+=("$(wall_seconds "$out/quillon/sheet-time-$r.txt")")
done
printf 'N\tpages\tmedian_s\n10000\t%s\t%s\n' \
    "$(pdfinfo "$out/quillon/sheet-10000.pdf" | awk '/^Pages:/ { print $2 }')" "$(median "${runs[@]}")" \
    >"$out/quillon/sheet.tsv"

python3 "$root/bench/report.py" "$out/peers/results.tsv" "$results" "$out/quillon/preview.txt" \
    "$out/quillon/print.txt" "$out/quillon/spread.txt" "$out/quillon/sheet.tsv" | tee "$out/report.txt"
# The voucher grid against the same entries printed as a flex grid, and against the floor
# drawing its cells.
echo >>"$out/report.txt"
BUILD=build-bench FLOOR="$out/peers/build/qt_floor" "$root/bench/voucher.sh" "$out/voucher" 2>"$out/voucher.log" | tee -a "$out/report.txt" \
    || { echo "bench: the voucher benchmark failed, see $out/voucher.log" >&2; exit 1; }
# One cell of a very long text in every grid kind, each under a second.
echo >>"$out/report.txt"
BUILD=build-bench "$root/bench/long_cells.sh" "$out/long-cells" | tee -a "$out/report.txt" \
    || { echo "bench: a long cell took a second or more, see $out/report.txt" >&2; exit 1; }
echo "# written to $out/report.txt" >&2

# 1,000,000 rows (BENCH_MILLION=0 skips them, another number changes them): Quillon and the
# floor once each, as each takes about a minute. Wall time and peak RSS under GNU time; the
# first sheet as the preview shows it (quillon_bench: load, layout, draw) and, for both, when
# the first page reached the PDF file.
million=${BENCH_MILLION:-1000000}
if [ "$million" != 0 ]; then
    data=$out/peers/data/grid-$million.csv
    [ -s "$data" ] || python3 "$peers_dir/make_grid.py" "$million" "$data"
    mdir=$out/million
    mkdir -p "$mdir"
    measure() { # who, then the PDF and the command
        local who=$1 pdf=$2
        shift 2
        python3 "$root/bench/first_page.py" "$pdf" -- /usr/bin/time -v -o "$mdir/time-$who.txt" "$@" \
            >"$mdir/first-$who.txt" 2>"$mdir/log-$who.txt" \
            || { echo "bench: $who failed on $million rows, see $mdir/log-$who.txt" >&2; exit 1; }
        awk -v who="$who" -F': ' '
            /Elapsed \(wall clock\)/ { n = split($2, a, ":"); t = 0
                for (i = 1; i <= n; i++) t = t * 60 + a[i]; s = t }
            /Maximum resident set size/ { rss = $2 }
            END { printf "%s\t%.2f\t%.0f", who, s, rss / 1024 }' "$mdir/time-$who.txt"
        printf '\t%s\n' "$(awk '/first_page_s/ { print $2 }' "$mdir/first-$who.txt")"
    }
    echo "# $million rows: quillon, then qt-floor" >&2
    {
        printf 'who\ttime_s\tpeak_MB\tfirst_page_s\n'
        measure quillon "$mdir/quillon.pdf" "$print" --pdf "$mdir/quillon.pdf" "$data"
        measure qt-floor "$mdir/qt-floor.pdf" "$out/peers/build/qt_floor" "$data" "$mdir/qt-floor.pdf"
    } >"$mdir/results.tsv"
    "$root/build-bench/bench/quillon_bench" "$data" --sheets 5 --late 3000 >"$mdir/preview.txt" 2>/dev/null
    python3 "$root/bench/million_report.py" "$mdir/results.tsv" "$mdir/preview.txt" "$data" \
        | tee -a "$out/report.txt"
fi
