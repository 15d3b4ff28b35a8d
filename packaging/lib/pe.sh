# What the packaging steps read from Windows programs and libraries (source
# it after tools/lib/common.sh).

# pe_machine FILE: x86, x64, another machine as 0xNNNN, or nothing when FILE
# is not a PE image at all.
pe_machine() {
    local file=$1 offset machine
    [ "$(head -c 2 "$file" 2>/dev/null)" = MZ ] || return 0
    offset=$(od -An -tu4 -j60 -N4 "$file" | tr -d ' ')
    [ -n "$offset" ] && [ "$(od -An -tx1 -j"$offset" -N4 "$file" | tr -d ' ')" = 50450000 ] || return 0
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$file" | tr -d ' ')
    case $machine in
        014c) echo x86 ;;
        8664) echo x64 ;;
        *) echo "0x$machine" ;;
    esac
}

# pe_version FILE: "VERSION LANGUAGE" from FILE's version record (its fixed
# file version, four fields, and the record's language), or nothing for a
# file without one: what Windows Installer compares versioned files by.
pe_version() {
    local file=$1 language
    language=$(wrestool -l --type=16 "$file" 2>/dev/null | sed -n 's/.*--language=\([0-9]*\).*/\1/p' | head -n1)
    [ -n "$language" ] || return 0
    wrestool -x --raw --type=16 --language="$language" "$file" 2>/dev/null | /usr/bin/python3 -c '
import struct, sys
record = sys.stdin.buffer.read()
at = record.find(struct.pack("<I", 0xFEEF04BD))  # VS_FIXEDFILEINFO
if at >= 0:
    ms, ls = struct.unpack_from("<II", record, at + 8)
    print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF} " + sys.argv[1])
' "$language"
}
