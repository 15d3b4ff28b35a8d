#!/usr/bin/env python3
"""Reads the resources back from built executables with icoutils' wrestool
(which did not write them) and checks every field that matters: the dialog
template of the launch screen, the icon groups and their images, the version
record (against the product's version, given) and the application manifest.

    check_resources.py VERSION EXECUTABLE...      (VERSION: e.g. 1.0.0.1)

Prints one line per failed check and exits non-zero when any failed.
"""
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24

WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU = 0x80000000, 0x10000000, 0x00C00000, 0x00080000
WS_CHILD, WS_TABSTOP, WS_CLIPCHILDREN = 0x40000000, 0x00010000, 0x02000000
DS_MODALFRAME, DS_SETFONT, BS_OWNERDRAW = 0x80, 0x40, 0x0B
WS_EX_APPWINDOW, WS_EX_CLIENTEDGE, WS_EX_STATICEDGE = 0x40000, 0x200, 0x20000

MODULE_ICON_IMAGES = [(256, 32), (128, 32), (64, 32), (48, 32), (32, 24), (16, 32)]

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def listing(exe):
    """(type, name, language) of every resource."""
    out = subprocess.run(["wrestool", "-l", exe], check=True, capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        m = re.search(r"--type=(\d+) --name=(\d+) --language=(\d+)", line)
        if m:
            found.append(tuple(int(v) for v in m.groups()))
    return found


def raw(exe, rtype, name):
    return subprocess.run(["wrestool", "-x", "--raw", "-t", str(rtype), "-n", str(name), exe],
                          check=True, capture_output=True).stdout


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self, n):
        self.pos = (self.pos + n - 1) // n * n

    def wstr(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
        text = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return text

    def sz_or_ord(self):
        first = struct.unpack_from("<H", self.data, self.pos)[0]
        if first == 0xFFFF:
            self.pos += 2
            return self.take("H")
        return self.wstr()


def check_dialog(exe, data):
    r = Reader(data)
    ver, sig, help_id, ex_style, style, count, x, y, cx, cy = r.take("HHIIIHhhhh")
    check(ver == 1 and sig == 0xFFFF, f"{exe}: dialog 15003 is not an extended template")
    check(help_id == 0, f"{exe}: dialog help id {help_id}")
    check(ex_style == 0x00040200 == WS_EX_APPWINDOW | WS_EX_CLIENTEDGE,
          f"{exe}: dialog extended style {ex_style:#010x}")
    expected_style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    check(style == 0x90C800C0 == expected_style, f"{exe}: dialog style {style:#010x}")
    check(not style & WS_CLIPCHILDREN, f"{exe}: dialog clips its children")
    check((x, y, cx, cy) == (0, 0, 227, 98), f"{exe}: dialog rectangle {(x, y, cx, cy)}")
    check(count == 2, f"{exe}: dialog has {count} controls")
    check(r.sz_or_ord() == "", f"{exe}: dialog has a menu")
    check(r.sz_or_ord() == "", f"{exe}: dialog has its own window class")
    check(r.wstr() == "", f"{exe}: dialog caption is not empty")
    points, weight, italic, charset = r.take("HHBB")
    face = r.wstr()
    check((points, weight, italic, charset, face) == (8, 0, 0, 1, "MS Sans Serif"),
          f"{exe}: dialog font {(points, weight, italic, charset, face)}")
    expected_controls = [
        (20000, "QUAV - LX", (21, 43, 89, 22)),
        (20001, "QUAVPLUS", (117, 43, 92, 23)),
    ]
    for number, (cid, text, rect) in enumerate(expected_controls):
        r.align(4)
        c_help, c_ex, c_style, cx_, cy_, cw, ch, c_id = r.take("IIIhhhhI")
        c_class = r.sz_or_ord()
        c_text = r.sz_or_ord()
        extra = r.take("H")
        r.pos += extra
        where = f"{exe}: control {number + 1}"
        check(c_id == cid, f"{where} has id {c_id}")
        check(c_class in ("Button", 0x0080), f"{where} has class {c_class!r}")  # 0x80: Button
        check(c_text == text, f"{where} has text {c_text!r}")
        check((cx_, cy_, cw, ch) == rect, f"{where} has rectangle {(cx_, cy_, cw, ch)}")
        check(c_style == 0x5001000B == WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
              f"{where} has style {c_style:#010x}")
        check(c_ex == WS_EX_STATICEDGE, f"{where} has extended style {c_ex:#010x}")
        check(c_help == 0, f"{where} has help id {c_help}")
        check(extra == 0, f"{where} has {extra} bytes of creation data")


def image_size_and_depth(data):
    if data[:8] == b"\x89PNG\r\n\x1a\n":
        width, height, depth, colour_type = struct.unpack_from(">IIBB", data, 16)
        bits = {6: 4 * depth, 2: 3 * depth}.get(colour_type, -1)  # RGBA, RGB
        return width, height, bits
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", data, 0)
    return width, height // 2, bits  # DIB icons count the mask in the height


def check_icon_group(exe, group, expected):
    data = raw(exe, RT_GROUP_ICON, group)
    reserved, rtype, count = struct.unpack_from("<HHH", data, 0)
    check(rtype == 1, f"{exe}: group {group} is not an icon group")
    found = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i)
        w, h = w or 256, h or 256
        image = raw(exe, RT_ICON, icon_id)
        check(len(image) == size, f"{exe}: icon {icon_id} of group {group} has {len(image)} bytes, "
                                  f"the group says {size}")
        actual = image_size_and_depth(image)
        check(actual == (w, h, bits), f"{exe}: icon {icon_id} of group {group} is {actual}, "
                                      f"the group says {(w, h, bits)}")
        found.append((w, bits))
    if expected is not None:
        check(sorted(found) == sorted(expected), f"{exe}: group {group} holds {found}")
    else:
        check(count > 0, f"{exe}: group {group} is empty")


def check_version(exe, data, version):
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if not check(at >= 0, f"{exe}: version record has no fixed file information"):
        return
    a, b, c, d = (int(field) for field in version.split("."))
    expected = ((a << 16) | b, (c << 16) | d)
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", data, at + 8)
    check((file_ms, file_ls) == expected, f"{exe}: file version {file_ms:#x}.{file_ls:#x}")
    check((product_ms, product_ls) == expected,
          f"{exe}: product version {product_ms:#x}.{product_ls:#x}")
    for key in ("FileVersion", "ProductVersion"):
        encoded = key.encode("utf-16-le") + b"\0\0"
        pos = data.find(encoded)
        if check(pos >= 0, f"{exe}: version record has no {key}"):
            value = Reader(data)
            value.pos = pos + len(encoded)
            value.align(4)
            check(value.wstr() == version, f"{exe}: {key} is not {version}")


def check_manifest(exe, data):
    root = ET.fromstring(data)
    levels = [e for e in root.iter() if e.tag.endswith("requestedExecutionLevel")]
    check(len(levels) == 1 and levels[0].get("level") == "asInvoker"
          and levels[0].get("uiAccess") == "false", f"{exe}: manifest execution level")
    aware = [e.text.strip().lower() for e in root.iter() if e.tag.endswith("dpiAware")]
    check(aware == ["true"], f"{exe}: manifest DPI awareness {aware}")


def check_executable(exe, version):
    resources = listing(exe)
    index = {(t, n): lang for t, n, lang in resources}
    for key in [(RT_DIALOG, 15003), (RT_GROUP_ICON, 15000), (RT_GROUP_ICON, 15001),
                (RT_GROUP_ICON, 128), (RT_VERSION, 1), (RT_MANIFEST, 1)]:
        if check(key in index, f"{exe}: no resource of type {key[0]} named {key[1]}"):
            check(index[key] == 1033, f"{exe}: resource {key} has language {index[key]}")
    if (RT_DIALOG, 15003) in index:
        check_dialog(exe, raw(exe, RT_DIALOG, 15003))
    for group, expected in ((15000, MODULE_ICON_IMAGES), (15001, MODULE_ICON_IMAGES), (128, None)):
        if (RT_GROUP_ICON, group) in index:
            check_icon_group(exe, group, expected)
    if (RT_VERSION, 1) in index:
        check_version(exe, raw(exe, RT_VERSION, 1), version)
    if (RT_MANIFEST, 1) in index:
        check_manifest(exe, raw(exe, RT_MANIFEST, 1))


def main():
    if len(sys.argv) < 3 or not re.fullmatch(r"\d+\.\d+\.\d+\.\d+", sys.argv[1]):
        sys.exit(__doc__)
    version, executables = sys.argv[1], sys.argv[2:]
    for exe in executables:
        check_executable(exe, version)
    for failure in failures:
        print(failure)
    if not failures:
        print(f"resources of {len(executables)} executables check out")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
