#!/usr/bin/env bash
# Builds the program, the benchmarks and the fuzzers with clang in Release with warnings as
# errors in build-fuzz, so clang's optimiser warnings are seen too; then runs each fuzzer for
# FUZZ_SECONDS (20 by default), from the seeds in fuzz/corpus/, as many at once as there are
# processors.
# Fails on any finding; the input that found it is kept in build-fuzz/findings/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
seconds=${FUZZ_SECONDS:-20}
targets=(fuzz_split_lines fuzz_coding fuzz_find fuzz_setting_texts fuzz_ini fuzz_formats)

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    -DCMAKE_BUILD_TYPE=Release -DTRESSLIN_WERROR=ON -DTRESSLIN_BUILD_FUZZ=ON -DBUILD_TESTING=OFF \
    -DTRESSLIN_BUILD_BENCH=ON -DTRESSLIN_SANITIZE=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

mkdir -p "$build/findings" "$build/logs"
run() {
    local target=$1
    # New inputs go to a working corpus, never into the committed seeds.
    local work="$build/corpus-work/$target"
    mkdir -p "$work"
    if "$build/fuzz/$target" "$work" "$root/fuzz/corpus/$target" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" >"$build/logs/$target.log" 2>&1; then
        echo "PASS: $target ($(grep -o 'stat::number_of_executed_units: *[0-9]*' \
            "$build/logs/$target.log" | grep -o '[0-9]*$') inputs in ${seconds} s)"
    else
        echo "FAIL: $target; its log ends:"
        tail -n 40 "$build/logs/$target.log"
        return 1
    fi
}

failures=0
running=0
for target in "${targets[@]}"; do
    if [ "$running" -ge "$(nproc)" ]; then
        wait -n || failures=$((failures + 1))
        running=$((running - 1))
    fi
    run "$target" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || failures=$((failures + 1))
    running=$((running - 1))
done
if [ "$failures" -ne 0 ]; then
    echo "fuzz: $failures target(s) found a fault; inputs in $build/findings/"
    exit 1
fi
echo "fuzz: all targets ran ${seconds} s without a finding"
