"""Stack walking by the modules' unwind data (x64 unwind codes, x86 call
frame information), where and why a walk stops, and which names a frame
may be given."""
import os
import struct
import tempfile
import unittest

from builders import pe_image
from crashreport import stackwalk, unwind_x64, unwind_x86
from crashreport.cfi import CallFrameTable
from crashreport.framenames import FrameNamer
from crashreport.minidump import MiniDump, Module
from crashreport.peimage import PeImage
from crashreport.registers import Registers, StackStop
from crashreport.stackwalk import RawFrame
from crashreport.symbols import SymbolStore

S0 = 0x7F000  # the stack pointer as a function is entered: it points at the return address
RETURN = 0x140009000


class Memory:
    def __init__(self, words, width=8):
        self.words, self.width = words, width

    def read_pointer(self, address, width):
        return self.words.get(address)


def image(data, folder, name):
    path = os.path.join(folder, name)
    with open(path, "wb") as f:
        f.write(data)
    return PeImage(path)


class Files(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = folder.name


# push rbp; push rbx; sub rsp, 0x28; lea rbp, [rsp+0x20] ... add rsp, 0x28; pop rbx; pop rbp; ret
X64_CODE = (bytes([0x55, 0x53, 0x48, 0x83, 0xEC, 0x28, 0x48, 0x8D, 0x6C, 0x24, 0x20]).ljust(0x30, b"\x90")
            + bytes([0x48, 0x83, 0xC4, 0x28, 0x5B, 0x5D, 0xC3])).ljust(0x80, b"\xCC")
X64_UNWIND = (bytes([0x01, 11, 4, 0x25, 11, 0x03, 6, 0x42, 2, 0x30, 1, 0x50])  # the prolog above
              + bytes([0x21, 0, 2, 0x00, 0, 0x64, 2, 0]) + struct.pack("<III", 0x1000, 0x1040, 0x2000)
              + bytes([0x01, 0, 1, 0x00, 0, 0x0A, 0, 0]))  # saves rsi, then chained; a machine frame
X64_FRAME = {S0: RETURN, S0 - 8: 0xBBBB, S0 - 0x10: 0xCCCC, S0 - 0x38 + 16: 0xDDDD,
             S0 - 0x100: 0x140002222, S0 - 0x100 + 24: S0 + 0x500}


class X64Unwinding(Files):
    def test_one_step_from_each_place_in_a_function(self):
        table = unwind_x64.FunctionTable(image(pe_image(
            sections=[(".text", 0x1000, X64_CODE, True), (".xdata", 0x2000, X64_UNWIND, False)],
            pdata=[(0x1000, 0x1040, 0x2000), (0x1050, 0x1060, 0x200C), (0x1060, 0x1070, 0x2020)]),
            self.folder, "a.dll"))
        body = dict(rsp=S0 - 0x80, rbp=S0 - 0x18)  # rsp moved on below the frame (alloca)
        cases = [  # (where, rva, first frame, registers, expected caller registers)
            ("in the body, by the frame pointer", 0x1020, True, body, dict(rsp=S0 + 8, rbp=0xBBBB, rbx=0xCCCC)),
            ("in the prolog, one push made", 0x1001, True, dict(rsp=S0 - 8), dict(rsp=S0 + 8, rbp=0xBBBB, rbx=0)),
            ("in the epilog", 0x1030, True, dict(rsp=S0 - 0x38), dict(rsp=S0 + 8, rbp=0xBBBB, rbx=0xCCCC)),
            ("returned to after a call that ends the function", 0x1040, False, body,
             dict(rsp=S0 + 8, rbp=0xBBBB, rbx=0xCCCC)),
            ("a leaf function (no entry)", 0x1100, True, dict(rsp=S0), dict(rsp=S0 + 8)),
            ("a saved register, then chained to the function above", 0x1055, True,
             dict(rsp=S0 - 0x38, rbp=S0 - 0x18), dict(rsp=S0 + 8, rbp=0xBBBB, rbx=0xCCCC, rsi=0xDDDD)),
        ]
        names = ["rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi"]
        for where, rva, first, given, expected in cases:
            with self.subTest(where):
                values = [0] * 16
                for name, value in given.items():
                    values[names.index(name)] = value
                caller = unwind_x64.step(Registers(values, 0x140000000 + rva, 4), table, rva,
                                         Memory(X64_FRAME), first)
                self.assertEqual(RETURN, caller.pc)
                for name, value in expected.items():
                    self.assertEqual(value, caller.values[names.index(name)], name)
        machine = unwind_x64.step(Registers([0] * 4 + [S0 - 0x100] + [0] * 11, 0x140001065, 4), table,
                                  0x1065, Memory(X64_FRAME), True)
        self.assertEqual((0x140002222, S0 + 0x500), (machine.pc, machine.sp), "a machine frame")


def _cie(version_fields, initial):
    return version_fields + initial


def _entry(body):
    body = body.ljust(-(-len(body) // 4) * 4, b"\0")
    return struct.pack("<I", len(body)) + body


X86_BASE = 0x400000
EH_FRAME_RVA, DEBUG_FRAME_RVA = 0x3000, 0x4000
# CIE: version 1, "zR", code align 1, data align -4, return address in 8 (EIP),
# pointers pc-relative 4-byte; the CFA is ESP+4 and the return address at CFA-4.
EH_CIE = _entry(b"\0\0\0\0\x01zR\0\x01\x7c\x08\x01\x1b" + b"\x0c\x04\x04\x88\x01")


def _eh_fde(position, begin, size, instructions):
    field = X86_BASE + EH_FRAME_RVA + position + 8  # where pc_begin is written
    return _entry(struct.pack("<iii", position + 4, X86_BASE + begin - field, size) + b"\0" + instructions)


# push ebp (CFA ESP+8, EBP at CFA-8); mov ebp, esp (CFA EBP+8).
EH_FRAME = EH_CIE + _eh_fde(len(EH_CIE), 0x1000, 0x20, b"\x41\x0e\x08\x85\x02\x42\x0d\x05")
DEBUG_CIE = _entry(b"\xff\xff\xff\xff\x01\0\x01\x7c\x08" + b"\x0c\x04\x04\x88\x01")
DEBUG_FRAME = (DEBUG_CIE
               + _entry(struct.pack("<III", 0, X86_BASE + 0x1100, 0x10))
               # the CFA read from the stack, as for a realigned frame: *(EBP-16)
               + _entry(struct.pack("<III", 0, X86_BASE + 0x1200, 0x10) + b"\x0f\x03\x75\x70\x06"))
X86_FRAME = {0x5000: 0x9999, 0x5004: 0x401234, 0x6000: 0x401234, 0x5FF0: 0x7004, 0x7000: 0x401234}


class X86Unwinding(Files):
    def test_one_step_by_call_frame_information(self):
        table = CallFrameTable(image(pe_image(machine="x86", sections=[
            (".text", 0x1000, b"\x90" * 0x300, True), (".eh_frame", EH_FRAME_RVA, EH_FRAME, False),
            (".debug_frame", DEBUG_FRAME_RVA, DEBUG_FRAME, False)]), self.folder, "a.exe"), 4)
        cases = [  # (where, rva, esp, ebp, expected esp, expected ebp)
            ("on entry", 0x1000, 0x6000, 0, 0x6004, 0),
            ("after the push", 0x1002, 0x5000, 0, 0x5008, 0x9999),
            ("in the body, by EBP", 0x1010, 0x4F00, 0x5000, 0x5008, 0x9999),
            ("a .debug_frame entry", 0x1105, 0x6000, 0, 0x6004, 0),
            ("a frame address from an expression", 0x1205, 0x4000, 0x6000, 0x7004, 0x6000),
        ]
        for where, rva, esp, ebp, caller_esp, caller_ebp in cases:
            with self.subTest(where):
                registers = Registers([0, 0, 0, 0, esp, ebp, 0, 0], X86_BASE + rva, 4)
                caller = unwind_x86.step(registers, table, rva, Memory(X86_FRAME, 4), True)
                self.assertEqual((0x401234, caller_esp, caller_ebp), (caller.pc, caller.sp, caller.values[5]))
        with self.assertRaisesRegex(StackStop, "no call frame information covers it"):
            unwind_x86.step(Registers([0] * 8, X86_BASE + 0x1300, 4), table, 0x1300, Memory({}, 4), True)


class WalkEnds(unittest.TestCase):
    """Every walk says where and why it stops."""

    def walk(self, pc, words, table_for=None):
        module = Module("QuavPlusUI.dll", "", 0x10000000, 0x10000, 0)
        dump = MiniDump("a.dmp", "x64", 0, modules=[module], memory=Memory(words))
        leaf_only = unwind_x64.FunctionTable.__new__(unwind_x64.FunctionTable)
        leaf_only._entries, leaf_only._begins = [], []
        context = struct.pack("<16Q", 0, 0, 0, 0, S0, *([0] * 11))
        return stackwalk.walk(dump, bytes(0x78) + context + struct.pack("<Q", pc),
                              table_for or (lambda m: leaf_only))

    def test_each_end(self):
        def without_file(_):
            raise StackStop("without its matching file")

        cases = [
            ("the outermost function", 0x10001000, {S0: 0}, None, 1,
             "end of the stack: the thread's first function"),
            ("a return address in no module", 0x10001000, {S0: 0x20000000}, None, 2,
             "the stack cannot be followed past 0x20000000, which lies in no module"),
            ("a module without its file", 0x10001000, {}, without_file, 1,
             "the stack cannot be followed past QuavPlusUI.dll without its matching file"),
            ("stack memory the dump lacks", 0x10001000, {}, None, 1,
             "the stack cannot be followed past QuavPlusUI.dll+0x1000: "
             "the dump holds no stack memory at 0x000000000007f000"),
            ("a walk that runs away", 0x10001000, {S0 + 8 * i: 0x10001000 for i in range(100)}, None, 64,
             "the stack is cut after 64 frames"),
        ]
        for where, pc, words, table_for, frames, end in cases:
            with self.subTest(where):
                stack = self.walk(pc, words, table_for)
                self.assertEqual((frames, end), (len(stack.frames), stack.end))


class HonestNames(Files):
    def test_a_name_only_where_the_address_lies_in_the_function(self):
        data = pe_image(sections=[(".text", 0x1000, b"\x90" * 0x200, True)],
                        symbols=[("_ZN2Fn3runEv", 1, 0, 2), ("Inner", 1, 0x10, 3)],
                        exports=[("DLLGetDumpPath", 0x1100)],
                        pdata=[(0x1000, 0x1040, 0), (0x1080, 0x10C0, 0), (0x1100, 0x1140, 0)])
        with open(os.path.join(self.folder, "QuavPlusUI.dll"), "wb") as f:
            f.write(data)
        store = SymbolStore(lambda _: [self.folder])
        self.addCleanup(store.close)
        module = Module("QuavPlusUI.dll", "", 0x7FF000000000, 0x4000, 0x6B181751)
        cases = [  # (offset, found by, function, nearest symbol)
            (0x1005, "context", "Fn::run()", ""),
            (0x1020, "context", "", "Inner+0x10"),  # a symbol inside the function is not its name
            (0x10A0, "context", "", "Inner+0x90"),  # a function no symbol starts
            (0x1120, "context", "DLLGetDumpPath", ""),
            (0x1140, "unwind data", "DLLGetDumpPath", ""),  # returns past the end: the call was last
            (0x0800, "context", "", ""),  # before every symbol
        ]
        raw = [RawFrame(module.base + offset, module, found_by) for offset, found_by, _, _ in cases]
        namer = FrameNamer(store)
        namer.want(raw, "x64")
        namer.resolve()
        frames = namer.name(raw, "x64")
        namer.demangle(frames)
        for (offset, _, function, symbol), frame in zip(cases, frames):
            with self.subTest(offset=hex(offset)):
                shown = f"{frame.symbol}+{frame.symbol_offset:#x}" if frame.symbol else ""
                self.assertEqual((function, symbol), (frame.function, shown))


if __name__ == "__main__":
    unittest.main()
