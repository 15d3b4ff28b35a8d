"""Prints the report of one dump: the exception, every thread's stack (the
crashing thread first) with where and why it stops, and the modules with
the state of their symbols."""
import os

from .texts import access_text, exception_name, utc_text


def print_report(analysis, problems, root, out):
    """problems: symbol file -> why its debug information named nothing."""
    dump = analysis.dump
    width = 8 if dump.architecture == "x86" else 16
    print(f"Crash dump {analysis.path}", file=out)
    print(f"  written {utc_text(dump.time_stamp)}, {dump.architecture} process", file=out)
    print(file=out)

    exception = dump.exception
    if exception:
        print(f"Exception {exception.code:#010x} ({exception_name(exception.code)})"
              f"{access_text(exception, width)}", file=out)
        print(f"  at {_location(dump, exception.address, width)} on thread {exception.thread_id:#x}",
              file=out)
    else:
        print("No exception is recorded in the dump.", file=out)
    for module in dump.modules:
        symbols = analysis.symbols[module.name]
        if symbols.status == "mismatch":
            print(f"WARNING: the symbols for {module.name} are of another build; "
                  "its frames are not named.", file=out)
        elif symbols.status == "unusable":
            print(f"WARNING: the symbol file for {module.name} is unusable; "
                  "its frames are not named.", file=out)
    print(file=out)

    for thread_id in analysis.thread_order:
        crashing = exception and thread_id == exception.thread_id
        print(f"{'Crashing thread' if crashing else 'Thread'} {thread_id:#x}:", file=out)
        for index, frame in enumerate(analysis.stacks.get(thread_id, [])):
            print(f"  {index:2}  {frame_text(frame, width, root)}", file=out)
        print(f"  ({analysis.raw_stacks[thread_id].end})", file=out)
        print(file=out)

    print("Modules:", file=out)
    name_width = max((len(m.name) for m in dump.modules), default=0)
    for module in dump.modules:
        print(f"  {module.base:#0{width + 2}x}  {module.name:<{name_width}}  "
              f"size {module.size:#9x}  time stamp {module.time_stamp:#010x}  "
              f"{_symbols_text(analysis.symbols[module.name], problems, root)}", file=out)


def _location(dump, address, width):
    module = dump.module_at(address)
    if module is None:
        return f"{address:#0{width + 2}x} (in no module)"
    return f"{module.name}+{address - module.base:#x}"


def frame_text(frame, width, root):
    text = frame.location if frame.module else f"{frame.address:#0{width + 2}x} (in no module)"
    if frame.function:
        text = f"{text:<28} {frame.function}"
        if frame.inlined:
            text += " [inlined]"
        if frame.file:
            text += f" at {shown_path(frame.file, root)}:{frame.line}"
    elif frame.symbol:
        text = f"{text:<28} {frame.symbol}+{frame.symbol_offset:#x}"
    return text


def _symbols_text(symbols, problems, root):
    if symbols.status == "match":
        problem = problems.get(symbols.path)
        return f"symbols: {shown_path(symbols.path, root)}" + (f" (no names: {problem})" if problem else "")
    if symbols.status == "mismatch":
        return (f"MISMATCH: {shown_path(symbols.path, root)} is of another build "
                f"({symbols.reason})")
    if symbols.status == "unusable":
        return f"unusable: {shown_path(symbols.path, root)}: {symbols.reason}"
    return "no symbols"


def shown_path(path, root):
    """Paths inside this tree are shown relative to it; a relative path (a
    source file named by its build's own folder) is shown as it is."""
    if not os.path.isabs(path):
        return path
    absolute = os.path.abspath(path)
    if absolute.startswith(root + os.sep):
        return os.path.relpath(absolute, root)
    return path
