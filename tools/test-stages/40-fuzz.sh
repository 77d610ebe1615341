#!/usr/bin/env bash
# libFuzzer build (clang): each fuzz target runs for its share of a bounded
# time from its committed seeds; any crash, leak, sanitizer report, broken
# oracle or timeout fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
# The panel target and the lean session target of each format.
targets=(gyrelle_fuzz gyrelle_fuzz_vst gyrelle_fuzz_lv2)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGYRELLE_FUZZ=ON >/dev/null
cmake --build build-fuzz --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The whole stage's fuzzing time, shared out evenly.
total=${GYRELLE_FUZZ_SECONDS:-60}
seconds=$(( (total + ${#targets[@]} - 1) / ${#targets[@]} ))
for target in "${targets[@]}"; do
  seeds=tests/fuzz/$(tools/fuzz-seeds.sh "$target")
  corpus=build-fuzz/fuzz-corpus/$target
  findings=build-fuzz/fuzz-findings/$target
  log=build-fuzz/fuzz-findings/$target.log
  mkdir -p "$corpus" "$findings"
  echo "-- $target, $seconds s from $seeds"
  # New inputs go to the build tree; the committed seeds are only read.
  status=0
  build-fuzz/tests/$target -max_total_time="$seconds" -timeout=30 -max_len=1024 -len_control=0 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+[[:space:]]+(INITED|DONE)|stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb))' "$log" || true
  if [ "$status" -ne 0 ]; then
    grep -v '^ *0x' "$log" | tail -60 >&2
    echo "$target failed (exit $status); the input that did it is in $findings, the whole log in $log" >&2
    exit 1
  fi
done
