"""Prints a crash report from a read dump, its stacks and its symbols."""
import os
import time

EXCEPTION_NAMES = {
    0x40000015: "fatal application exit: abort() or a C++ exception nobody caught",
    0x80000002: "datatype misalignment",
    0x80000003: "breakpoint",
    0x80000004: "single step",
    0xC0000005: "access violation",
    0xC0000006: "in-page error",
    0xC0000008: "invalid handle",
    0xC000001D: "illegal instruction",
    0xC0000025: "non-continuable exception",
    0xC0000026: "invalid disposition",
    0xC000008C: "array bounds exceeded",
    0xC000008D: "floating-point denormal operand",
    0xC000008E: "floating-point division by zero",
    0xC000008F: "floating-point inexact result",
    0xC0000090: "floating-point invalid operation",
    0xC0000091: "floating-point overflow",
    0xC0000092: "floating-point stack check",
    0xC0000093: "floating-point underflow",
    0xC0000094: "integer division by zero",
    0xC0000095: "integer overflow",
    0xC0000096: "privileged instruction",
    0xC00000FD: "stack overflow",
    0xC0000374: "heap corruption",
    0xC0000409: "stack buffer overrun",
    0x20474343: "C++ exception (GCC)",
    0xE06D7363: "C++ exception (Visual C++)",
}
ACCESS_KINDS = {0: "reading", 1: "writing", 8: "executing"}


def print_report(dump_path, dump, found, thread_order, thread_stacks, root):
    width = 8 if dump.architecture == "x86" else 16
    written = time.strftime("%Y-%m-%d %H:%M:%S UTC", time.gmtime(dump.time_stamp))
    print(f"Crash dump {dump_path}")
    print(f"  written {written}, {dump.architecture} process")
    print()

    exception = dump.exception
    if exception:
        print(f"Exception {exception.code:#010x} ({_exception_name(exception)})"
              f"{_access(exception, width)}")
        print(f"  at {_location(dump, exception.address, width)} on thread {exception.thread_id:#x}")
    else:
        print("No exception is recorded in the dump.")
    for module in dump.modules:
        if found[module.name].status == "mismatch":
            print(f"WARNING: the symbols for {module.name} are of another build; "
                  "its frames are not named.")
    print()

    for thread_id in thread_order:
        crashing = exception and thread_id == exception.thread_id
        print(f"{'Crashing thread' if crashing else 'Thread'} {thread_id:#x}:")
        frames = thread_stacks.get(thread_id)
        if not frames:
            print("  (no stack)")
        for index, frame in enumerate(frames or []):
            print(f"  {index:2}  {_frame_text(dump, found, frame, width, root)}")
        last = dump.module_at(frames[-1].pc) if frames else None
        if last and found[last.name].status != "match":
            # Unwinding needs the module's own file (its unwind tables, on x64).
            print(f"  (the stack cannot be followed past {last.name} without its matching file)")
        print()

    print("Modules:")
    name_width = max((len(m.name) for m in dump.modules), default=0)
    for module in dump.modules:
        print(f"  {module.base:#0{width + 2}x}  {module.name:<{name_width}}  "
              f"size {module.size:#9x}  time stamp {module.time_stamp:#010x}  "
              f"{_symbols_text(found[module.name], root)}")


def _exception_name(exception):
    return EXCEPTION_NAMES.get(exception.code, "unknown exception")


def _access(exception, width):
    if exception.code != 0xC0000005 or len(exception.parameters) < 2:
        return ""
    kind = ACCESS_KINDS.get(exception.parameters[0], f"kind {exception.parameters[0]} at")
    return f", {kind} address {exception.parameters[1]:#0{width + 2}x}"


def _location(dump, address, width):
    module = dump.module_at(address)
    if module is None:
        return f"{address:#0{width + 2}x} (in no module)"
    return f"{module.name}+{address - module.base:#x}"


def _frame_text(dump, found, frame, width, root):
    text = _location(dump, frame.pc, width)
    module = dump.module_at(frame.pc)
    # Names come only from a symbol copy that matches the dump.
    if module is None or found[module.name].status != "match" or not frame.function:
        return text
    text = f"{text:<28} {frame.function}"
    if frame.inlined:
        text += " [inlined]"
    if frame.file:
        text += f" at {_shown_path(frame.file, root)}:{frame.line}"
    return text


def _symbols_text(symbols, root):
    if symbols.status == "match":
        return f"symbols: {_shown_path(symbols.path, root)}"
    if symbols.status == "mismatch":
        return (f"MISMATCH: {_shown_path(symbols.path, root)} is of another build "
                f"({symbols.reason})")
    return "no symbols"


def _shown_path(path, root):
    """Paths inside this tree are shown relative to it."""
    absolute = os.path.abspath(path)
    if absolute.startswith(root + os.sep):
        return os.path.relpath(absolute, root)
    return path
