#!/usr/bin/env bash
# Runs a command against a private Xvfb server on a free display, then stops
# the server: tools/with-xvfb.sh COMMAND [ARGS...]. The command's exit code is kept.
set -euo pipefail
command -v Xvfb >/dev/null || { echo "with-xvfb: Xvfb is not installed (Debian package xvfb)" >&2; exit 1; }
tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/log" &
server=$!
cleanup() {
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 200); do
  [[ -s "$tmp/display" ]] && break
  kill -0 "$server" 2>/dev/null || { cat "$tmp/log" >&2; echo "with-xvfb: Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[[ -s "$tmp/display" ]] || { echo "with-xvfb: no display from Xvfb" >&2; exit 1; }
display=$(tr -d '[:space:]' <"$tmp/display")
status=0
DISPLAY=":$display" "$@" || status=$?
exit "$status"
