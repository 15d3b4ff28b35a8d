"""Reads what a stack walk and its names need from a PE file: the header
fields that tell whether it is the build a dump was taken from (machine,
time stamp, image size), its sections, its exported and COFF symbols, the
x64 function table (.pdata) and the DWARF call frame sections.

The file is read a piece at a time by offset; every header field that a
later read depends on is checked first, so that a damaged or foreign file
raises PeError with the reason instead of failing later (a truncated copy,
a zero section alignment, text under a module's name, a folder).

A symbol copy is the unstripped file, whose image also spans its debug
sections; the shipped, stripped file ends with the last section that is not
debug information. `loaded_sizes` gives both, so that a dump of either
matches.
"""
import os
import stat
import struct
from dataclasses import dataclass

MACHINES = {0x014C: "x86", 0x8664: "x64"}
COFF_HEADER = struct.Struct("<HHIIIHH")
SECTION = struct.Struct("<8sIIIIIIHHI")
SYMBOL = struct.Struct("<8sIhHBB")
EXPORT_DIRECTORY = struct.Struct("<IIHHIIIIIII")
RUNTIME_FUNCTION = struct.Struct("<III")
PE32, PE32_PLUS = 0x10B, 0x20B
EXPORT_DIRECTORY_INDEX, EXCEPTION_DIRECTORY_INDEX = 0, 3
FUNCTION_TYPE = 0x20  # COFF symbol type: a function
EXTERNAL, STATIC = 2, 3  # COFF storage classes of functions
EXECUTABLE = 0x20000000  # section characteristics: IMAGE_SCN_MEM_EXECUTE

MAX_SECTIONS = 96  # the loader's own limit
MAX_TABLE = 64 << 20  # no symbol or unwind table of a real module is larger


class PeError(Exception):
    pass


@dataclass
class Section:
    name: str
    rva: int
    virtual_size: int
    file_offset: int
    file_size: int
    characteristics: int


class PeImage:
    def __init__(self, path):
        self.path = path
        try:
            fd = os.open(path, os.O_RDONLY | getattr(os, "O_NONBLOCK", 0))
        except OSError as error:
            raise PeError(error.strerror) from None
        info = os.fstat(fd)
        if not stat.S_ISREG(info.st_mode):
            os.close(fd)
            raise PeError("a folder" if stat.S_ISDIR(info.st_mode) else "not a regular file")
        self._fd = fd
        self.file_size = info.st_size
        try:
            self._read_headers()
        except BaseException:
            self.close()
            raise
        self._symbols = None

    def close(self):
        if self._fd is not None:
            os.close(self._fd)
            self._fd = None

    def _read(self, offset, size, what):
        if offset < 0 or size < 0 or offset + size > self.file_size:
            raise PeError(f"truncated: {what} lies beyond the end of the file")
        data = os.pread(self._fd, size, offset)
        if len(data) != size:
            raise PeError(f"{what} could not be read")
        return data

    def _read_headers(self):
        if self.file_size < 0x40 or self._read(0, 2, "the MZ header") != b"MZ":
            raise PeError("not a PE file (no MZ header)")
        (pe_offset,) = struct.unpack("<I", self._read(0x3C, 4, "the MZ header"))
        if self._read(pe_offset, 4, "the PE header") != b"PE\0\0":
            raise PeError("not a PE file (no PE signature)")
        coff = COFF_HEADER.unpack(self._read(pe_offset + 4, COFF_HEADER.size, "the COFF header"))
        machine, section_count, self.time_stamp, symbol_table, symbol_count, optional_size, _ = coff
        self.architecture = MACHINES.get(machine, f"machine {machine:#x}")
        optional_offset = pe_offset + 4 + COFF_HEADER.size
        optional = self._read(optional_offset, optional_size, "the optional header")
        if len(optional) < 2:
            raise PeError("truncated: no optional header")
        (magic,) = struct.unpack_from("<H", optional)
        if magic not in (PE32, PE32_PLUS) or len(optional) < (112 if magic == PE32_PLUS else 96):
            raise PeError("not a PE image (no optional header of PE32 or PE32+)")
        if magic == PE32_PLUS:
            (self.image_base,) = struct.unpack_from("<Q", optional, 24)
            directories = 112
        else:
            (self.image_base,) = struct.unpack_from("<I", optional, 28)
            directories = 96
        section_alignment, _ = struct.unpack_from("<II", optional, 32)
        (self.size_of_image,) = struct.unpack_from("<I", optional, 56)
        (directory_count,) = struct.unpack_from("<I", optional, directories - 4)
        if section_alignment == 0:
            raise PeError("section alignment 0")
        if section_count > MAX_SECTIONS:
            raise PeError(f"{section_count} sections, more than a loader accepts")
        self._directories = []
        for i in range(min(directory_count, (len(optional) - directories) // 8)):
            self._directories.append(struct.unpack_from("<II", optional, directories + 8 * i))
        self._symbol_table = (symbol_table, symbol_count)
        table = self._read(optional_offset + optional_size, section_count * SECTION.size,
                           "the section table")
        self.sections = []
        for i in range(section_count):
            raw_name, virtual_size, rva, file_size, file_offset, *_, characteristics = \
                SECTION.unpack_from(table, i * SECTION.size)
            self.sections.append(Section(self._section_name(raw_name), rva, virtual_size,
                                         file_offset, file_size, characteristics))
        image_end = max((s.rva + s.virtual_size for s in self.sections
                         if not s.name.startswith(".debug")), default=0)
        without_debug = -(-image_end // section_alignment) * section_alignment
        self.loaded_sizes = (self.size_of_image, without_debug)

    def _section_name(self, raw_name):
        """Section names longer than eight characters ("/4") live in the COFF
        string table, as GNU ld writes the debug sections."""
        name = raw_name.rstrip(b"\0").decode("ascii", errors="replace")
        if name.startswith("/") and name[1:].isdigit():
            start = self._string_table_offset() + int(name[1:])
            return self._c_string(start, "a section name")
        return name

    def _string_table_offset(self):
        symbol_table, symbol_count = self._symbol_table
        return symbol_table + symbol_count * SYMBOL.size

    def _c_string(self, offset, what, limit=4096):
        data = os.pread(self._fd, limit, offset) if 0 <= offset < self.file_size else b""
        end = data.find(b"\0")
        if end < 0:
            raise PeError(f"truncated: {what} has no end")
        return data[:end].decode("ascii", errors="replace")

    # Reading the image by relative virtual address.

    def section_at(self, rva):
        return next((s for s in self.sections
                     if s.rva <= rva < s.rva + max(s.virtual_size, s.file_size)), None)

    def read_rva(self, rva, size, what="data"):
        """size bytes of the loaded image at rva (zeros past a section's file data)."""
        if size > MAX_TABLE:
            raise PeError(f"{what} is larger than any real table")
        section = self.section_at(rva)
        if section is None:
            raise PeError(f"{what} lies in no section")
        start = rva - section.rva
        in_file = max(0, min(size, section.file_size - start))
        data = self._read(section.file_offset + start, in_file, what) if in_file else b""
        return data + b"\0" * (size - in_file)

    def section_data(self, name):
        """(rva, bytes) of the named section, or None when the file has none."""
        section = next((s for s in self.sections if s.name == name), None)
        if section is None:
            return None
        size = min(section.virtual_size or section.file_size, section.file_size)
        if size > MAX_TABLE:
            raise PeError(f"the {name} section is larger than any real table")
        return section.rva, self._read(section.file_offset, size, f"the {name} section")

    def _directory(self, index):
        if index < len(self._directories):
            rva, size = self._directories[index]
            if rva and size:
                return rva, size
        return None

    # What names code: exported and COFF symbols.

    def function_symbols(self):
        """Sorted (rva, name, from the COFF table) of the functions the file
        names: its exports and the functions of its COFF symbol table (names
        as written in the file, decorated or mangled)."""
        if self._symbols is None:
            exports = [(rva, name, False) for rva, name in self._exports()]
            coff = [(rva, name, True) for rva, name in self._coff_functions()]
            self._symbols = sorted(set(exports + coff))
        return self._symbols

    def _exports(self):
        directory = self._directory(EXPORT_DIRECTORY_INDEX)
        if directory is None:
            return []
        rva, size = directory
        fields = EXPORT_DIRECTORY.unpack(self.read_rva(rva, EXPORT_DIRECTORY.size, "the export directory"))
        function_count, name_count, functions, names, ordinals = fields[6:11]
        if function_count > MAX_TABLE // 4 or name_count > MAX_TABLE // 4:
            raise PeError("the export directory is damaged")
        function_rvas = struct.unpack(f"<{function_count}I",
                                      self.read_rva(functions, 4 * function_count, "the exports"))
        name_rvas = struct.unpack(f"<{name_count}I", self.read_rva(names, 4 * name_count, "the exports"))
        indexes = struct.unpack(f"<{name_count}H", self.read_rva(ordinals, 2 * name_count, "the exports"))
        exports = []
        for name_rva, index in zip(name_rvas, indexes):
            if index >= function_count:
                continue
            target = function_rvas[index]
            if rva <= target < rva + size:
                continue  # a forwarder: the code lives in another module
            name = self.read_rva(name_rva, 256, "an export name").split(b"\0", 1)[0]
            exports.append((target, name.decode("ascii", errors="replace")))
        return exports

    def _coff_functions(self):
        symbol_table, symbol_count = self._symbol_table
        if not symbol_table or not symbol_count:
            return []
        if symbol_count * SYMBOL.size > MAX_TABLE:
            raise PeError("the COFF symbol table is larger than any real one")
        table = self._read(symbol_table, symbol_count * SYMBOL.size, "the COFF symbol table")
        strings = self._string_table_offset()
        functions = []
        i = 0
        while i < symbol_count:
            raw_name, value, section_number, symbol_type, storage_class, aux_count = \
                SYMBOL.unpack_from(table, i * SYMBOL.size)
            i += 1 + aux_count
            if symbol_type != FUNCTION_TYPE or storage_class not in (EXTERNAL, STATIC):
                continue
            if not 0 < section_number <= len(self.sections):
                continue
            section = self.sections[section_number - 1]
            if not section.characteristics & EXECUTABLE:
                continue
            if raw_name[:4] == b"\0\0\0\0":
                (offset,) = struct.unpack_from("<I", raw_name, 4)
                name = self._c_string(strings + offset, "a symbol name")
            else:
                name = raw_name.rstrip(b"\0").decode("ascii", errors="replace")
            functions.append((section.rva + value, name))
        return functions

    # x64 unwind data.

    def runtime_functions(self):
        """Sorted (begin, end, unwind info) rvas of the x64 function table."""
        directory = self._directory(EXCEPTION_DIRECTORY_INDEX)
        if directory is None:
            return []
        rva, size = directory
        count = size // RUNTIME_FUNCTION.size
        data = self.read_rva(rva, count * RUNTIME_FUNCTION.size, "the function table (.pdata)")
        entries = [RUNTIME_FUNCTION.unpack_from(data, i * RUNTIME_FUNCTION.size) for i in range(count)]
        return sorted(e for e in entries if e[0] < e[1])
