#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (ASan + UBSan + libFuzzer) and runs
# each for a bounded time, starting from its committed seeds in tests/fuzz/corpus/<target>.
#
#   FUZZ_SECONDS  seconds per target (default 20)
#   FUZZ_BUILD    build folder (default build/fuzz)
#   FUZZ_JOBS     compile jobs, and targets run at the same time (default 2)
#   FUZZ_TARGETS  names of the targets to run (default: every tests/fuzz/*_fuzz.cpp)
#
# Fails when a target crashes, a sanitizer reports, or a checked property does not hold; the
# input that did it is kept as $FUZZ_BUILD/artifacts/<target>-crash-... and the log as
# $FUZZ_BUILD/logs/<target>.log. Reproduce with: $FUZZ_BUILD/<target> <that file>.
# Prints one line per target and closes with "fuzz: N targets passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
b=${FUZZ_BUILD:-$root/build/fuzz}
seconds=${FUZZ_SECONDS:-20}

cmake -S "$root" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUORLIN_FUZZ=ON >/dev/null || {
    echo "fuzz: configure failed"; echo "fuzz: 0 targets passed, 1 failed"; exit 1; }
ninja -C "$b" -j "${FUZZ_JOBS:-2}" fuzzers || {
    echo "fuzz: build failed"; echo "fuzz: 0 targets passed, 1 failed"; exit 1; }

targets=${FUZZ_TARGETS:-$(cd "$root/tests/fuzz" && ls *_fuzz.cpp | sed 's/\.cpp$//')}
jobs=${FUZZ_JOBS:-2}
mkdir -p "$b/artifacts" "$b/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

fuzz_one() {  # runs one target; its exit status is the fuzzer's
    local t=$1 work="$b/corpus/$1"  # what this run learns; the committed seeds stay as they are
    mkdir -p "$work"
    "$b/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$b/artifacts/$t-" "$work" "$root/tests/fuzz/corpus/$t" >"$b/logs/$t.log" 2>&1
}

# FUZZ_JOBS targets at a time.
declare -A pids
for t in $targets; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n 2>/dev/null || true; done
    fuzz_one "$t" &
    pids[$t]=$!
done

passed=0
failed=0
for t in $targets; do
    wait "${pids[$t]}"
    status=$?
    log="$b/logs/$t.log"
    execs=$(grep -E '^stat::number_of_executed_units:' "$log" | awk '{print $2}')
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "fuzz: $t ok, ${execs:-?} runs in ${seconds} s"
    else
        failed=$((failed + 1))
        echo "fuzz: $t FAILED (exit $status), log $log"
        grep -E 'runtime error|property failed|ERROR:|SUMMARY:|Test unit written' "$log" | head -8
    fi
done
echo "fuzz: $passed targets passed, $failed failed"
[ "$failed" -eq 0 ]
