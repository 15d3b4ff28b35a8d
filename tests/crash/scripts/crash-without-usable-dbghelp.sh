#!/usr/bin/env bash
# Crashes the real launcher, with a UI module that lacks DLLGetDumpPath, on
# its main thread:
#   - as it is: the writer says the export is missing and dumps into the
#     current directory (this shows the set-up can produce both);
#   - with no debug-help library ("dbghelp=", Wine loads none);
#   - with a stand-in DBGHELP.DLL without MiniDumpWriteDump beside the
#     launcher ("dbghelp=n", Wine takes the one found there).
# Without a usable library there is neither a box nor a dump.
#
# Wine reads DLL overrides from the Linux environment, which a Windows
# test program cannot set for the programs it starts: hence this script.
#
#   crash-without-usable-dbghelp.sh WINE_EMULATOR BIN_FOLDER
set -euo pipefail
emulator=$1
bin=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case_name=
fail() { echo "FAIL ($case_name): $*"; exit 1; }

# run NAME OVERRIDES WITH_STAND_IN: the observer's report in $dir/observer.txt
run() {
    case_name=$1
    dir="$work/$1"
    mkdir -p "$dir"
    cp "$bin/QUAVPlusKDS.exe" "$bin/AfxFramework.dll" "$dir/"
    cp "$bin/CrashTestModuleWithoutDumpPath.dll" "$dir/QuavPlusUI.dll"
    [ "$3" = yes ] && cp "$bin/FakeDbgHelp.dll" "$dir/DBGHELP.DLL"
    local windir="Z:${dir//\//\\}" # Wine's drive Z: is the Linux root
    QUAV_TEST_CRASH=main WINEDLLOVERRIDES="mscoree,mshtml=$2" \
        "$emulator" "$bin/observer.exe" --timeout 60000 --cwd "$windir" -- "$windir\\QUAVPlusKDS.exe" \
        </dev/null 2>"$dir/observer.err" | tr -d '\r' >"$dir/observer.txt"
    echo "== $case_name"
    cat "$dir/observer.txt"
    grep -qx 'EXIT 3221225477' "$dir/observer.txt" || fail "not ended by the access violation"
}

dumps_in() { find "$1" -maxdepth 1 -name 'QPLSCrash_*.dmp' | wc -l; }

run as-installed "" no
[ "$(grep -c '^BOX ' "$dir/observer.txt")" -eq 1 ] &&
    grep -qx 'BOX QUAVPlusKDS|Unable to load FUNCTION: DLLGetDumpPath' "$dir/observer.txt" ||
    fail "expected the one box about DLLGetDumpPath"
[ "$(dumps_in "$dir")" -eq 1 ] || fail "expected one dump in the current directory"

run no-library ";dbghelp=" no
grep -q '^BOX ' "$dir/observer.txt" && fail "a box was shown"
[ "$(dumps_in "$dir")" -eq 0 ] || fail "a dump was written"

run stand-in ";dbghelp=n" yes
[ -f "$dir/fake-dbghelp-loaded" ] || fail "the stand-in library was not the one loaded"
grep -q '^BOX ' "$dir/observer.txt" && fail "a box was shown"
[ "$(dumps_in "$dir")" -eq 0 ] || fail "a dump was written"

echo "no box and no dump without a usable debug-help library"
