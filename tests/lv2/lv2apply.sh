#!/usr/bin/env bash
# Debian's lv2apply, a host that offers no feature at all, runs the stereo
# plug-in over the built-in demo: it must load, run and write sound.
set -euo pipefail
bin=$(realpath "$1") bundle=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$bin/gyrelle-render" --quiet --demo "$work/in.wav"
LV2_PATH=$(dirname "$bundle") lv2apply -i "$work/in.wav" -o "$work/out.wav" urn:quillfen:gyrelle:stereo
LV2_PATH=$(dirname "$bundle") lv2apply -i "$work/in.wav" -o "$work/out-fast.wav" -c speed 4 -c render_level 1 \
  urn:quillfen:gyrelle:stereo
for out in "$work/out.wav" "$work/out-fast.wav"; do
  size=$(stat -c %s "$out")
  if ((size < 100000)); then
    echo "lv2apply wrote only $size bytes to $out"
    exit 1
  fi
done
if cmp -s "$work/out.wav" "$work/out-fast.wav"; then
  echo "the control values given to lv2apply changed nothing"
  exit 1
fi
echo "lv2apply ran urn:quillfen:gyrelle:stereo: $(stat -c %s "$work/out.wav") bytes"
