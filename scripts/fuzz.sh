#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a set time, starting from the seed corpus in
# tests/fuzz/corpus (with the sample reports of examples/ for the grid-file targets and the
# pictures of tests/data/pictures for the picture target). New inputs go to <build>/corpus,
# crashes to <build>/artifacts; a crash, a hang or a leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan-suppressions.txt
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
status=0
for target in gridfile_json:json gridfile_csv:csv settings:settings picture:picture \
    jsoncells:jsoncells; do
    name=fuzz_${target%%:*}
    seeds=(tests/fuzz/corpus/${target##*:})
    max_len=16384
    case ${target##*:} in
    json | csv) seeds+=(examples) ;;
    picture) seeds+=(tests/data/pictures) max_len=32768 ;;
    esac
    mkdir -p "$build/corpus/$name" "$build/artifacts/$name"
    echo "fuzz: $name for ${seconds} s"
    if ! "$build/tests/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$build/artifacts/$name/" \
        "$build/corpus/$name" "${seeds[@]}" >"$build/$name.log" 2>&1; then
        echo "fuzz: $name FAILED; the input is in $build/artifacts/$name/" >&2
        tail -40 "$build/$name.log" >&2
        status=1
    else
        grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$build/$name.log" || true
    fi
done
exit $status
