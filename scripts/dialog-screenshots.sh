#!/bin/sh
# Screenshots of the dialogs under a virtual X display, at 96 and at 144 dots per inch, written
# to <build>/artefacts/ui/<window>-<dpi>dpi.png. Usage: scripts/dialog-screenshots.sh [build]
set -eu
build=${1:-build}
exe="$build/tests/tst_dialoglooks"
[ -x "$exe" ] || { echo "$exe is not built" >&2; exit 1; }
for dpi in 96 144; do
    QT_QPA_PLATFORM=xcb QT_FONT_DPI=$dpi xvfb-run -a -s '-screen 0 1280x1024x24' "$exe"
done
ls "$build/artefacts/ui"
