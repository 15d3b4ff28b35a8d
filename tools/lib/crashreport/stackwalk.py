"""Walks the stacks of a dump's threads from their recorded contexts, one
step at a time by the unwind data of the module each pc lies in (x64:
unwind_x64, x86: unwind_x86), and says where and why each walk stops.

A step is taken only with the unwind data of the module's matching file:
where it is missing, or the pc lies in no module, the walk stops there
rather than guess.
"""
import struct
from dataclasses import dataclass, field

from . import unwind_x64, unwind_x86
from .cfi import CfiError
from .peimage import PeError
from .registers import StackEnd, StackStop

MAX_FRAMES = 64  # a walk that runs away stops here
END_OF_STACK = "end of the stack: the thread's first function"
# What reading a module's unwind data may raise: the data is the symbol
# file's, which nothing vouches for.
UNREADABLE_UNWIND_DATA = (PeError, CfiError, ValueError, IndexError, struct.error)
WALKERS = {"x64": unwind_x64, "x86": unwind_x86}


@dataclass
class RawFrame:
    address: int
    module: object  # minidump.Module, or None when the address lies in no module
    found_by: str  # "context": the thread's recorded pc; "unwind data": a step found it

    @property
    def offset(self):
        return self.address - self.module.base if self.module else None


@dataclass
class Stack:
    frames: list = field(default_factory=list)
    end: str = ""  # where and why the walk stopped, as one sentence


def crashing_context(dump, thread):
    """The context a thread's walk starts from: for the thread the exception
    was raised on, the exception's own context (the thread list records the
    thread later, inside the crash handler)."""
    exception = dump.exception
    if exception and exception.thread_id == thread.thread_id and exception.context:
        return exception.context
    return thread.context


def walk(dump, context, unwind_table_for):
    """unwind_table_for(module) gives the module's unwind table, or raises
    StackStop saying why there is none."""
    walker = WALKERS[dump.architecture]
    registers = walker.registers_from_context(context)
    if registers is None:
        return Stack([], "the dump records no usable context for this thread")
    stack = Stack()
    found_by = "context"
    while True:
        module = dump.module_at(registers.pc)
        stack.frames.append(RawFrame(registers.pc, module, found_by))
        if len(stack.frames) >= MAX_FRAMES:
            stack.end = f"the stack is cut after {MAX_FRAMES} frames"
            return stack
        if module is None:
            stack.end = (f"the stack cannot be followed past {registers.pc:#x}, "
                         "which lies in no module")
            return stack
        try:
            table = unwind_table_for(module)
            caller = walker.step(registers, table, registers.pc - module.base, dump.memory,
                                 found_by == "context")
        except StackEnd:
            stack.end = END_OF_STACK
            return stack
        except StackStop as stop:
            stack.end = _stopped_in(module, registers.pc, str(stop))
            return stack
        except UNREADABLE_UNWIND_DATA as error:
            stack.end = _stopped_in(module, registers.pc, f"its unwind data cannot be read ({error})")
            return stack
        if caller.pc == 0:
            stack.end = END_OF_STACK
            return stack
        if caller.sp <= registers.sp:
            stack.end = (f"the stack cannot be followed past {module.name}: the next frame would "
                         "lie below this one, so the stack is damaged here")
            return stack
        registers = caller
        found_by = "unwind data"


def _stopped_in(module, pc, reason):
    if reason.startswith("without "):
        return f"the stack cannot be followed past {module.name} {reason}"
    return f"the stack cannot be followed past {module.name}+{pc - module.base:#x}: {reason}"
