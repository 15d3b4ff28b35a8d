#!/usr/bin/env python3
"""Prints a Windows shortcut's target path and working folder, one a line.

    read_shortcut.py FILE.lnk
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_WORKING_DIR, IS_UNICODE = 0x1, 0x2, 0x10, 0x80
STRINGS_BEFORE_WORKING_DIR = (0x4, 0x8)  # name, relative path


def read(path):
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 20)[0]
    at = 0x4C  # after the header
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, _, _, base_at, _, suffix_at = struct.unpack_from("<7I", data, at)
        for offset in (base_at, suffix_at):
            target += data[at + offset:data.index(b"\0", at + offset)].decode("latin-1")
        at += size
    width = 2 if flags & IS_UNICODE else 1
    working_dir = ""
    for flag in STRINGS_BEFORE_WORKING_DIR + (HAS_WORKING_DIR,):
        if flags & flag:
            count = struct.unpack_from("<H", data, at)[0]
            text = data[at + 2:at + 2 + count * width].decode("utf-16-le" if width == 2 else "latin-1")
            at += 2 + count * width
            if flag == HAS_WORKING_DIR:
                working_dir = text
    return target, working_dir


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    print("\n".join(read(sys.argv[1])))
