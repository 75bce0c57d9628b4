#!/usr/bin/env bash
# One cell of a very long text in every grid kind: fitting and cutting a cell's text must cost
# time about linear in its length. Run by bench/run.sh; alone:
#
#   bench/long_cells.sh [OUTDIR]        (default out/bench/long-cells)
#
# Env: CHARS=100000  BUILD=build-bench (quillon-print built there when missing)
# For each kind (1 spreadsheet, 2 voucher, 5 flex, 8 spread) and each text (CJK only; with
# combining marks and ligatures, which need shaping), a grid of one such cell with a 200-point
# body font goes to PDF under GNU time (stopped after LIMIT seconds, default 600). Goal: under a
# second each. Exits 1 when one is slower.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/out/bench/long-cells}
chars=${CHARS:-100000}
build=$root/${BUILD:-build-bench}
print=$build/tools/quillon-print
if [ ! -x "$print" ]; then
    echo "# building quillon-print (Release) in $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target quillon-print >/dev/null
fi
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

python3 - "$out" "$chars" <<'PY'
import json, sys
out, n = sys.argv[1], int(sys.argv[2])
texts = {"cjk": "长文本测试", "shaped": "e\u0301规则 \ufb01le "}
for name, unit in texts.items():
    text = (unit * (n // len(unit) + 1))[:n]
    for kind in (1, 2, 5, 8):
        grid = {"cells": [["标题", "说明"], [text, "x"]], "colWidths": [3000, 3000]}
        if kind == 5:
            grid["fixedRows"] = 1
        if kind == 8:
            grid = {"cells": [[text, "x"]], "colWidths": [3000, 3000], "rowHeights": 4000}
        if kind == 2:
            grid["fixedRows"] = 1
        doc = {"GridType": kind, "grid": grid, "format": {"FONT5_Size": 200, "ReduceFont": 1}}
        with open(f"{out}/kind{kind}-{name}.json", "w") as f:
            json.dump(doc, f, ensure_ascii=False)
PY

slow=0
printf 'kind\ttext\tchars\tseconds\tpeak_RSS_MB\n'
for name in cjk shaped; do
    for kind in 1 2 5 8; do
        file=$out/kind$kind-$name.json
        /usr/bin/time -f '%e %M' -o "$out/time.txt" timeout -s KILL ${LIMIT:-600} \
            "$print" --quiet --pdf "$out/kind$kind-$name.pdf" "$file" || true
        read -r seconds kb < <(tail -n 1 "$out/time.txt")
        printf '%s\t%s\t%s\t%s\t%s\n' "$kind" "$name" "$chars" "$seconds" "$((kb / 1024))"
        awk -v s="$seconds" 'BEGIN { exit !(s >= 1) }' && slow=1
    done
done
exit $slow
