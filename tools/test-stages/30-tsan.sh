#!/usr/bin/env bash
# ThreadSanitizer build: the tests labelled tsan.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/build.sh build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGYRELLE_SANITIZE=thread
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
ctest --test-dir build-tsan --output-on-failure -L tsan
