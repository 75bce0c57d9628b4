#!/usr/bin/env bash
# Prints the sample reports of examples/ to PDF and PNG with the embedded PDF printer.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
out=${DEMO_DIR:-out/demo}
print="$build/tools/quillon-print"

# The embedded printer, whatever printers this machine has: the same pages everywhere. A
# temporary settings store: the demo changes no saved format.
export CUPS_SERVER="$PWD/$out/.no-cups.sock"
unset QUILLON_SETTINGS
rm -rf "$out"
mkdir -p "$out"

"$print" --pdf "$out/sales.pdf" --png "$out/sales" \
    --title "销售明细表" --subtitle "二〇二六年第四季度" --set Operator=李娜 \
    --set "PrintKeyName=示例-销售明细" examples/sales.csv
"$print" --pdf "$out/wide.pdf" --png "$out/wide" examples/wide.json
"$print" --pdf "$out/merged.pdf" --png "$out/merged" examples/merged.json
"$print" --pdf "$out/spread.pdf" --png "$out/spread" examples/spread.json
# An accounting voucher on three pages of five entries: amount columns, merged headings, totals
# on the last page.
"$print" --pdf "$out/voucher.pdf" --png "$out/voucher" examples/voucher.json
"$print" --pdf "$out/income.pdf" --png "$out/income" examples/income.json

echo
echo "The sample reports are in $PWD/$out:"
for name in sales wide merged spread voucher income; do
    pages=$(ls "$out/$name" | wc -l)
    echo "  $out/$name.pdf   and $pages PNG page(s) in $out/$name/"
done
