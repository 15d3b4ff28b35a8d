"""Reads the header fields of a PE file that tell whether it is the build a
dump was taken from: machine, time stamp and image size.

A symbol copy is the unstripped file, whose image also spans its debug
sections; the shipped, stripped file ends with the last section that is not
debug information. `loaded_sizes` gives both, so that a dump of either
matches.
"""
import struct
from dataclasses import dataclass

MACHINES = {0x014C: "x86", 0x8664: "x64"}
COFF_HEADER = struct.Struct("<HHIIIHH")
SECTION = struct.Struct("<8sIIIIIIHHI")
SYMBOL_SIZE = 18


class PeError(Exception):
    pass


@dataclass
class PeImage:
    architecture: str
    time_stamp: int
    loaded_sizes: tuple  # (SizeOfImage as linked, without the debug sections)


def read(path):
    with open(path, "rb") as f:
        data = f.read()
    try:
        return _parse(data)
    except struct.error:
        raise PeError(f"{path} is not a PE file (truncated header)") from None


def _parse(data):
    if data[:2] != b"MZ":
        raise PeError("not a PE file")
    (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
    if data[pe_offset:pe_offset + 4] != b"PE\0\0":
        raise PeError("not a PE file")
    machine, section_count, time_stamp, symbol_table, symbol_count, optional_size, _ = \
        COFF_HEADER.unpack_from(data, pe_offset + 4)
    optional = pe_offset + 4 + COFF_HEADER.size
    (section_alignment,) = struct.unpack_from("<I", data, optional + 32)
    (size_of_image,) = struct.unpack_from("<I", data, optional + 56)
    string_table = symbol_table + symbol_count * SYMBOL_SIZE

    image_end = 0
    for i in range(section_count):
        raw_name, virtual_size, virtual_address, *_ = SECTION.unpack_from(
            data, optional + optional_size + i * SECTION.size)
        if not _section_name(data, raw_name, string_table).startswith(".debug"):
            image_end = max(image_end, virtual_address + virtual_size)
    without_debug = -(-image_end // section_alignment) * section_alignment
    return PeImage(MACHINES.get(machine, hex(machine)), time_stamp, (size_of_image, without_debug))


def _section_name(data, raw_name, string_table):
    """Section names longer than eight characters ("/4") live in the COFF
    string table, as GNU ld writes the debug sections."""
    name = raw_name.rstrip(b"\0").decode("ascii", errors="replace")
    if name.startswith("/") and name[1:].isdigit():
        start = string_table + int(name[1:])
        end = data.find(b"\0", start)
        return data[start:end].decode("ascii", errors="replace")
    return name
