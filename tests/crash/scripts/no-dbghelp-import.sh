#!/usr/bin/env bash
# Checks that no program or library imports the debug-help library: the
# launcher loads it by name only while it handles a crash.
#
#   no-dbghelp-import.sh OBJDUMP FOLDER [MORE FOLDERS...]
#
# The first folder must hold the three editions; later ones (the other
# architecture's build, dist/) are checked when they exist. The objdump of
# either MinGW architecture reads both kinds of files.
set -euo pipefail
objdump=$1
shift
first=$1
status=0
for edition in QUAVPlusKDS QUAVPlusLXKDS QUAVPlusRDKDS; do
    [ -f "$first/$edition.exe" ] || { echo "missing $first/$edition.exe"; status=1; }
done
checked=0
seen=" "
for folder in "$@"; do
    [ -d "$folder" ] || continue
    folder=$(realpath "$folder")
    case "$seen" in *" $folder "*) continue ;; esac
    seen="$seen$folder "
    for file in "$folder"/*.exe "$folder"/*.dll; do
        [ -f "$file" ] || continue
        case "$(basename "$file")" in FakeDbgHelp.dll) continue ;; esac
        imports=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p') ||
            { echo "cannot read $file"; status=1; continue; }
        if echo "$imports" | grep -qix 'dbghelp.dll'; then
            echo "$file imports DBGHELP.DLL"
            status=1
        fi
        checked=$((checked + 1))
    done
done
echo "checked $checked files"
exit $status
