"""tools/crash-report DUMP [--symbols DIR]...

Prints what a crash dump says: the exception, the crashing thread's stack
(function and file:line wherever a matching symbol copy exists), the other
threads, and the modules with the state of their symbols. Symbol copies are
looked for in this tree's dist/symbols/<architecture of the dump>, then in
each --symbols folder.

Bad input gives one line on stderr and exit status 1; wrong arguments 2.
"""
import os
import sys

from . import minidump, stacks, symbols
from .report import print_report

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
USAGE = "usage: tools/crash-report DUMP [--symbols DIR]..."


def main(arguments):
    dump_path, folders = _parse_arguments(arguments)
    try:
        _report(dump_path, folders)
    except (minidump.DumpError, stacks.StackError) as error:
        print(f"crash-report: {dump_path}: {error}", file=sys.stderr)
        sys.exit(1)


def _report(dump_path, folders):
    dump = minidump.read(dump_path)
    folders = [os.path.join(ROOT, "dist", "symbols", dump.architecture)] + folders
    found = {m.name: symbols.find(m, dump.architecture, folders) for m in dump.modules}
    matching = {name: s.path for name, s in found.items() if s.status == "match"}
    thread_stacks = stacks.walk(dump_path, matching)
    # The crashing thread first, then the others in the dump's order.
    crashing = dump.exception.thread_id if dump.exception else None
    thread_ids = dump.thread_ids + [t for t in thread_stacks if t not in dump.thread_ids]
    order = sorted(thread_ids, key=lambda t: t != crashing)
    print_report(dump_path, dump, found, order, thread_stacks, ROOT)


def _parse_arguments(arguments):
    dump_path, folders = None, []
    i = 0
    while i < len(arguments):
        argument = arguments[i]
        if argument == "--symbols" and i + 1 < len(arguments):
            if not os.path.isdir(arguments[i + 1]):
                _usage_error(f"--symbols {arguments[i + 1]}: not a folder")
            folders.append(arguments[i + 1])
            i += 2
        elif argument.startswith("-") or dump_path is not None:
            _usage_error(USAGE)
        else:
            dump_path = argument
            i += 1
    if dump_path is None:
        _usage_error(USAGE)
    return dump_path, folders


def _usage_error(message):
    print(f"crash-report: {message}", file=sys.stderr)
    sys.exit(2)


if __name__ == "__main__":
    try:
        main(sys.argv[1:])
    except KeyboardInterrupt:
        sys.exit(130)
    except Exception as error:  # noqa: BLE001 - the user gets one line, never a trace
        print(f"crash-report: failed: {type(error).__name__}: {error}", file=sys.stderr)
        sys.exit(1)
