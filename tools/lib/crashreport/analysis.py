"""Reads dumps into what the reports print: for each dump its modules with
the state of their symbols, every thread's stack (the crashing thread
first), named, with where and why it stops, and the dump's signature.

Each dump is read and walked on its own and closed again; the names of all
the dumps' frames are then looked up together, once per module and address.
"""
from dataclasses import dataclass, field

from . import minidump, stackwalk
from .framenames import FrameNamer
from .signature import signature


@dataclass
class Analysis:
    path: str
    dump: minidump.MiniDump
    symbols: dict  # module name -> symbols.Symbols
    thread_order: list  # thread ids, the crashing thread first
    raw_stacks: dict  # thread id -> stackwalk.Stack
    stacks: dict = field(default_factory=dict)  # thread id -> [framenames.Frame]
    signature: str = ""

    @property
    def crashing_thread(self):
        """The exception's thread; without an exception, the first thread."""
        exception = self.dump.exception
        if exception:
            return exception.thread_id if exception.thread_id in self.raw_stacks else None
        return self.thread_order[0] if self.thread_order else None

    @property
    def crash_frames(self):
        return self.stacks.get(self.crashing_thread, [])

    @property
    def crash_stack_end(self):
        stack = self.raw_stacks.get(self.crashing_thread)
        return stack.end if stack else "the dump records no stack for the exception's thread"


def read_and_walk(path, store):
    """The dump at path, read and walked; raises minidump.DumpError."""
    dump = minidump.read(path)
    try:
        found = {m.name: store.find(m, dump.architecture) for m in dump.modules}
        crashing = dump.exception.thread_id if dump.exception else None
        order = sorted(dump.thread_ids, key=lambda t: t != crashing)
        stacks = {}
        for thread in dump.threads:
            context = stackwalk.crashing_context(dump, thread)
            stacks[thread.thread_id] = stackwalk.walk(
                dump, context, lambda module: store.unwind_table(module, dump.architecture))
    finally:
        minidump.close(dump)
    return Analysis(path, dump, found, order, stacks)


def name_frames(analyses, store):
    """Names every stack of every analysis and gives each its signature.
    Returns the symbol files whose debug information could not be read,
    with the reason."""
    namer = FrameNamer(store)
    for analysis in analyses:
        for stack in analysis.raw_stacks.values():
            namer.want(stack.frames, analysis.dump.architecture)
    namer.resolve()
    every_frame = []
    for analysis in analyses:
        for thread_id, stack in analysis.raw_stacks.items():
            analysis.stacks[thread_id] = namer.name(stack.frames, analysis.dump.architecture)
            every_frame.extend(analysis.stacks[thread_id])
    namer.demangle(every_frame)
    for analysis in analyses:
        code = analysis.dump.exception.code if analysis.dump.exception else None
        analysis.signature = signature(code, analysis.crash_frames)
    return namer.problems
