#!/usr/bin/env bash
# A real host's plug-in scanner indexes both builds with the right identity.
set -euo pipefail
bin=$1
scanner=/usr/lib/ardour7/ardour-vst-scanner
[[ -x $scanner ]] || { echo "missing $scanner (Debian package ardour)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() {
  local lib=$1 id=$2 inputs=$3
  cp "$bin/$lib" "$work/"
  out=$(HOME=$work LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 120 "$scanner" -f -v "$work/$lib" 2>&1)
  echo "$out"
  grep -q "<VST2Info id=\"$id\" name=\"Gyrelle v1.4\" creator=\"QuillfenSoundSoftware\"" <<<"$out"
  grep -q "n_inputs=\"$inputs\" n_outputs=\"2\"" <<<"$out"
  grep -q 'can_process_replace="1"' <<<"$out"
}
check gyrelle-mono.so $((0x2D2D2DF7)) 1
check gyrelle-stereo.so $((0x2D2D2DF8)) 2
echo "both builds indexed"
