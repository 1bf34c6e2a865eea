#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (in $FUZZ_BUILD_DIR, default
# build-fuzz) and runs each for the given number of seconds (default 30),
# starting from its seed corpus in fuzz/corpus/<name>/. Prints each harness's
# executions per second; fails on any finding, whose input is kept in
# <build dir>/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}

bash scripts/install-deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DZOQ_FUZZ=ON -DZOQ_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target zoq_fuzzers -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Qt keeps some memory to the end on purpose; leaks are not findings here.
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
findings="$build_dir/findings"
mkdir -p "$findings"
failed=()
for harness in "$build_dir"/fuzzers/fuzz_*; do
    name=$(basename "$harness")
    name=${name#fuzz_}
    # The fuzzer adds what it finds to the corpus it runs on: a copy, so
    # that the tree's seeds stay as they are.
    corpus=$(mktemp -d)
    cp fuzz/corpus/"$name"/* "$corpus"/
    log="$findings/$name.log"
    if "$harness" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -detect_leaks=0 \
            -print_final_stats=1 -artifact_prefix="$findings/$name-" "$corpus" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "fuzz_$name: ${rate:-?} exec/s, ${runs:-?} runs in ${seconds} s"
    else
        echo "fuzz_$name: FINDING (log: $log)"
        tail -n 40 "$log"
        failed+=("$name")
    fi
    rm -rf "$corpus"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "Findings in: ${failed[*]}"
    exit 1
fi
