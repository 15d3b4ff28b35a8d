#!/usr/bin/env bash
# Checks that each dist/ folder holds only what a user installs, and that
# its programs need nothing beyond Windows' own libraries and each other;
# and that dist/symbols/<arch> holds each program with its debug information
# and the time stamp of the shipped file, by which crash reports match it.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"
dist=$1
status=0
time_stamp() { $objdump -p "$1" | grep -m1 -P '^Time/Date\t'; }
for arch in x86 x64; do
    dir="$dist/$arch"
    case $arch in x86) objdump=i686-w64-mingw32-objdump ;; x64) objdump=x86_64-w64-mingw32-objdump ;; esac
    [ -d "$dir" ] || { echo "check-dist: $dir is missing"; status=1; continue; }
    shipped=$(cd "$dir" && ls)
    for f in $shipped; do
        case "$f" in
            *.exe|*.dll) ;;
            *) echo "check-dist: $arch ships an unexpected file: $f"; status=1; continue ;;
        esac
        symbols="$dist/symbols/$arch/$f"
        if [ ! -f "$symbols" ]; then
            echo "check-dist: $arch/$f has no symbol copy"; status=1
        elif ! $objdump -h "$symbols" | grep -q ' \.debug_info '; then
            echo "check-dist: symbols/$arch/$f has no debug information"; status=1
        elif [ "$(time_stamp "$symbols")" != "$(time_stamp "$dir/$f")" ]; then
            echo "check-dist: $arch/$f and its symbol copy differ in time stamp"; status=1
        fi
        while read -r dll; do
            lower=$(echo "$dll" | tr 'A-Z' 'a-z')
            case "$lower" in
                kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|advapi32.dll|shell32.dll|comctl32.dll) ;;
                *)
                    if ! (cd "$dir" && ls | tr 'A-Z' 'a-z' | grep -qx "$lower"); then
                        echo "check-dist: $arch/$f needs $dll, which is not shipped"; status=1
                    fi ;;
            esac
        done < <($objdump -p "$dir/$f" | sed -n 's/^\s*DLL Name: //p')
    done
done
# The resources of the shipped executables, read back by icoutils.
/usr/bin/python3 "$(dirname "$0")/../resources/check_resources.py" "$(project_version)" \
    "$dist"/x86/*.exe "$dist"/x64/*.exe ||
    status=1
exit $status
