#!/usr/bin/env bash
# The main job: installs what is missing, builds both plug-ins, and shows what
# a host sees when it loads them.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/setup.sh
tools/build.sh build -DCMAKE_BUILD_TYPE=Release
build/bin/gyrelle-info build/bin/gyrelle-mono.so build/bin/gyrelle-stereo.so
