#!/usr/bin/env bash
# Batches: quillon-print --out-dir on 1,000 statements of 20 rows and on 8 grids of 10,000 rows,
# each set exported with -j 1 and with -j 2 (goal on 2 cores: -j 2 at most 0.6 × -j 1).
#
#   bench/batch.sh [OUTDIR]        (default out/bench/batch)
#
# Env: REPS=3  BUILD=build-bench (built when missing)  SMALL=1000  LARGE=8
#      PEERS_DIR=../shared/bench-peers (its make_grid.py writes the large grids)
#      CUPS=1: a private cupsd whose PDF queue is the default printer, as on an office machine
#      (each export then opens that queue); the requests it answered are counted per run.
# The -j 1 and -j 2 runs alternate, each repetition starting with the other one, so that other
# work on the machine weighs on both alike; every run is printed with its processor time and
# the load average it started at. Figures: wall seconds, median of REPS after a warm-up of each.
# On a machine busy with other work, -j 2 gains only what the cores have to spare: compare the
# processor times, and measure when the load average is low.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-$root/out/bench/batch}
reps=${REPS:-3}
small_n=${SMALL:-1000}
large_n=${LARGE:-8}
build=$root/${BUILD:-build-bench}
peers_dir=${PEERS_DIR:-$root/../shared/bench-peers}
if [ ! -x "$build/tools/quillon-print" ]; then
    echo "# building Quillon (Release) in $build" >&2
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUILLON_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target quillon-print >/dev/null
fi
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$out/xdg" CUPS_SERVER="$out/no-cups.sock"
unset QUILLON_SETTINGS
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
requests() { echo 0; }
if [ "${CUPS:-0}" = 1 ]; then
    cups=$out/cups
    rm -rf "$cups"
    mkdir -p "$cups"/{spool,cache,state,log,out} "$cups/tmp"
    chmod 1777 "$cups/tmp" "$cups/out"
    printf '%s\n' "ServerRoot $cups" "RequestRoot $cups/spool" "TempDir $cups/tmp" \
        "CacheDir $cups/cache" "StateDir $cups/state" "AccessLog $cups/log/access_log" \
        "ErrorLog $cups/log/error_log" "PageLog $cups/log/page_log" "FileDevice Yes" \
        >"$cups/cups-files.conf"
    printf '%s\n' "Listen $cups/cups.sock" "Browsing No" "WebInterface No" "LogLevel warn" \
        "AccessLogLevel all" "MaxLogSize 0" "<Location />" "Order allow,deny" "Allow all" \
        "</Location>" "<Location /admin>" "Order allow,deny" "Allow all" "</Location>" \
        >"$cups/cupsd.conf"
    cupsd -f -c "$cups/cupsd.conf" -s "$cups/cups-files.conf" &
    cupsd_pid=$!
    trap 'kill "$cupsd_pid"' EXIT
    export CUPS_SERVER=$cups/cups.sock
    for _ in $(seq 50); do [ -S "$CUPS_SERVER" ] && break; sleep 0.1; done
    lpadmin -p office -E -v "file://$cups/out/office.pdf" \
        -P /usr/share/ppd/cupsfilters/Generic-PDF_Printer-PDF.ppd 2>/dev/null
    lpadmin -d office
    requests() { wc -l <"$cups/log/access_log"; }
fi
print=$build/tools/quillon-print

small=$out/statements-$small_n
large=$out/grids-$large_n
if [ ! -d "$small" ]; then
    python3 "$root/bench/make_statements.py" "$small_n" 20 "$small.tmp"
    mv "$small.tmp" "$small"
fi
if [ ! -d "$large" ]; then
    mkdir -p "$large.tmp"
    for i in $(seq 1 "$large_n"); do
        python3 "$peers_dir/make_grid.py" 10000 "$large.tmp/grid-$i.csv" --seed "$i"
    done
    mv "$large.tmp" "$large"
fi

median() {
    printf '%s\n' "$@" | sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

# One export of a set with N jobs: its wall seconds and processor seconds.
run_once() {
    local set=$1 jobs=$2 written before
    shift 2
    rm -rf "$out/pdf"
    before=$(requests)
    /usr/bin/time -f '%e %U %S' -o "$out/time.txt" \
        "$print" --quiet --out-dir "$out/pdf" -j "$jobs" "$@"
    written=$(find "$out/pdf" -name '*.pdf' | wc -l)
    [ "$written" -eq $# ] || { echo "batch: $set -j $jobs wrote $written of $# files" >&2; exit 1; }
    awk -v r=$(($(requests) - before)) '{ printf "%.2f %.2f %d", $1, $2 + $3, r }' "$out/time.txt"
}

echo "# $(nproc) cores; $(uptime | sed 's/.*load/load/')"
printf '%-26s %4s %4s %8s %9s %6s %8s\n' set jobs run seconds processor load requests
for set in statements grids; do
    if [ "$set" = statements ]; then files=("$small"/*.json); name="$small_n × 20 rows"
    else files=("$large"/*.csv); name="$large_n × 10,000 rows"; fi
    one=() two=()
    for rep in $(seq 0 "$reps"); do
        order="1 2"
        [ $((rep % 2)) -eq 1 ] && order="2 1"
        for jobs in $order; do
            load=$(cut -d' ' -f1 /proc/loadavg)
            result=$(run_once "$set" "$jobs" "${files[@]}")
            read -r seconds cpu asked <<<"$result"
            printf '%-26s %4s %4s %8s %9s %6s %8s\n' "$name" "$jobs" "${rep/#0/w}" "$seconds" "$cpu" \
                "$load" "$asked"
            [ "$rep" -eq 0 ] && continue # the warm-up
            if [ "$jobs" -eq 1 ]; then one+=("$seconds"); else two+=("$seconds"); fi
        done
    done
    m1=$(median "${one[@]}") m2=$(median "${two[@]}")
    echo "## $name: -j 1 $m1 s, -j 2 $m2 s, ratio $(awk -v a="$m2" -v b="$m1" 'BEGIN { printf "%.2f", a / b }') (goal: at most 0.6)"
done
