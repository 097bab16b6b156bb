#!/usr/bin/env bash
# Coverage-guided fuzzing of rastix's readers and command line (docs/FUZZING.md): builds the
# targets of tests/fuzz with Clang, libFuzzer, ASan and UBSan into their own folder, runs each
# for SECONDS (default 60; as many at once as there are cores), and fails on any crash, leak,
# hang (an input that takes over 10 s) or memory blow-up (over 2 GB), naming the input kept.
# Prints each target's executions per second and coverage at the end.
#   scripts/fuzz.sh [SECONDS [TARGET...]]      (targets by name: tga, jpeg, commandline, ...)
# GLYPHMILL_FUZZ_BUILD names the build folder (default build-fuzz); what the runs find new is
# kept there, in fuzz-corpus/<target>, so that each run goes on from the last.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
build=${GLYPHMILL_FUZZ_BUILD:-build-fuzz}

scripts/ensure-packages.sh clang libclang-rt-dev cmake ninja-build pkg-config qt6-base-dev \
    qt6-image-formats-plugins libjpeg-dev libpng-dev libstb-dev libgtest-dev
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DGLYPHMILL_FUZZ=ON -DGLYPHMILL_WERROR=ON -DGLYPHMILL_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzz_targets

targets=("$@")
if ((${#targets[@]} == 0)); then
    for program in "$build"/fuzz/fuzz_*; do
        targets+=("${program##*/fuzz_}")
    done
fi

logs=$build/fuzz-logs
rm -rf "$logs"
mkdir -p "$logs"
# Memory used is what counts, as on the systems rastix runs on: a request for more address space
# than the machine has fails (std::bad_alloc, which rastix turns into a message) rather than
# being a finding by itself, since Qt's readers ask for far more than they touch (its ICNS reader
# 8 GB for a file of 273 bytes); more than 2 GB actually used is a finding.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
running=0
for name in "${targets[@]}"; do
    program=$build/fuzz/fuzz_$name
    [ -x "$program" ] || { echo "no fuzz target '$name'" >&2; exit 2; }
    work=$build/fuzz-corpus/$name
    findings=$build/fuzz-findings/$name
    mkdir -p "$work" "$findings"
    inputs=("$work" "tests/fuzz/corpus/$name")
    [ -d "tests/fuzz/regressions/$name" ] && inputs+=("tests/fuzz/regressions/$name")
    options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1048576
        -print_final_stats=1
        -artifact_prefix="$findings/")
    [ -f "tests/fuzz/$name.dict" ] && options+=(-dict="tests/fuzz/$name.dict")
    echo "fuzzing $name for $seconds s"
    (
        rc=0
        "$program" "${options[@]}" "${inputs[@]}" >"$logs/$name.log" 2>&1 || rc=$?
        echo "$rc" >"$logs/$name.rc"
    ) &
    running=$((running + 1))
    if ((running >= $(nproc))); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait

failed=0
# cov: edges of the instrumented code (rastix's, as linked into the target) reached, of edges.
printf '\n%-14s %12s %10s %8s %8s %8s %8s  %s\n' target executions execs/s cov edges ft corpus \
    result
for name in "${targets[@]}"; do
    log=$logs/$name.log
    rc=$(cat "$logs/$name.rc")
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    # The last status line the fuzzer printed: "#N ... cov: C ft: F corp: K/..."
    status=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$status")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$status")
    corpus=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$status")
    edges=$(sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -n 1)
    result=ok
    if [ "$rc" != 0 ]; then
        result="FAILED (exit $rc): see $log"
        failed=1
    fi
    printf '%-14s %12s %10s %8s %8s %8s %8s  %s\n' "$name" "${runs:-?}" "${speed:-?}" "${cov:-?}" \
        "${edges:-?}" "${ft:-?}" "${corpus:-?}" "$result"
done
if ((failed)); then
    for name in "${targets[@]}"; do
        if [ "$(cat "$logs/$name.rc")" != 0 ]; then
            echo
            echo "== $name: the end of $logs/$name.log"
            tail -n 40 "$logs/$name.log"
        fi
    done
    echo
    echo "Inputs that failed are kept under $build/fuzz-findings/; make each a regression input" >&2
    echo "(tests/fuzz/regressions/<target>/) once mended, see docs/FUZZING.md." >&2
    exit 1
fi
