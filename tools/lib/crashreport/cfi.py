"""DWARF call frame information (.eh_frame and .debug_frame) of a PE file:
which function ranges it describes, and for a pc in one of them the rules
that give the caller's registers.

MinGW's x86 code describes its frames this way: the run-time's code and
code that may throw in .eh_frame, every function compiled with debug
information in .debug_frame (the symbol copy keeps it; stripping removes
it). Addresses are kept as offsets in the image (rvas).
"""
import bisect
from dataclasses import dataclass, field

from .registers import StackStop

MAX_INSTRUCTION_STEPS = 100000


class CfiError(Exception):
    pass


@dataclass
class Cie:
    code_align: int
    data_align: int
    return_column: int
    initial: bytes
    pointer_encoding: int = 0
    signal_frame: bool = False
    augmented: bool = False  # "z": each FDE carries augmentation data


@dataclass
class Fde:
    begin: int  # rva
    end: int
    cie: Cie
    instructions: bytes


@dataclass
class Row:
    """The rules at one pc. cfa: ("reg", register, offset) or ("expr", bytes);
    each register: ("offset", n), ("val_offset", n), ("register", r),
    ("expr", bytes), ("val_expr", bytes), ("undefined",) or ("same",)."""
    cfa: tuple = None
    registers: dict = field(default_factory=dict)


class CallFrameTable:
    def __init__(self, image, address_size):
        self._address_size = address_size
        self._image_base = image.image_base
        fdes = []
        for name, is_eh in ((".eh_frame", True), (".debug_frame", False)):
            section = image.section_data(name)
            if section is not None:
                fdes.extend(_Parser(section, is_eh, address_size, image.image_base).fdes())
        # A function the linker dropped keeps its entry, at address 0.
        self._fdes = sorted((f for f in fdes if 0 <= f.begin < f.end), key=lambda f: f.begin)
        self._begins = [f.begin for f in self._fdes]

    def fde_at(self, rva):
        i = bisect.bisect_right(self._begins, rva) - 1
        # Ranges may nest or repeat across the two sections: the latest
        # beginning that still covers rva describes it.
        while i >= 0:
            fde = self._fdes[i]
            if fde.begin <= rva < fde.end:
                return fde
            if rva - fde.begin > 1 << 24:
                break
            i -= 1
        return None

    def function_range(self, rva):
        fde = self.fde_at(rva)
        return (fde.begin, fde.end) if fde else None

    def row_at(self, fde, rva):
        row = Row()
        _execute(fde.cie, fde.cie.initial, row, None, fde.begin, rva, None, self._address_size)
        initial = Row(row.cfa, dict(row.registers))
        _execute(fde.cie, fde.instructions, row, initial, fde.begin, rva, self._image_base,
                 self._address_size)
        return row


class _Reader:
    def __init__(self, data, position=0):
        self.data = data
        self.position = position

    def take(self, size):
        if self.position < 0 or self.position + size > len(self.data):
            raise CfiError("call frame information is cut short")
        chunk = self.data[self.position:self.position + size]
        self.position += size
        return chunk

    def u8(self):
        return self.take(1)[0]

    def unsigned(self, size):
        return int.from_bytes(self.take(size), "little")

    def signed(self, size):
        return int.from_bytes(self.take(size), "little", signed=True)

    def uleb(self):
        result = shift = 0
        while True:
            byte = self.u8()
            result |= (byte & 0x7F) << shift
            shift += 7
            if not byte & 0x80:
                return result

    def sleb(self):
        result = shift = 0
        while True:
            byte = self.u8()
            result |= (byte & 0x7F) << shift
            shift += 7
            if not byte & 0x80:
                if byte & 0x40:
                    result -= 1 << shift
                return result

    def c_string(self):
        end = self.data.find(b"\0", self.position)
        if end < 0:
            raise CfiError("call frame information is cut short")
        text = self.data[self.position:end]
        self.position = end + 1
        return text.decode("ascii", errors="replace")


def _encoded(reader, encoding, address_size, section_address):
    """A pointer written in one of the DW_EH_PE encodings, as an address."""
    if encoding == 0xFF:
        return None
    field_address = section_address + reader.position
    form = encoding & 0x0F
    if form == 0x00:
        value = reader.unsigned(address_size)
    elif form == 0x01:
        value = reader.uleb()
    elif form in (0x02, 0x03, 0x04):
        value = reader.unsigned({0x02: 2, 0x03: 4, 0x04: 8}[form])
    elif form == 0x09:
        value = reader.sleb()
    elif form in (0x0A, 0x0B, 0x0C):
        value = reader.signed({0x0A: 2, 0x0B: 4, 0x0C: 8}[form])
    else:
        raise CfiError(f"unknown pointer encoding {encoding:#x}")
    application = encoding & 0x70
    if application == 0x10:
        value += field_address
    elif application not in (0x00,):
        raise CfiError(f"unsupported pointer encoding {encoding:#x}")
    return value & ((1 << (8 * address_size)) - 1)


class _Parser:
    def __init__(self, section, is_eh, address_size, image_base):
        self._rva, self._data = section
        self._is_eh = is_eh
        self._address_size = address_size
        self._image_base = image_base
        self._cies = {}

    def fdes(self):
        fdes = []
        position = 0
        while position + 4 <= len(self._data):
            reader = _Reader(self._data, position)
            length = reader.unsigned(4)
            if length == 0:
                if self._is_eh:
                    break  # the terminator
                position += 4
                continue
            offset_size = 4
            if length == 0xFFFFFFFF:
                length, offset_size = reader.unsigned(8), 8
            start = reader.position
            end = start + length
            if end > len(self._data):
                raise CfiError("call frame information is cut short")
            pointer = reader.unsigned(offset_size)
            if self._is_cie(pointer, offset_size):
                position = end
                continue
            cie_at = (start - pointer) if self._is_eh else pointer
            fdes.append(self._fde(_Reader(self._data[:end], reader.position), cie_at))
            position = end
        return fdes

    def _is_cie(self, pointer, offset_size):
        if self._is_eh:
            return pointer == 0
        return pointer == (0xFFFFFFFF if offset_size == 4 else 0xFFFFFFFFFFFFFFFF)

    def _cie(self, position):
        if position in self._cies:
            return self._cies[position]
        reader = _Reader(self._data, position)
        length = reader.unsigned(4)
        offset_size = 4
        if length == 0xFFFFFFFF:
            length, offset_size = reader.unsigned(8), 8
        end = reader.position + length
        reader.take(offset_size)
        reader.data = self._data[:end]
        version = reader.u8()
        augmentation = reader.c_string()
        if version >= 4:
            reader.take(2)  # address and segment selector sizes
        cie = Cie(0, 0, 0, b"")
        cie.code_align = reader.uleb()
        cie.data_align = reader.sleb()
        cie.return_column = reader.u8() if version == 1 else reader.uleb()
        if augmentation.startswith("z"):
            data_end = reader.uleb() + reader.position
            for letter in augmentation[1:]:
                if letter == "R":
                    cie.pointer_encoding = reader.u8()
                elif letter == "P":
                    _encoded(reader, reader.u8(), self._address_size, self._section_address())
                elif letter == "L":
                    reader.u8()
                elif letter == "S":
                    cie.signal_frame = True
                else:
                    break
            reader.position = data_end
        elif augmentation not in ("",):
            raise CfiError(f"unknown augmentation {augmentation!r}")
        cie.augmented = augmentation.startswith("z")
        cie.initial = reader.data[reader.position:end]
        self._cies[position] = cie
        return cie

    def _section_address(self):
        return self._image_base + self._rva

    def _fde(self, reader, cie_at):
        cie = self._cie(cie_at)
        if self._is_eh:
            begin = _encoded(reader, cie.pointer_encoding, self._address_size, self._section_address())
            size = _encoded(reader, cie.pointer_encoding & 0x0F, self._address_size, 0)
            if cie.augmented:
                reader.position += reader.uleb()
        else:
            begin = reader.unsigned(self._address_size)
            size = reader.unsigned(self._address_size)
        begin -= self._image_base
        return Fde(begin, begin + size, cie, reader.data[reader.position:])


def _execute(cie, instructions, row, initial, location, target, image_base, address_size):
    """Runs the instructions from location until the row for target is set."""
    reader = _Reader(instructions)
    stack = []
    steps = 0
    while reader.position < len(instructions):
        steps += 1
        if steps > MAX_INSTRUCTION_STEPS:
            raise CfiError("call frame instructions without end")
        opcode = reader.u8()
        high, low = opcode & 0xC0, opcode & 0x3F
        if high == 0x40:
            location += low * cie.code_align
        elif high == 0x80:
            row.registers[low] = ("offset", reader.uleb() * cie.data_align)
        elif high == 0xC0:
            _restore(row, initial, low)
        elif opcode == 0x00:
            pass
        elif opcode == 0x01:
            location = _encoded(reader, cie.pointer_encoding, address_size, 0) - (image_base or 0)
        elif opcode in (0x02, 0x03, 0x04):
            location += reader.unsigned({0x02: 1, 0x03: 2, 0x04: 4}[opcode]) * cie.code_align
        elif opcode == 0x05:
            register = reader.uleb()
            row.registers[register] = ("offset", reader.uleb() * cie.data_align)
        elif opcode == 0x06:
            _restore(row, initial, reader.uleb())
        elif opcode == 0x07:
            row.registers[reader.uleb()] = ("undefined",)
        elif opcode == 0x08:
            row.registers[reader.uleb()] = ("same",)
        elif opcode == 0x09:
            register = reader.uleb()
            row.registers[register] = ("register", reader.uleb())
        elif opcode == 0x0A:
            stack.append((row.cfa, dict(row.registers)))
        elif opcode == 0x0B:
            if not stack:
                raise CfiError("call frame state restored that was never kept")
            row.cfa, row.registers = stack.pop()
        elif opcode == 0x0C:
            register = reader.uleb()
            row.cfa = ("reg", register, reader.uleb())
        elif opcode == 0x0D:
            row.cfa = ("reg", reader.uleb(), row.cfa[2] if row.cfa and row.cfa[0] == "reg" else 0)
        elif opcode == 0x0E:
            row.cfa = _with_offset(row.cfa, reader.uleb())
        elif opcode == 0x0F:
            row.cfa = ("expr", reader.take(reader.uleb()))
        elif opcode in (0x10, 0x16):
            register = reader.uleb()
            row.registers[register] = ("expr" if opcode == 0x10 else "val_expr", reader.take(reader.uleb()))
        elif opcode == 0x11:
            register = reader.uleb()
            row.registers[register] = ("offset", reader.sleb() * cie.data_align)
        elif opcode == 0x12:
            register = reader.uleb()
            row.cfa = ("reg", register, reader.sleb() * cie.data_align)
        elif opcode == 0x13:
            row.cfa = _with_offset(row.cfa, reader.sleb() * cie.data_align)
        elif opcode in (0x14, 0x15):
            register = reader.uleb()
            offset = reader.uleb() if opcode == 0x14 else reader.sleb()
            row.registers[register] = ("val_offset", offset * cie.data_align)
        elif opcode == 0x2E:
            reader.uleb()  # GNU_args_size: nothing to do for a walk
        elif opcode == 0x2F:
            register = reader.uleb()
            row.registers[register] = ("offset", -reader.uleb() * cie.data_align)
        else:
            raise CfiError(f"unknown call frame instruction {opcode:#x}")
        if location > target:
            return


def _restore(row, initial, register):
    if initial is not None and register in initial.registers:
        row.registers[register] = initial.registers[register]
    else:
        row.registers.pop(register, None)


def _with_offset(cfa, offset):
    if not cfa or cfa[0] != "reg":
        raise CfiError("a frame offset set before its register")
    return ("reg", cfa[1], offset)


def evaluate(expression, registers, memory, address_size, initial=None):
    """The value of a DWARF location expression, for the operations compilers
    write into call frame information."""
    reader = _Reader(expression)
    stack = [] if initial is None else [initial]
    mask = (1 << (8 * address_size)) - 1
    while reader.position < len(expression):
        op = reader.u8()
        if 0x70 <= op <= 0x8F:
            if op - 0x70 >= len(registers.values):
                raise StackStop(f"its unwind data reads register {op - 0x70}, which x86 lacks")
            stack.append((registers.values[op - 0x70] + reader.sleb()) & mask)
        elif 0x30 <= op <= 0x4F:
            stack.append(op - 0x30)
        elif op == 0x06:
            value = memory.read_pointer(_pop(stack), address_size)
            if value is None:
                raise StackStop("the dump holds no stack memory where the unwind data points")
            stack.append(value)
        elif op == 0x23:
            stack.append((_pop(stack) + reader.uleb()) & mask)
        elif op in (0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D):
            size = {0x08: 1, 0x09: 1, 0x0A: 2, 0x0B: 2, 0x0C: 4, 0x0D: 4}[op]
            stack.append(reader.signed(size) if op & 1 else reader.unsigned(size))
        elif op == 0x12:
            stack.append(_pop(stack, keep=True))
        elif op in (0x1A, 0x1C, 0x22):
            right, left = _pop(stack), _pop(stack)
            stack.append({0x1A: left & right, 0x1C: left - right, 0x22: left + right}[op] & mask)
        else:
            raise StackStop(f"its unwind data uses the expression operation {op:#x}, "
                            "which this tool does not evaluate")
    return _pop(stack)


def _pop(stack, keep=False):
    if not stack:
        raise StackStop("its unwind data holds a broken expression")
    return stack[-1] if keep else stack.pop()

