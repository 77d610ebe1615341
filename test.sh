#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, and runs every test
# in a normal build and under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/setup.sh
for stage in tools/test-stages/*.sh; do
  echo "== $(basename "$stage" .sh)"
  bash "$stage"
done
echo "== all tests passed"
