#!/usr/bin/env bash
# Crashes the real launcher, stripped as it ships, with a test UI module:
# in the module on the main thread, on a thread of the module, and inside the
# framework library. tools/crash-report, given the unstripped copies, must
# name the faulting function at its source line and the host's frames at
# theirs. A C++ exception nobody catches (on the main thread, where it ends
# in abort(), and on a module thread) and abort() itself must be named where
# they were thrown or called, from the launcher's and the module's files
# alone: a reader rarely has the system's libraries the run-time raised them
# in. Against a symbol copy of another build of the module the tool must say
# so and name none of that module's frames. A folder of these dumps from
# several stations, with copies written at other times and files that are no
# dumps, must be read into one group per crash. Garbage input alone gets one
# line on stderr and a non-zero exit.
#
#   crash-report-names-the-code.sh WINE_EMULATOR BIN_FOLDER STRIP SOURCE_ROOT
set -euo pipefail
emulator=$1
bin=$2
strip=$3
root=$4
report_tool="$root/tools/crash-report"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

where=setup
fail() { echo "FAIL ($where): $*"; [ -f "${report:-}" ] && cat "$report"; exit 1; }

# The symbol copies under the shipped names, and the shipped files stripped
# from them with their time stamps kept, as tools/lib/common.sh installs them.
mkdir -p "$work/symbols" "$work/app"
cp "$bin/QUAVPlusKDS.exe" "$bin/AfxFramework.dll" "$work/symbols/"
cp "$bin/CrashTestModule.dll" "$work/symbols/QuavPlusUI.dll"
for f in "$work"/symbols/*; do "$strip" -p -o "$work/app/$(basename "$f")" "$f"; done

line_of() { # PATTERN FILE: the number of the first line holding PATTERN
    grep -nF -- "$1" "$root/$2" | head -n1 | cut -d: -f1
}
module_source=tests/crash/modules/CrashTestModule.cpp
fault_line=$(line_of 'void Fault() {' $module_source)
framework_line=$(line_of 'int CString::GetLength() const' Code/AfxFramework/CString.cpp)
# Frame lines, as regular expressions: "  N  MODULE+0xOFFSET  FUNCTION at FILE:LINE".
frame() { echo "^ +[0-9]+  $1\\+0x[0-9a-f]+ +$2 at $3:$4\$"; }
fault_frame=$(frame 'QuavPlusUI\.dll' 'Fault(\(\))?( \[inlined\])?' $module_source "$fault_line")
host_frames=(
    "$(frame 'QUAVPlusKDS\.exe' 'CQuavPlusApp::InitInstance\(\)' Code/APPLICATION/QuavPlusApp.cpp \
        "$(line_of 'm_pMainWnd = pfnInitInstance(' Code/APPLICATION/QuavPlusApp.cpp)")"
    "$(frame 'AfxFramework\.dll' 'AfxWinMain\(.*\)' Code/AfxFramework/CWinApp.cpp \
        "$(line_of 'if (!pApp->InitInstance())' Code/AfxFramework/CWinApp.cpp)")"
)
# Wine's own libraries, unstripped, let the walk go on through Wine's frames.
case "$strip" in
*x86_64*) wine_arch=x86_64-windows ;;
*) wine_arch=i386-windows ;;
esac
wine_dlls=$(dirname "$(find /usr/lib -path "*/wine/$wine_arch/ntdll.dll" -print -quit)")

# crash MODE [EXIT]: runs the launcher into the crash, which must end it with
# the exit code EXIT (a regular expression; the access violation's by
# default); the dump is $dump.
crash() {
    local dir="$work/run-$1"
    cp -r "$work/app" "$dir"
    mkdir -p "$dir/dumps"
    local windir="Z:${dir//\//\\}" # Wine's drive Z: is the Linux root
    QUAV_TEST_CRASH=$1 QUAV_TEST_DUMP_FOLDER="$windir\\dumps" \
        "$emulator" "$bin/observer.exe" --timeout 60000 --cwd "$windir" -- "$windir\\QUAVPlusKDS.exe" \
        >"$dir/observer.txt" 2>"$dir/observer.err" </dev/null
    tr -d '\r' <"$dir/observer.txt" | grep -qxE "EXIT ${2:-3221225477}" ||
        fail "not ended by the crash's code: $(cat "$dir/observer.txt")"
    local dumps=("$dir"/dumps/QPLSCrash_*.dmp)
    [ ${#dumps[@]} -eq 1 ] && [ -f "${dumps[0]}" ] || fail "expected one dump: ${dumps[*]}"
    dump=${dumps[0]}
}

# report SYMBOLS_FOLDER...: the report of $dump in $report; Wine's own
# libraries are named last unless the case is read without them.
report() {
    report="$work/report-$where.txt"
    local folders=()
    for folder in "$@"; do folders+=(--symbols "$folder"); done
    "$report_tool" "$dump" "${folders[@]}" >"$report" 2>"$work/report.err" ||
        fail "crash-report failed: $(cat "$work/report.err")"
    [ ! -s "$work/report.err" ] || fail "crash-report wrote to stderr: $(cat "$work/report.err")"
}

# The crashing thread's frames, or another thread's: "Thread 0x...:" blocks.
crashing_thread() { sed -n '/^Crashing thread/,/^$/p' "$report"; }
other_threads() { sed -n '/^Thread /,/^$/p' "$report"; }
expect() { # REGEX WHAT: fails unless a line of WHAT's output matches
    "$2" | grep -qE -- "$1" || fail "no line matches \"$1\" in: $2"
}
first_frame() { crashing_thread | sed -n 2p; }
whole_report() { cat "$report"; }

where=main
crash main
report "$work/symbols" "$wine_dlls"
main_dump=$dump
expect "^Exception 0xc0000005 \(access violation\), writing address 0x0000000000000010$" whole_report
expect "^  at QuavPlusUI\.dll\+0x[0-9a-f]+ on thread " whole_report
expect "$fault_frame" first_frame
for f in "$(frame 'QuavPlusUI\.dll' 'DLLInitInstance(\(.*\))?' $module_source '[0-9]+')" \
    "${host_frames[@]}"; do
    expect "$f" crashing_thread
done
echo "== the report of a crash on the main thread"
cat "$report"

where=thread
crash thread
# The main thread waits in Wine's own libraries: their files let the walk
# reach the host's frames.
report "$work/symbols" "$wine_dlls"
thread_dump=$dump
expect "$fault_frame" first_frame
expect "$(frame 'QuavPlusUI\.dll' '.*CrashingThread\((LPVOID|void\*)\)' $module_source '[0-9]+')" crashing_thread
# The host's frames are on the main thread, which waits for the worker.
for f in "${host_frames[@]}"; do expect "$f" other_threads; done

where=framework
crash framework
report "$work/symbols"
framework_dump=$dump
expect "^Exception 0xc0000005 \(access violation\), reading address 0x0000000000000010$" whole_report
expect "$(frame 'AfxFramework\.dll' 'CString::GetLength\(\) const' Code/AfxFramework/CString.cpp \
    "$framework_line")" first_frame
for f in "$(frame 'QuavPlusUI\.dll' 'FaultInFramework(\(\))?( \[inlined\])?' $module_source '[0-9]+')" \
    "${host_frames[@]}"; do
    expect "$f" crashing_thread
done

# Thrown or aborted in the module, and read without Wine's libraries: the
# code that threw or called abort() is named at its line all the same.
where=exit-throw
crash exit-throw 1073741845 # abort(), after std::terminate
report "$work/symbols"
expect "$(frame 'QuavPlusUI\.dll' 'DLLExitInstance(\(\))?' $module_source \
    "$(line_of 'throw std::runtime_error("module shut-down failed")' $module_source)")" crashing_thread
where=thread-throw
case "$wine_arch" in
x86_64*) thread_throw_code=541541187 ;; # the compiler's own exception, 0x20474343
*) thread_throw_code=1073741845 ;;      # 32-bit: std::terminate, then abort()
esac
crash thread-throw $thread_throw_code
report "$work/symbols"
expect "$(frame 'QuavPlusUI\.dll' '.*Throw(\(\))?' $module_source \
    "$(line_of 'void Throw() {' $module_source)")" crashing_thread
where=abort
crash abort 1073741845
report "$work/symbols"
expect "$(frame 'QuavPlusUI\.dll' 'DLLInitInstance(\(.*\))?' $module_source \
    "$(line_of '        abort();' $module_source)")" first_frame

# The module's symbol copy from another build: the same file, linked at
# another time (as a rebuild would be), carries another time stamp.
where=mismatch
dump=$main_dump
cp -r "$work/symbols" "$work/other-build"
python3 - "$work/other-build/QuavPlusUI.dll" <<'PY'
import struct, sys
with open(sys.argv[1], "r+b") as f:
    data = f.read(0x40)
    stamp_at = struct.unpack_from("<I", data, 0x3C)[0] + 8
    f.seek(stamp_at)
    (stamp,) = struct.unpack("<I", f.read(4))
    f.seek(stamp_at)
    f.write(struct.pack("<I", stamp - 3600))
PY
report "$work/other-build" "$wine_dlls"
expect "^WARNING: the symbols for QuavPlusUI\.dll are of another build" whole_report
grep -E "^  0x[0-9a-f]+  QuavPlusUI\.dll .*MISMATCH: .*other-build/QuavPlusUI\.dll is of another build \(time stamp" \
    "$report" >/dev/null || fail "the module list does not show the mismatch"
# Without the module's own file LLDB cannot unwind past its frame.
expect '^ +0  QuavPlusUI\.dll\+0x[0-9a-f]+$' first_frame
expect "^  \(the stack cannot be followed past QuavPlusUI\.dll without its matching file\)$" crashing_thread

where=fleet
crash throw '[1-9][0-9]*'
throw_dump=$dump
fleet="$work/fleet"
mkdir -p "$fleet/station-1" "$fleet/station-2/last-week"
copy_at() { # DUMP SECONDS TARGET: the dump as the same crash would write it SECONDS later
    python3 - "$@" <<'PY'
import struct, sys
with open(sys.argv[1], "rb") as f:
    data = bytearray(f.read())
struct.pack_into("<I", data, 20, struct.unpack_from("<I", data, 20)[0] + int(sys.argv[2]))
with open(sys.argv[3], "wb") as f:
    f.write(data)
PY
}
cp "$main_dump" "$fleet/station-1/main.dmp"
copy_at "$main_dump" 3600 "$fleet/station-2/main.dmp"
copy_at "$main_dump" 604800 "$fleet/station-2/last-week/MAIN.DMP"
cp "$thread_dump" "$fleet/station-1/thread.dmp"
copy_at "$thread_dump" 60 "$fleet/station-2/thread.dmp"
cp "$throw_dump" "$fleet/station-2/throw.dmp"
copy_at "$throw_dump" 120 "$fleet/station-1/throw.dmp"
cp "$framework_dump" "$fleet/station-1/framework.dmp"
printf 'not a dump' >"$fleet/station-1/text.dmp"
: >"$fleet/station-2/empty.dmp"
head -c 4096 "$main_dump" >"$fleet/station-2/cut.dmp"
mkfifo "$fleet/station-2/pipe.dmp"
echo "collected on Monday" >"$fleet/station-1/notes.txt"
summary() { # ARGUMENTS...: tools/crash-report's output on the fleet in $report
    report="$work/report-$where.txt"
    "$report_tool" --symbols "$work/symbols" --symbols "$wine_dlls" "$@" -- "$fleet" >"$report" \
        2>"$work/report.err" || fail "crash-report failed: $(cat "$work/report.err")"
}
summary --json
python3 - "$report" "$fleet" <<'PY' || fail "the groups are not those of the crashes"
import json, os, re, sys
document = json.load(open(sys.argv[1]))
def files(paths):
    return tuple(sorted(os.path.relpath(p, sys.argv[2]) for p in paths))
expected = {  # the dumps of each crash: a pattern its signature matches
    ("station-1/main.dmp", "station-2/last-week/MAIN.DMP", "station-2/main.dmp"):
        r"0xc0000005 \| Fault \| DLLInitInstance \| CQuavPlusApp::InitInstance\(\)$",
    ("station-1/thread.dmp", "station-2/thread.dmp"): r"0xc0000005 \| Fault \| .*CrashingThread\(",
    # The crash handler's frames and the run-time's abort path are not the crash.
    ("station-1/throw.dmp", "station-2/throw.dmp"):
        r"0x[0-9a-f]{8} \| DLLInitInstance \| CQuavPlusApp::InitInstance\(\) \| AfxWinMain\(",
    ("station-1/framework.dmp",): r"0xc0000005 \| CString::GetLength\(\) const \| FaultInFramework \| ",
}
groups = {files(g["paths"]): g for g in document["groups"]}
problems = [f"{paths}: {groups[paths]['signature'] if paths in groups else 'no such group'}"
            for paths, pattern in expected.items()
            if paths not in groups or not re.match(pattern, groups[paths]["signature"])]
problems += [f"unexpected group {paths}" for paths in groups if paths not in expected]
if [g["count"] for g in document["groups"]] != [3, 2, 2, 1]:
    problems.append("the groups are not biggest first")
main = groups.get(next(iter(expected)), {})
if main.get("first_time") == main.get("last_time"):
    problems.append("the copies at other times are not told apart")
signature_of = {path: g["signature"] for g in document["groups"] for path in g["paths"]}
for dump in document["dumps"]:
    if (dump["executable"], dump["signature"]) != ("QUAVPlusKDS.exe", signature_of.get(dump["path"])) \
            or not dump["frames"] or not dump["time"] or not dump["exception_code"]:
        problems.append(f"dump {dump['path']}: {dump}")
unreadable = {files([u["path"]])[0]: u["reason"] for u in document["unreadable"]}
if sorted(unreadable) != ["station-1/text.dmp", "station-2/cut.dmp", "station-2/empty.dmp",
                          "station-2/pipe.dmp"] or not all(unreadable.values()):
    problems.append(f"unreadable: {unreadable}")
print("\n".join(problems))
sys.exit(1 if problems else 0)
PY
summary
expect '^8 dumps read, 4 unreadable; 4 signatures$' whole_report
expect '^#1  3 dumps, access violation$' whole_report
expect "^  $fleet/station-2/pipe\.dmp: not a regular file \(a FIFO\)$" whole_report
echo "== a fleet's dumps, grouped"
cat "$report"
# A path that begins with a dash is a path after "--".
cp "$main_dump" "$fleet/-main.dmp"
(cd "$fleet" && "$report_tool" -- -main.dmp) >"$work/dash.txt" 2>&1 || fail "-main.dmp was not read: $(cat "$work/dash.txt")"
head -n1 "$work/dash.txt" | grep -qx "Crash dump -main.dmp" || fail "-main.dmp was not reported: $(cat "$work/dash.txt")"

where=garbage
head -c 4096 "$main_dump" >"$work/truncated.dmp"
printf 'not a dump' >"$work/text.dmp"
for input in "$work/truncated.dmp" "$work/text.dmp" "$work/missing.dmp"; do
    if "$report_tool" "$input" >"$work/out.txt" 2>"$work/err.txt"; then
        fail "$input was accepted"
    fi
    [ "$(wc -l <"$work/err.txt")" -eq 1 ] && grep -q "^crash-report: $input: " "$work/err.txt" ||
        fail "not one line on stderr for $input: $(cat "$work/err.txt")"
    [ ! -s "$work/out.txt" ] || fail "a report was printed for $input"
done
echo "the reports name the crashing code and refuse bad input"
