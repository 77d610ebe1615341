#!/usr/bin/env bash
# The main job: installs what is missing, builds both plug-ins and the
# renderer, and renders the built-in demo through the stereo build into a WAV
# file and a spectrogram of input and output.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
tools/setup.sh
tools/build.sh build -DCMAKE_BUILD_TYPE=Release
mkdir -p out
# Speed 0.8 (about 1.24 Hz) lets the picture show several turns of the cycle.
build/bin/gyrelle-render --plugin build/bin/gyrelle-stereo.so --set speed=0.8 \
  --demo out/demo.wav --spectrogram out/demo-spectrogram.png
echo "demo rendered:    $root/out/demo.wav"
echo "its spectrogram:  $root/out/demo-spectrogram.png"
