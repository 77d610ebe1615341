#!/usr/bin/env bash
# Names the committed seed folder of a fuzz target, under tests/fuzz/.
case $1 in
  gyrelle_fuzz) echo corpus ;;
  gyrelle_fuzz_vst) echo corpus-vst ;;
  gyrelle_fuzz_lv2) echo corpus-lv2 ;;
  *) echo "no seeds known for $1" >&2; exit 1 ;;
esac
