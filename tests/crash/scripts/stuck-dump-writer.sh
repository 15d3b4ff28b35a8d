#!/usr/bin/env bash
# A crash on the main thread whose dump writer never finishes (a stand-in
# DBGHELP.DLL that writes the start of a dump and hangs), with no other
# thread of the application waiting. The process must not wait for ever:
# once the writing has overrun its bound, it ends by itself with the crash's
# exception code, and no file under a dump's final name is left
# half-written.
#
# Wine reads DLL overrides from the Linux environment only: hence a script.
#
#   stuck-dump-writer.sh WINE_EMULATOR BIN_FOLDER
set -euo pipefail
emulator=$1
bin=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

cp "$bin/QUAVPlusKDS.exe" "$bin/AfxFramework.dll" "$dir/"
cp "$bin/CrashTestModule.dll" "$dir/QuavPlusUI.dll"
cp "$bin/StuckDbgHelp.dll" "$dir/DBGHELP.DLL"
windir="Z:${dir//\//\\}" # Wine's drive Z: is the Linux root
status=0
QUAV_TEST_CRASH=main QUAV_TEST_DUMP_FOLDER="$windir" \
    WINEDLLOVERRIDES="mscoree,mshtml=;dbghelp=n" \
    "$emulator" "$bin/observer.exe" --timeout 150000 --cwd "$windir" -- "$windir\\QUAVPlusKDS.exe" \
    </dev/null 2>"$dir/observer.err" >"$dir/observer.raw" || status=$?
tr -d '\r' <"$dir/observer.raw" >"$dir/observer.txt"
cat "$dir/observer.txt"
ls "$dir"
[ "$status" -eq 0 ] || fail "the observer ended with status $status: $(cat "$dir/observer.err")"

[ -f "$dir/fake-dbghelp-loaded" ] || fail "the stand-in library was not the one loaded"
grep -q '^TIMEOUT' "$dir/observer.txt" && fail "the process did not end"
grep -qx 'EXIT 3221225477' "$dir/observer.txt" || fail "not ended with the access violation's code"
grep -q '^BOX ' "$dir/observer.txt" && fail "a box was shown"
[ -z "$(find "$dir" -maxdepth 1 -name 'QPLSCrash_*.dmp')" ] || fail "a half-written dump has a final name"
[ -n "$(find "$dir" -maxdepth 1 -name 'QPLSCrash_*.tmp')" ] || fail "the writer never started"
echo "the stuck writer's process ended with the crash, leaving no half-written dump"
