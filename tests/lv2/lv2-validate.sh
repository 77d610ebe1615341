#!/usr/bin/env bash
# Debian's lv2_validate on the bundle's Turtle. Its exit status does not
# always say what it found, so its report is read as well: it must end in
# "Found 0 errors" with no error or warning line before.
set -uo pipefail
bundle=$1
report=$(lv2_validate "$bundle"/*.ttl 2>&1)
status=$?
echo "$report"
summary=$(grep -E '^Found [0-9]+ errors' <<<"$report")
if [[ -z "$summary" ]]; then
  echo "no 'Found N errors' line in lv2_validate's report (exit status $status)"
  exit 1
fi
if [[ "$summary" != "Found 0 errors"* ]] || grep -qiE '^(error|warning)' <<<"$report" || ((status != 0)); then
  echo "lv2_validate found faults in $bundle (exit status $status)"
  exit 1
fi
