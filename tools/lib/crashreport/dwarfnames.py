"""Function names and source lines from the DWARF debug information of the
symbol copies, by llvm-symbolizer: one run per file for all the addresses
asked of it, two files at a time, each run with a time limit. Its answers
are JSON, one line per address, and are read defensively: a line that is
not what is expected names nothing.

Only answers that come from the debug information are kept (those with a
source line or file): llvm-symbolizer falls back on the nearest symbol
otherwise, which proves nothing about the function the address lies in.
"""
import json
import shutil
import subprocess
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass

SYMBOLIZERS = ("llvm-symbolizer-14", "llvm-symbolizer")
TIME_LIMIT_S = 120  # for one file, all its addresses; a big file loads in seconds
PARALLEL_RUNS = 2


@dataclass
class SourceFrame:
    function: str  # as written in the debug information (mangled where it is)
    file: str
    line: int


class DwarfNames:
    def __init__(self):
        self._wanted = {}  # path -> {image base: set of rvas}
        self._answers = {}  # (path, rva) -> [SourceFrame], innermost first
        self.problems = {}  # path -> why it gave no names

    def want(self, path, image_base, rva):
        if (path, rva) not in self._answers:
            self._wanted.setdefault(path, {}).setdefault(image_base, set()).add(rva)

    def resolve(self):
        """Runs the symbolizer for every address wanted since the last call."""
        wanted, self._wanted = self._wanted, {}
        if not wanted:
            return
        program = next((shutil.which(p) for p in SYMBOLIZERS if shutil.which(p)), None)
        if program is None:
            for path in wanted:
                self.problems[path] = "llvm-symbolizer is not installed (Debian: llvm-14)"
            return
        jobs = [(path, base, sorted(rvas)) for path, bases in wanted.items()
                for base, rvas in bases.items()]
        with ThreadPoolExecutor(PARALLEL_RUNS) as pool:
            for (path, _, rvas), (answers, problem) in zip(
                    jobs, pool.map(lambda job: _run(program, *job), jobs)):
                if problem:
                    self.problems[path] = problem
                for rva in rvas:
                    self._answers[(path, rva)] = answers.get(rva, [])

    def frames(self, path, rva):
        """The source frames at rva, innermost (inlined) first; [] when the
        debug information does not cover it."""
        return self._answers.get((path, rva), [])


def _run(program, path, image_base, rvas):
    """(rva -> [SourceFrame], problem). Asked twice: for the names as linked
    (mangled, so that they demangle with their classes and arguments), and
    for the names the debug information itself gives. For the outermost
    frame llvm-symbolizer replaces the linked name with the nearest
    symbol's, a label inside the function as readily as the function; where
    that symbol does not start the function the debug information places
    the address in, the debug information's own name is taken."""
    linked, problem = _answers(program, path, image_base, rvas, "linkage")
    if problem:
        return {}, problem
    own, problem = _answers(program, path, image_base, rvas, "short")
    if problem:
        return {}, problem
    answers = {}
    for rva, frames in linked.items():
        plain = own.get(rva)
        if plain is None or len(plain) != len(frames):
            continue
        if frames and frames[-1][1] != plain[-1][1]:
            frames[-1] = plain[-1]
        answers[rva] = [frame for frame, _ in frames]
    return answers, ""


def _answers(program, path, image_base, rvas, names):
    command = [program, f"--obj={path}", "--output-style=JSON", "--no-demangle", "--inlines",
               f"--functions={names}"]
    addresses = "".join(f"{image_base + rva:#x}\n" for rva in rvas)
    try:
        result = subprocess.run(command, input=addresses, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True, errors="replace",
                                timeout=TIME_LIMIT_S)
    except subprocess.TimeoutExpired:
        return {}, f"llvm-symbolizer gave no answer within {TIME_LIMIT_S} s"
    except OSError as error:
        return {}, f"llvm-symbolizer could not be run ({error.strerror})"
    answers = {}
    for line in result.stdout.splitlines():
        parsed = _parse_answer(line, image_base)
        if parsed:
            answers[parsed[0]] = parsed[1]
    if not answers and result.returncode != 0:
        return {}, f"llvm-symbolizer failed on it (exit status {result.returncode})"
    return answers, ""


def _parse_answer(line, image_base):
    """(rva, [(SourceFrame, start address)]) from one JSON line, or None
    when the line is not such an answer."""
    try:
        answer = json.loads(line)
        rva = int(answer["Address"], 16) - image_base
        frames = []
        for symbol in answer.get("Symbol") or []:
            function = symbol.get("FunctionName") or ""
            file = symbol.get("FileName") or ""
            number = symbol.get("Line") or 0
            start = symbol.get("StartAddress") or ""
            if not all(isinstance(v, t) for v, t in
                       ((function, str), (file, str), (number, int), (start, str))):
                return None
            if not function or function == "??" or not (file or number):
                break  # not from the debug information
            frames.append((SourceFrame(function, file, number), start))
        return rva, frames
    except (ValueError, KeyError, TypeError, AttributeError):
        return None
