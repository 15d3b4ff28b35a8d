#!/usr/bin/env bash
# Runs dist/x64 in a brand-new Wine prefix, with nothing installed into it and
# Wine's default settings: the launcher must start, host a module and end
# cleanly. Proves that dist/ needs nothing beyond what Windows has.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"

prefix="$BUILD_ROOT/fresh-prefix"
work=$(mktemp -d)
cleanup() {
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    stop_display
    rm -rf "$work" "$prefix"
}
trap cleanup EXIT

wine_env
export WINEPREFIX="$prefix"
rm -rf "$prefix"
wineboot --init >"$work/wineboot.log" 2>&1 || die "wineboot failed"
wineserver -w
start_display

cp "$DIST_ROOT"/x64/* "$work/"
cp "$BUILD_ROOT/x64/bin/TestModuleFull.dll" "$work/QuavPlusUI.dll"
export QUAV_TEST_MODULE_MODE=window
export QUAV_TEST_MODULE_LOG="$(winepath -w "$work/module.log")"
exe="$(winepath -w "$work/QUAVPlusKDS.exe")"
wine "$BUILD_ROOT/x64/bin/observer.exe" --timeout 60000 --cwd "$(winepath -w "$work")" -- \
    "$exe" </dev/null >"$work/report.txt" 2>&1 || true
tr -d '\r' <"$work/report.txt" >"$work/report.clean"
if [ "$(cat "$work/report.clean")" != "EXIT 0" ] || ! grep -q '^exit' "$work/module.log"; then
    echo "dist/x64 in a fresh prefix: unexpected result" >&2
    cat "$work/report.clean" >&2
    cat "$work/module.log" >&2 2>/dev/null || true
    exit 1
fi
log "dist/x64 runs in a fresh Wine prefix"
