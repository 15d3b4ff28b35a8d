"""One step of an x64 stack walk, by the module's own unwind data: the
function table (.pdata) and the unwind codes (.xdata) that every x64
Windows compiler, GCC included, must write, since the system unwinds with
them. A step is therefore sound wherever the module's matching file is at
hand; without it no step is tried.

Registers are numbered as in the unwind codes: 0 RAX, 1 RCX, 2 RDX, 3 RBX,
4 RSP, 5 RBP, 6 RSI, 7 RDI, 8-15 R8-R15.
"""
import bisect
import struct

from .registers import Registers, StackStop

RSP = 4
CONTEXT_REGISTERS = 0x78  # CONTEXT.Rax; RCX to R15 follow in code order
CONTEXT_RIP = 0xF8
CONTEXT_SIZE = 0x100

PUSH_NONVOL, ALLOC_LARGE, ALLOC_SMALL, SET_FPREG, SAVE_NONVOL, SAVE_NONVOL_FAR = 0, 1, 2, 3, 4, 5
EPILOG, SAVE_XMM128, SAVE_XMM128_FAR, PUSH_MACHFRAME = 6, 8, 9, 10
CHAIN_INFO = 0x4
MAX_CHAIN = 32  # chained unwind information never nests this deep


def registers_from_context(context):
    if len(context) < CONTEXT_SIZE:
        return None
    values = struct.unpack_from("<16Q", context, CONTEXT_REGISTERS)
    (pc,) = struct.unpack_from("<Q", context, CONTEXT_RIP)
    return Registers(values, pc, RSP)


class FunctionTable:
    """The function table and unwind codes of one module's file."""

    def __init__(self, image):
        self._image = image
        self._entries = image.runtime_functions()
        self._begins = [e[0] for e in self._entries]

    def function_at(self, rva):
        """(begin, end, unwind info rva) of the function holding rva, or None."""
        i = bisect.bisect_right(self._begins, rva) - 1
        if i >= 0 and self._entries[i][0] <= rva < self._entries[i][1]:
            return self._entries[i]
        return None

    def function_range(self, rva):
        entry = self.function_at(rva)
        return (entry[0], entry[1]) if entry else None

    def unwind_info(self, rva):
        header = self._image.read_rva(rva, 4, "unwind information")
        version_flags, prolog_size, code_count, frame = header
        codes = self._image.read_rva(rva + 4, 2 * code_count, "unwind codes")
        chained = None
        if (version_flags >> 3) & CHAIN_INFO:
            chain_at = rva + 4 + 2 * ((code_count + 1) & ~1)
            chained = struct.unpack("<III", self._image.read_rva(chain_at, 12, "chained unwind information"))
        return {
            "version": version_flags & 7,
            "prolog_size": prolog_size,
            "codes": [(codes[i], codes[i + 1] & 0xF, codes[i + 1] >> 4, codes, i)
                      for i in range(0, len(codes), 2)],
            "frame_register": frame & 0xF,
            "frame_offset": (frame >> 4) * 16,
            "chained": chained,
        }

    def code_bytes(self, rva, size):
        return self._image.read_rva(rva, size, "code")


def step(registers, table, rva, memory, first_frame):
    """The caller's registers. rva is the pc's offset in its module; for a
    caller frame (not the first) it is a return address, which never lies
    in a prolog or an epilog."""
    lookup = rva if first_frame else rva - 1  # a call at a function's very end
    entry = table.function_at(lookup)
    caller = registers.copy()
    if entry is None:
        # A leaf function: no frame of its own, the return address on top.
        _return(caller, memory)
        return caller
    begin = entry[0]
    offset = rva - begin
    info = table.unwind_info(entry[2])
    if first_frame and offset >= info["prolog_size"] and _unwind_epilog(caller, table, rva, memory):
        return caller
    in_prolog = first_frame and offset < info["prolog_size"]
    machine_frame = False
    for _ in range(MAX_CHAIN):
        machine_frame |= _apply_codes(caller, info, offset if in_prolog else None, memory)
        if info["chained"] is None:
            break
        info = table.unwind_info(info["chained"][2])
        in_prolog = False
    else:
        raise StackStop("its unwind information chains without end")
    if not machine_frame:
        _return(caller, memory)
    return caller


def _apply_codes(registers, info, prolog_offset, memory):
    """Undoes the prolog's operations that had run at prolog_offset (all of
    them when None). Returns whether a machine frame gave the caller's pc."""
    def done(code_offset):
        return prolog_offset is None or code_offset <= prolog_offset

    values = registers.values
    frame_set = info["frame_register"] and any(
        op == SET_FPREG and done(at) for at, op, _, _, _ in info["codes"])
    frame_base = (values[info["frame_register"]] - info["frame_offset"]) if frame_set else values[RSP]
    machine_frame = False
    i = 0
    codes = info["codes"]
    while i < len(codes):
        at, op, op_info, raw, position = codes[i]
        size = _slots(op, op_info, info["version"])
        if i + size > len(codes):
            raise StackStop("its unwind codes are cut short")
        operand = raw[position + 2:position + 2 * size]
        i += size
        if not done(at):
            continue
        if op == PUSH_NONVOL:
            values[op_info] = _read(memory, values[RSP])
            values[RSP] += 8
        elif op == ALLOC_LARGE:
            values[RSP] += struct.unpack("<I", operand)[0] if op_info else struct.unpack("<H", operand)[0] * 8
        elif op == ALLOC_SMALL:
            values[RSP] += op_info * 8 + 8
        elif op == SET_FPREG:
            values[RSP] = frame_base
        elif op == SAVE_NONVOL:
            values[op_info] = _read(memory, frame_base + struct.unpack("<H", operand)[0] * 8)
        elif op == SAVE_NONVOL_FAR:
            values[op_info] = _read(memory, frame_base + struct.unpack("<I", operand)[0])
        elif op == PUSH_MACHFRAME:
            if op_info:
                values[RSP] += 8  # an error code was pushed
            registers.pc = _read(memory, values[RSP])
            values[RSP] = _read(memory, values[RSP] + 24)
            machine_frame = True
        elif op not in (EPILOG, SAVE_XMM128, SAVE_XMM128_FAR):
            raise StackStop(f"its unwind information has the unknown operation {op}")
    return machine_frame


def _slots(op, op_info, version):
    if op == ALLOC_LARGE:
        return 3 if op_info else 2
    if op in (SAVE_NONVOL, SAVE_XMM128) or (op == EPILOG and version >= 2):
        return 2
    if op in (SAVE_NONVOL_FAR, SAVE_XMM128_FAR):
        return 3
    return 1


def _unwind_epilog(registers, table, rva, memory):
    """When the pc lies in an epilog, the prolog's codes no longer describe
    the stack: the epilog's own instructions are run forward instead. The
    forms are the few the x64 calling convention allows: an optional
    "add rsp, n" or "lea rsp, [frame register + n]", pops, then a return."""
    try:
        code = table.code_bytes(rva, 64)
    except Exception:  # noqa: BLE001 - code that cannot be read is simply not an epilog
        return False
    values = list(registers.values)
    i = 0
    if code[0:3] in (b"\x48\x83\xC4", b"\x48\x81\xC4"):
        wide = code[1] == 0x81
        values[RSP] += int.from_bytes(code[3:7] if wide else code[3:4], "little", signed=True)
        i = 7 if wide else 4
    elif code[0] in (0x48, 0x49) and code[1] == 0x8D and (code[2] & 0xF8) in (0x60, 0xA0):
        base = (code[2] & 7) + (8 if code[0] == 0x49 else 0)
        if base == RSP:
            return False  # an SIB form, not an epilog the convention allows
        wide = code[2] & 0xF8 == 0xA0
        values[RSP] = values[base] + int.from_bytes(code[3:7] if wide else code[3:4], "little", signed=True)
        i = 7 if wide else 4
    pops = []
    while i < len(code):
        if 0x58 <= code[i] <= 0x5F:
            pops.append(code[i] - 0x58)
            i += 1
        elif code[i] == 0x41 and i + 1 < len(code) and 0x58 <= code[i + 1] <= 0x5F:
            pops.append(code[i + 1] - 0x58 + 8)
            i += 2
        else:
            break
    if i >= len(code) or not (code[i] == 0xC3 or code[i:i + 2] == b"\xF3\xC3"):
        return False
    for register in pops:
        values[register] = _read(memory, values[RSP])
        values[RSP] += 8
    registers.values = values
    _return(registers, memory)
    return True


def _return(registers, memory):
    registers.pc = _read(memory, registers.values[RSP])
    registers.values[RSP] += 8


def _read(memory, address):
    value = memory.read_pointer(address, 8)
    if value is None:
        raise StackStop(f"the dump holds no stack memory at {address:#018x}")
    return value
