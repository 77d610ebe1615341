#!/usr/bin/env bash
# Normal build, every test.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/build.sh build
ctest --test-dir build --output-on-failure -j"$(nproc)"
