#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer in build-fuzz and runs each for SECONDS (default
# 60) on a copy of its seed corpus. New inputs the fuzzer finds stay in build-fuzz/corpus; the repo's
# corpus is only ever read. A failing input is kept in build-fuzz/artifacts and the script exits 1.
#
#   scripts/fuzz.sh [SECONDS]          FUZZ_BUILD_DIR=... to build elsewhere
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-build-fuzz}
compiler=${FUZZ_CXX:-clang++-14}

# target, longest input in bytes (a catalogue of a few hundred records; a settings file and some
# bytes after it; a CSV table of a few hundred rows)
targets=(database:200000 settings:256 catalogue_csv:16384)

if [ ! -f "$build/build.ninja" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER="$compiler" -DQUORVANTA_FUZZ=ON -DQUORVANTA_WERROR=ON
fi
names=("${targets[@]%%:*}")
cmake --build "$build" -j2 --target "${names[@]/#/fuzz_}"

mkdir -p "$build/artifacts" "$build/logs"
failed=0
summary=()
for entry in "${targets[@]}"; do
    target=${entry%%:*}
    max_len=${entry##*:}
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/"$target"/* "$corpus"/
    dict=()
    [ -f "tests/fuzz/$target.dict" ] && dict=(-dict="tests/fuzz/$target.dict")
    log="$build/logs/$target.log"
    echo "running fuzz_$target for ${seconds}s, -max_len=$max_len, on $corpus ($(ls "$corpus" | wc -l) inputs)"
    status=0
    "$build/tests/fuzz/fuzz_$target" "$corpus" "${dict[@]}" -max_total_time="$seconds" \
        -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    if [ "$status" -ne 0 ]; then
        failed=1
        echo "fuzz_$target FAILED (exit $status); the input is in $build/artifacts, the log in $log:"
        grep -E "check failed|ERROR:|SUMMARY:|^artifact|Test unit written" "$log" | head -20
        summary+=("fuzz_$target: FAILED after ${runs:-?} runs")
    else
        summary+=("fuzz_$target: ${runs:-?} runs in ${seconds}s, no failure")
    fi
done
printf '%s\n' "${summary[@]}"
exit $failed
