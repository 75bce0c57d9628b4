#!/usr/bin/env bash
# The voucher grid (kind 2) against the same entries printed as a flex grid (kind 5): what the
# amount columns, cell flags and totals cost. Run by bench/run.sh; alone:
#
#   bench/voucher.sh [OUTDIR]        (default out/bench/voucher)
#
# Env: BENCH_SIZES="1000 10000 100000"  REPS=3  BUILD=build-bench (built when missing)
# For each size: the grid-file-to-PDF step of quillon-print (GNU time: median wall seconds of
# REPS after a warm-up, peak RSS, pages) for both kinds; then the preview of the largest voucher
# (quillon_bench: time to the first sheet, one sheet at zoom 1 and 2, a late sheet).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/out/bench/voucher}
read -r -a sizes <<<"${BENCH_SIZES:-1000 10000 100000}"
reps=${REPS:-3}
build=$root/${BUILD:-build-bench}
if [ ! -x "$build/tools/quillon-print" ] || [ ! -x "$build/bench/quillon_bench" ]; then
    echo "# building Quillon (Release) in $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target quillon-print quillon_bench >/dev/null
fi
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
print=$build/tools/quillon-print

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

results=$out/results.tsv
printf 'kind\tN\tpages\tmedian_s\tpeak_MB\n' >"$results"
for n in "${sizes[@]}"; do
    for kind in 2 5; do
        grid=$out/grid-$kind-$n.json
        [ -s "$grid" ] || python3 "$root/bench/make_voucher.py" "$n" "$grid" "$kind"
        "$print" --quiet --pdf "$out/warmup.pdf" "$grid" >/dev/null 2>&1
        runs=()
        peak=0
        for ((r = 1; r <= reps; r++)); do
            /usr/bin/time -f '%e %M' -o "$out/time.txt" \
                "$print" --quiet --pdf "$out/kind$kind-$n.pdf" "$grid" 2>"$out/log-$kind-$n.txt"
            read -r s rss <"$out/time.txt"
            runs+=("$s")
            [ "$rss" -gt "$peak" ] && peak=$rss
            echo "# kind $kind N=$n run $r: ${s}s ${rss}KB" >&2
        done
        pages=$(pdfinfo "$out/kind$kind-$n.pdf" | awk '/^Pages:/ { print $2 }')
        med=$(printf '%s\n' "${runs[@]}" | median)
        printf '%s\t%s\t%s\t%s\t%s\n' "$kind" "$n" "$pages" "$med" \
            "$(awk -v k="$peak" 'BEGIN { printf "%.0f", k / 1024 }')" >>"$results"
    done
done
largest=${sizes[${#sizes[@]} - 1]}
"$build/bench/quillon_bench" "$out/grid-2-$largest.json" --late 3000 >"$out/preview.txt" 2>/dev/null

# The summary.
awk -F'\t' 'NR > 1 { key = $1 " " $2; t[key] = $4; p[key] = $3; m[key] = $5; if (!(n[$2]++)) order[++count] = $2 }
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
awk '{ v[$1] = $2 } END {
        printf "Voucher preview (%d entries, %s sheets): first sheet %s ms (load %s ms, layout %s ms);\n",
            v["rows"] - 3, v["sheets"], v["first_sheet_ms"], v["load_ms"], v["layout_ms"]
        printf "  one sheet at zoom 1: %s ms, at zoom 2: %s ms (median); sheet 1: %s ms, sheet %s: %s ms\n",
            v["sheet_ms_zoom1"], v["sheet_ms_zoom2"], v["early_sheet_ms"], v["late_sheet"], v["late_sheet_ms"]
    }' "$out/preview.txt"
