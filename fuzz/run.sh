#!/usr/bin/env bash
# Builds the fuzzer with the fuzz preset and runs it for a bounded time, starting from the
# committed seeds; any finding fails the run and is left under build/fuzz/findings/.
#   fuzz/run.sh [SECONDS] [extra libFuzzer options...]     (default 60 seconds)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true

cmake --preset fuzz >/dev/null

work=build/fuzz/corpus      # grows from run to run; the seeds stay as committed
findings=build/fuzz/findings
mkdir -p "$work" "$findings"

# libFuzzer reports every new input; its full log goes to a file, its summary to the screen,
# and every 10 seconds a line of how far it has got.
log=build/fuzz/last-run.log
cmake --build --preset fuzz --target sheet_fuzzer >"$log" 2>&1 || { cat "$log" >&2; exit 1; }
echo "fuzzing the score sheet for $seconds s (log: $log)"
PELMORA_FUZZ_COUNT=1 \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build/fuzz/fuzz/sheet_fuzzer -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$@" "$work" fuzz/corpus >"$log" 2>&1 &
fuzzer=$!
started=$SECONDS
while kill -0 "$fuzzer" 2>/dev/null; do
    sleep 1
    if (((SECONDS - started) % 10 == 0)); then
        progress=$(grep -aE '^#[0-9]+' "$log" | tail -n 1 | cut -c1-90)
        printf '  %4d s  %s\n' $((SECONDS - started)) "${progress:-starting}"
    fi
done
status=0
wait "$fuzzer" || status=$?
grep -E '^(stat::|pelmora:|Done )|ERROR|SUMMARY|==[0-9]+==' "$log" || true

if [ "$status" -ne 0 ]; then
    tail -n 60 "$log" >&2
    echo "fuzzing found a fault (exit $status); the input is in $findings/, the log in $log" >&2
    exit 1
fi
