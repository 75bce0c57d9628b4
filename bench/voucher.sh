#!/usr/bin/env bash
# The voucher grid (kind 2) against the same entries printed as a flex grid (kind 5): what the
# amount columns, cell flags and totals cost. Run by bench/run.sh; alone:
#
#   bench/voucher.sh [OUTDIR]        (default out/bench/voucher)
#
# Env: BENCH_SIZES="1000 10000 100000"  REPS=3  BUILD=build-bench (built when missing)
#      FLOOR_ENTRIES=10000 (added to the sizes when missing)
#      FLOOR=path of the peers' qt_floor (default: built from ../shared/bench-peers/qt when missing)
# For each size: the grid-file-to-PDF step of quillon-print (GNU time: median wall seconds of
# REPS after a warm-up, peak RSS, pages) for both kinds; the voucher of FLOOR_ENTRIES entries
# against the peers' QPainter floor drawing the same cells from a CSV file (the floor lays
# nothing out: the ratio is what the voucher's layout, amount columns and furniture cost, goal
# at most 1.5); then the preview of the largest voucher (quillon_bench: time to the first
# sheet, one sheet at zoom 1 and 2, a late sheet).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/out/bench/voucher}
floor_n=${FLOOR_ENTRIES:-10000}
readarray -t sizes < <(printf '%s\n' ${BENCH_SIZES:-1000 10000 100000} "$floor_n" | sort -un)
reps=${REPS:-3}
build=$root/${BUILD:-build-bench}
peers_dir=$root/../shared/bench-peers
floor=${FLOOR:-$out/floor-build/qt_floor}
if [ ! -x "$build/tools/quillon-print" ] || [ ! -x "$build/bench/quillon_bench" ]; then
    echo "# building Quillon (Release) in $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target quillon-print quillon_bench >/dev/null
fi
mkdir -p "$out"
if [ ! -x "$floor" ]; then
    echo "# building the QPainter floor in $out/floor-build" >&2
    cmake -S "$peers_dir/qt" -B "$out/floor-build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$out/floor-build" -j "$(nproc)" --target qt_floor >/dev/null
fi
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
print=$build/tools/quillon-print

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# One measurement: a warm-up, then REPS runs of the command under GNU time. Arguments: what
# it is ("kind N" for the results), the PDF it writes, the command. Appends "kind N pages
# median_s peak_MB" to the results.
measure() {
    local what=$1 pdf=$2 runs=() peak=0 s rss r
    shift 2
    "$@" >/dev/null 2>&1
    for ((r = 1; r <= reps; r++)); do
        /usr/bin/time -f '%e %M' -o "$out/time.txt" "$@" >/dev/null 2>"$out/log-${what// /-}.txt"
        read -r s rss <"$out/time.txt"
        runs+=("$s")
        [ "$rss" -gt "$peak" ] && peak=$rss
        echo "# $what run $r: ${s}s ${rss}KB" >&2
    done
    printf '%s\t%s\t%s\t%s\n' "${what// /$'\t'}" "$(pdfinfo "$pdf" | awk '/^Pages:/ { print $2 }')" \
        "$(printf '%s\n' "${runs[@]}" | median)" \
        "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" >>"$results"
}

results=$out/results.tsv
printf 'kind\tN\tpages\tmedian_s\tpeak_MB\n' >"$results"
for n in "${sizes[@]}"; do
    for kind in 2 5; do
        grid=$out/grid-$kind-$n.json
        [ -s "$grid" ] || python3 "$root/bench/make_voucher.py" "$n" "$grid" "$kind"
        measure "$kind $n" "$out/kind$kind-$n.pdf" "$print" --quiet --pdf "$out/kind$kind-$n.pdf" "$grid"
    done
done
csv=$out/cells-$floor_n.csv
[ -s "$csv" ] || python3 "$root/bench/make_voucher.py" "$floor_n" "$csv" csv
measure "floor $floor_n" "$out/floor-$floor_n.pdf" "$floor" "$csv" "$out/floor-$floor_n.pdf"
largest=${sizes[${#sizes[@]} - 1]}
"$build/bench/quillon_bench" "$out/grid-2-$largest.json" --late 3000 >"$out/preview.txt" 2>/dev/null

# The summary.
awk -F'\t' 'NR > 1 && $1 != "floor" { key = $1 " " $2; t[key] = $4; p[key] = $3; m[key] = $5; if (!(n[$2]++)) order[++count] = $2 }
    END {
        print "Voucher grid (kind 2) against the same entries as a flex grid (kind 5): grid file to PDF,"
        print "median wall seconds (pages, peak RSS MB)"
        printf "%-10s %-28s %-28s %s\n", "entries", "voucher", "flex grid", "voucher / flex"
        for (i = 1; i <= count; i++) {
            k = order[i]; v = "2 " k; f = "5 " k
            printf "%-10s %-28s %-28s %.2fx\n", k, sprintf("%.2f s (%s p, %s MB)", t[v], p[v], m[v]),
                sprintf("%.2f s (%s p, %s MB)", t[f], p[f], m[f]), t[v] / t[f]
            rate = sprintf("%.0f", p[v] / t[v])
        }
        printf "voucher pages/s at %s entries: %s\n", order[count], rate
    }' "$results"
awk -F'\t' -v n="$floor_n" '$2 == n { t[$1] = $4; p[$1] = $3; m[$1] = $5 }
    END {
        printf "Voucher of %s entries against the QPainter floor drawing the same cells (no layout):\n", n
        printf "  voucher %.2f s (%s p, %s MB), floor %.2f s (%s p, %s MB): %.2fx the floor (goal: at most 1.5x)\n",
            t[2], p[2], m[2], t["floor"], p["floor"], m["floor"], t[2] / t["floor"]
    }' "$results"
awk '{ v[$1] = $2 } END {
        printf "Voucher preview (%d entries, %s sheets): first sheet %s ms (load %s ms, layout %s ms);\n",
            v["rows"] - 3, v["sheets"], v["first_sheet_ms"], v["load_ms"], v["layout_ms"]
        printf "  one sheet at zoom 1: %s ms, at zoom 2: %s ms (median); sheet 1: %s ms, sheet %s: %s ms\n",
            v["sheet_ms_zoom1"], v["sheet_ms_zoom2"], v["early_sheet_ms"], v["late_sheet"], v["late_sheet_ms"]
    }' "$out/preview.txt"
