#!/usr/bin/env bash
# AddressSanitizer + UndefinedBehaviorSanitizer build, every test.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DGYRELLE_SANITIZE=address
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE no-sanitizer
