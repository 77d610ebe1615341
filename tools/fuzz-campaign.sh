#!/usr/bin/env bash
# A long fuzzing campaign by hand, on all cores by default:
#   tools/fuzz-campaign.sh [--jobs N] [--seconds S] [TARGET...]
# Each target (default: every session target built) fuzzes for S seconds
# (default 3600) from the committed seeds and the campaign corpus of earlier
# runs, with N worker processes (default: the core count). Findings go to
# build-fuzz/campaign/TARGET/findings and do not stop the run. Afterwards the
# corpus is merged and minimised (an input stays only if it adds coverage) in
# build-fuzz/campaign/TARGET/corpus; the committed seeds are only read.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
seconds=3600
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    --jobs) jobs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(gyrelle_fuzz_vst gyrelle_fuzz_lv2)
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGYRELLE_FUZZ=ON >/dev/null
cmake --build build-fuzz --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  seeds=tests/fuzz/$(tools/fuzz-seeds.sh "$target")
  dir=build-fuzz/campaign/$target
  mkdir -p "$dir/corpus" "$dir/findings" "$dir/new" "$dir/bin"
  # The campaign runs a copy, so that the tree can be rebuilt meanwhile.
  cp build-fuzz/tests/"$target" build-fuzz/bin/*.so build-fuzz/lv2/gyrelle.lv2/gyrelle-dsp.so "$dir/bin/"
  export GYRELLE_FUZZ_PLUGIN_DIR=$PWD/$dir/bin
  echo "== $target: $seconds s on $jobs workers, from $seeds and $dir/corpus"
  status=0
  "$dir/bin/$target" -fork="$jobs" -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=30 -max_len=1024 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$dir/findings/" "$dir/new" "$dir/corpus" "$seeds" >"$dir/fuzz.log" 2>&1 || status=$?
  grep -E '^#[0-9]+: cov' "$dir/fuzz.log" | tail -1
  # Merge: the inputs that add coverage, smallest first, make the new corpus.
  rm -rf "$dir/merged" && mkdir "$dir/merged"
  "$dir/bin/$target" -merge=1 -max_len=1024 -rss_limit_mb=4096 "$dir/merged" "$dir/corpus" "$dir/new" \
    >"$dir/merge.log" 2>&1
  rm -rf "$dir/corpus" "$dir/new" && mv "$dir/merged" "$dir/corpus"
  echo "$target: corpus $(ls "$dir/corpus" | wc -l) inputs, $(du -sk "$dir/corpus" | cut -f1) kB;" \
    "findings $(ls "$dir/findings" | wc -l) (exit $status); log $dir/fuzz.log"
done
