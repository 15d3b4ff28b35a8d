#!/usr/bin/env bash
# Crashes the real launcher with a test UI module, once on the main thread
# and once on a thread of the module, and opens each dump with LLDB: the
# thread it stops in must be the one the module logged before it faulted,
# stopped by the access violation.
#
#   dump-opens-in-lldb.sh WINE_EMULATOR BIN_FOLDER LLDB
set -euo pipefail
emulator=$1
bin=$2
lldb=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL ($where): $*"; exit 1; }

for where in main thread; do
    dir="$work/$where"
    mkdir -p "$dir/dumps"
    cp "$bin/QUAVPlusKDS.exe" "$bin/AfxFramework.dll" "$dir/"
    cp "$bin/CrashTestModule.dll" "$dir/QuavPlusUI.dll"
    windir="Z:${dir//\//\\}" # Wine's drive Z: is the Linux root

    QUAV_TEST_CRASH=$where QUAV_TEST_DUMP_FOLDER="$windir\\dumps" \
        QUAV_TEST_THREAD_LOG="$windir\\crashing-thread.txt" \
        "$emulator" "$bin/observer.exe" --timeout 60000 --cwd "$windir" -- "$windir\\QUAVPlusKDS.exe" \
        >"$dir/observer.txt" 2>"$dir/observer.err" </dev/null
    tr -d '\r' <"$dir/observer.txt" | grep -qx 'EXIT 3221225477' ||
        fail "not ended by the access violation: $(cat "$dir/observer.txt")"

    dumps=("$dir"/dumps/QPLSCrash_*.dmp)
    [ ${#dumps[@]} -eq 1 ] && [ -f "${dumps[0]}" ] || fail "expected one dump: ${dumps[*]}"
    thread=$(printf '0x%04x' "$(tr -d '\r\n' <"$dir/crashing-thread.txt")")

    "$lldb" -b -c "${dumps[0]}" -o "thread list" >"$dir/lldb.txt" 2>/dev/null ||
        fail "lldb could not open the dump"
    echo "== $where: $(basename "${dumps[0]}"), crashing thread $thread"
    cat "$dir/lldb.txt"
    # The selected thread ("*") is the crashing one, stopped by the exception.
    grep -E "^\* thread #[0-9]+: tid = $thread, .*stop reason = Exception 0xc0000005 " \
        "$dir/lldb.txt" >/dev/null || fail "lldb does not show thread $thread stopped by 0xc0000005"
done
echo "both dumps open in lldb at the crashing thread"
