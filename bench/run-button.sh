#!/usr/bin/env bash
# Runs the button benchmark of the existing 64-bit build under Wine, in a
# virtual display (build first with tools/test). Prints its figure lines;
# exits non-zero when a figure fails its target.
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

bench="$BUILD_ROOT/x64/bin/ButtonRepaintBench.exe"
[ -f "$bench" ] || die "no 64-bit build of the benchmark; run tools/test first"
prepare_prefix "$BUILD_ROOT/x64/wineprefix"
start_display
start_wineserver
out=$(mktemp)
trap 'rm -f "$out"; stop_wineserver; stop_display' EXIT

# Output to a file, never a pipe: Wine's service processes may hold a pipe open.
status=0
wine "$bench" >"$out" </dev/null || status=$?
cat "$out"
exit $status
