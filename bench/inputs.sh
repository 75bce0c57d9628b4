#!/usr/bin/env bash
# Inputs that once took minutes or gigabytes: logo pictures of large or tangled polygons, JSON
# grids at and past the cell limit, a CSV with one 10 MB field and cells of the longest text
# allowed. Each goes through quillon-print to a PDF under GNU time (wall seconds, peak RSS) and
# is stopped after LIMIT seconds.
#
#   bench/inputs.sh [OUT_DIR]
#
# Env: BUILD=build-bench (an existing build with quillon-print; configured Release when
#      missing), LIMIT=300, SKIP_LARGE=1 leaves out the 308 MB grid.
# Inputs come from bench/make_inputs.py and tests/data/pictures; one table goes to stdout.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/out/bench/inputs}
build=${BUILD:-build-bench}
[[ $build = /* ]] || build=$root/$build
limit=${LIMIT:-300}

"$root/scripts/setup-bench-deps.sh"
if [ ! -x "$build/tools/quillon-print" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target quillon-print >/dev/null
fi
print=$build/tools/quillon-print
data=$out/data
[ -s "$data/field-32767-cjk.csv" ] || python3 "$root/bench/make_inputs.py" "$data"
cp "$root"/tests/data/pictures/polygon-*.wmf "$data/"
printf '说明,金额\n徽标,1\n' >"$data/small.csv"

export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# One run: a name, the input measured, whether to give the ratio of peak RSS to its size (for
# grid files), then the arguments of quillon-print. Prints a row of the table.
run() {
    local name=$1 input=$2 ratio=$3
    shift 3
    local t="$out/time-$name.txt" log="$out/log-$name.txt" status=0
    timeout -s KILL "$limit" /usr/bin/time -v -o "$t" "$print" --quiet --pdf "$out/$name.pdf" "$@" \
        >/dev/null 2>"$log" || status=$?
    local size
    size=$(stat -c %s "$input")
    if [ "$status" = 137 ]; then
        printf '%s\t%s\tover %s s (stopped)\t-\t-\n' "$name" "$(human "$size")" "$limit"
        return
    fi
    awk -F': ' -v name="$name" -v size="$size" -v human="$(human "$size")" -v ratio="$ratio" \
        -v status="$status" -v said="$(head -c 200 "$log" | tr '\n\t' '  ')" '
        /Elapsed \(wall clock\)/ { n = split($2, a, ":"); s = 0
            for (i = 1; i <= n; i++) s = s * 60 + a[i] }
        /Maximum resident set size/ { rss = $2 }
        END { peak = sprintf("%.0f MB", rss / 1024)
            if (ratio) peak = peak sprintf(" (%.1f ×)", rss * 1024 / size)
            printf "%s\t%s\t%.2f s\t%s\texit %s %s\n", name, human, s, peak, status, said }' "$t"
}
human() {
    awk -v b="$1" 'BEGIN { if (b >= 1e6) printf "%.1f MB", b / 1e6; else printf "%.0f KB", b / 1e3 }'
}

printf 'input\tsize\twall\tpeak RSS\tresult\n'
for picture in ring-200.wmf ring-800.wmf ring-5000.wmf ring-32000.wmf ring-100000.wmf \
    ring-100000.svg random-5000.wmf polygon-800.wmf polygon-hang.wmf; do
    run "${picture//./-}" "$data/$picture" "" --format LogPicPrt=1 --format "LogPic=$data/$picture" \
        "$data/small.csv"
done
grids=(cells-10m.json cells-15m.json field-10mb.csv field-32767-latin.csv field-32767-cjk.csv)
[ "${SKIP_LARGE:-0}" = 1 ] || grids+=(cells-70m.json)
for grid in "${grids[@]}"; do
    run "${grid//./-}" "$data/$grid" 1 "$data/$grid"
done
