"""One step of an x86 stack walk, by the DWARF call frame information of
the module's file (see cfi.py). 32-bit code need not keep a frame pointer,
so a walk by EBP alone would guess: where no call frame information covers
a pc, the walk stops and says so.

Registers are numbered as DWARF numbers them: 0 EAX, 1 ECX, 2 EDX, 3 EBX,
4 ESP, 5 EBP, 6 ESI, 7 EDI.
"""
import struct

from .cfi import CfiError, evaluate
from .registers import Registers, StackEnd, StackStop

ESP = 4
# CONTEXT offsets of EAX, ECX, EDX, EBX, ESP, EBP, ESI, EDI, and of EIP.
CONTEXT_OFFSETS = (0xB0, 0xAC, 0xA8, 0xA4, 0xC4, 0xB4, 0xA0, 0x9C)
CONTEXT_EIP = 0xB8
CONTEXT_SIZE = 0xCC
ADDRESS_SIZE = 4


def registers_from_context(context):
    if len(context) < CONTEXT_SIZE:
        return None
    values = [struct.unpack_from("<I", context, offset)[0] for offset in CONTEXT_OFFSETS]
    (pc,) = struct.unpack_from("<I", context, CONTEXT_EIP)
    return Registers(values, pc, ESP)


def step(registers, table, rva, memory, first_frame):
    """The caller's registers; rva is the pc's offset in its module."""
    lookup = rva if first_frame else rva - 1  # the call, not what follows it
    fde = table.fde_at(lookup)
    if fde is None:
        raise StackStop("no call frame information covers it")
    try:
        row = table.row_at(fde, lookup)
    except CfiError as error:
        raise StackStop(f"its call frame information is damaged ({error})") from None
    cfa = _cfa(row.cfa, registers, memory)
    caller = registers.copy()
    for register, rule in row.registers.items():
        if register < len(caller.values):
            caller.values[register] = _recovered(rule, register, cfa, registers, memory)
    return_rule = row.registers.get(fde.cie.return_column)
    if return_rule is None or return_rule[0] == "undefined":
        raise StackEnd()
    caller.pc = _recovered(return_rule, fde.cie.return_column, cfa, registers, memory)
    caller.values[ESP] = cfa
    return caller


def _cfa(rule, registers, memory):
    if rule is None:
        raise StackStop("its call frame information defines no frame address")
    if rule[0] == "reg":
        if rule[1] >= len(registers.values):
            raise StackStop(f"its call frame information uses register {rule[1]}, which x86 lacks")
        return (registers.values[rule[1]] + rule[2]) & 0xFFFFFFFF
    return evaluate(rule[1], registers, memory, ADDRESS_SIZE)


def _recovered(rule, register, cfa, registers, memory):
    kind = rule[0]
    if kind == "offset":
        return _read(memory, (cfa + rule[1]) & 0xFFFFFFFF)
    if kind == "val_offset":
        return (cfa + rule[1]) & 0xFFFFFFFF
    if kind == "register":
        return registers.values[rule[1]] if rule[1] < len(registers.values) else registers.pc
    if kind == "expr":
        return _read(memory, evaluate(rule[1], registers, memory, ADDRESS_SIZE, initial=cfa))
    if kind == "val_expr":
        return evaluate(rule[1], registers, memory, ADDRESS_SIZE, initial=cfa)
    # "same", or "undefined" for a register the caller does not need back
    return registers.values[register] if register < len(registers.values) else registers.pc


def _read(memory, address):
    value = memory.read_pointer(address, ADDRESS_SIZE)
    if value is None:
        raise StackStop(f"the dump holds no stack memory at {address:#010x}")
    return value
