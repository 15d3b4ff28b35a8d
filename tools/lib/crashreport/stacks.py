"""Walks the threads' stacks of a dump with LLDB, run in batch mode.

LLDB is handed only the symbol copies that match the dump, each under the
name the dump gives its module, in a folder of its own: a module of another
build is never read, so none of its frames can be named from it. (LLDB 14
finds a dump's modules by file name alone; Wine's dumps carry no CodeView
record to check them by.) Frames are printed in a format of our own and read
back; LLDB's messages stay out of the report.
"""
import os
import subprocess
import tempfile
from dataclasses import dataclass

MAX_FRAMES = 64  # an unwind that runs away stops here
FRAME_FORMAT = ("FRAME ${frame.pc}|{${function.name}}|{${line.file.fullpath}}|{${line.number}}\\n")
THREAD_FORMAT = "THREAD ${thread.id}\\n"
INLINED = " [inlined] "


class StackError(Exception):
    pass


@dataclass
class Frame:
    pc: int
    function: str = ""
    file: str = ""
    line: int = 0
    inlined: bool = False


def walk(dump_path, symbol_files):
    """symbol_files: module name -> symbol copy. Returns thread id -> frames."""
    with tempfile.TemporaryDirectory(prefix="crash-report-") as folder:
        for name, path in symbol_files.items():
            os.symlink(os.path.abspath(path), os.path.join(folder, name))
        output = _run_lldb(dump_path, folder)
    stacks = _parse(output)
    if not stacks:
        raise StackError("LLDB could not read the threads of the dump")
    return stacks


def _run_lldb(dump_path, folder):
    command = [
        "lldb", "--batch", "--no-lldbinit",
        "-O", f'settings set target.exec-search-paths "{folder}"',
        "-O", f'settings set frame-format "{FRAME_FORMAT}"',
        "-O", f'settings set thread-format "{THREAD_FORMAT}"',
        "-O", f'settings set thread-stop-format "{THREAD_FORMAT}"',
        "--core", os.path.abspath(dump_path),
        "-o", f"thread backtrace all -c {MAX_FRAMES}",
    ]
    try:
        return subprocess.run(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, errors="replace").stdout
    except FileNotFoundError:
        raise StackError("lldb is not installed (Debian: lldb)") from None


def _parse(output):
    stacks = {}
    frames = None
    for line in output.splitlines():
        text = line.lstrip(" *")
        if text.startswith("THREAD "):
            frames = stacks.setdefault(int(text.split()[1], 16), [])
        elif text.startswith("FRAME ") and frames is not None:
            frames.append(_frame(text[len("FRAME "):]))
    return stacks


def _frame(text):
    pc, rest = text.split("|", 1) if "|" in text else (text, "||")
    function, file, line = (["", ""] + rest.rsplit("|", 2))[-3:]
    frame = Frame(int(pc, 16), function, file, int(line) if line.isdigit() else 0)
    # LLDB names an inlined frame "caller [inlined] callee".
    if INLINED in frame.function:
        frame.function = frame.function.rsplit(INLINED, 1)[1]
        frame.inlined = True
    if frame.function.startswith("::"):
        frame.function = frame.function[2:]
    return frame
