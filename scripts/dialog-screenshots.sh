#!/bin/sh
# Screenshots of every window and dialog under a virtual X display, at 96 and at 144 dots per
# inch, written to <build>/artefacts/ui/<window>-<dpi>dpi.png. With --readme, the two the
# README shows are copied to docs/images/ as well.
# Usage: scripts/dialog-screenshots.sh [--readme] [build]
set -eu
readme=no
if [ "${1:-}" = --readme ]; then
    readme=yes
    shift
fi
build=${1:-build}
exe="$build/tests/tst_dialoglooks"
[ -x "$exe" ] || { echo "$exe is not built" >&2; exit 1; }
for dpi in 96 144; do
    QT_QPA_PLATFORM=xcb QT_FONT_DPI=$dpi xvfb-run -a -s '-screen 0 1280x1024x24' "$exe"
done
ls "$build/artefacts/ui"
if [ $readme = yes ]; then
    cp "$build/artefacts/ui/frmpreview-first-96dpi.png" docs/images/preview.png
    cp "$build/artefacts/ui/frmPrint-96dpi.png" docs/images/print-dialog.png
fi
