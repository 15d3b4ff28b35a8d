#!/usr/bin/env python3
"""Reads a Windows shortcut (.lnk) file and prints, one per line, its target's
path, its working folder and its icon location (empty when it has none).

    read_shortcut.py FILE.lnk
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80
VOLUME_ID_AND_LOCAL_BASE_PATH = 0x1


def c_string(data, at):
    return data[at:data.index(b"\0", at)].decode("latin-1")


def read(path):
    data = open(path, "rb").read()
    if struct.unpack_from("<I", data, 0)[0] != 0x4C:
        sys.exit(f"{path}: not a shortcut")
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 0x4C
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base_at, _, suffix_at = struct.unpack_from("<7I", data, at)
        if info_flags & VOLUME_ID_AND_LOCAL_BASE_PATH:
            target = c_string(data, at + base_at) + c_string(data, at + suffix_at)
        at += size
    strings = {}
    for flag in (HAS_NAME, HAS_RELATIVE_PATH, HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION):
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            at += 2
            width = 2 if flags & IS_UNICODE else 1
            raw = data[at:at + count * width]
            strings[flag] = raw.decode("utf-16-le" if width == 2 else "latin-1")
            at += count * width
    return target, strings.get(HAS_WORKING_DIR, ""), strings.get(HAS_ICON_LOCATION, "")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    print("\n".join(read(sys.argv[1])))
