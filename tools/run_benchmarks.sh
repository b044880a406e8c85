#!/usr/bin/env bash
# Runs every benchmark of a build pinned to one CPU, with the benchmarks of
# each program in random order and seven repetitions, and prints each
# program's ratio table (read from the medians of the repetitions).
#
#   tools/run_benchmarks.sh [build-dir] [bench-name ...]
#
# The build needs -DTESK_BUILD_BENCH=ON. BENCH_CPU picks the CPU (default: the
# last one), BENCH_REPETITIONS the repetitions (default 7), BENCH_LOG_DIR where
# the full output of each program is kept (default: <build-dir>/bench-logs).
# A program that fails or leaves a benchmark with an error makes the script
# end with status 1 after the others have run.
set -u

build=${1:-build}
[ $# -gt 0 ] && shift
cpu=${BENCH_CPU:-$(($(nproc) - 1))}
repetitions=${BENCH_REPETITIONS:-7}
logs=${BENCH_LOG_DIR:-$build/bench-logs}

if [ ! -d "$build/bench" ]; then
    echo "no benchmarks in $build/bench (configure with -DTESK_BUILD_BENCH=ON and build)" >&2
    exit 2
fi
mkdir -p "$logs"

if [ $# -gt 0 ]; then
    programs=()
    for name in "$@"; do programs+=("$build/bench/bench_${name#bench_}"); done
else
    programs=("$build"/bench/bench_*)
fi

status=0
echo "Pinned to CPU $cpu, $repetitions repetitions, random interleaving; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "Load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for program in "${programs[@]}"; do
    name=$(basename "$program")
    if [ ! -x "$program" ]; then
        echo "== $name: not built" >&2
        status=1
        continue
    fi
    log="$logs/$name.txt"
    start=$(date +%s)
    taskset -c "$cpu" "$program" --benchmark_enable_random_interleaving=true \
        --benchmark_repetitions="$repetitions" --benchmark_color=false >"$log.raw" 2>"$logs/$name.err"
    rc=$?
    sed 's/\x1b\[[0-9;]*m//g' "$log.raw" >"$log" && rm -f "$log.raw"
    echo
    echo "== $name ($(($(date +%s) - start)) s, exit $rc; full output in $log)"
    # What the program prints before its runs, and the tables after the last
    # aggregate line (the runs themselves stay in the log).
    awk '/^-+$/ && !seen { seen = 1 } !seen { print }' "$log"
    awk '{ line[NR] = $0 } /_cv / { last = NR } END { for (i = last + 1; i <= NR; ++i) if (line[i] != "") print line[i] }' "$log"
    if grep -q 'ERROR OCCURRED' "$log"; then
        echo "   errors:"
        grep 'ERROR OCCURRED' "$log" | sed 's/^/   /'
        status=1
    fi
    if [ $rc -ne 0 ]; then
        echo "   failed; the end of its error output:"
        tail -5 "$logs/$name.err" | sed 's/^/   /'
        status=1
    fi
done
exit $status
