"""Reads what a crash report needs from a Windows mini-dump: the processor
architecture, the exception record with its context, the threads with their
contexts, the module list, and where the dump keeps the process's memory.

The file is read through its directory, a piece at a time, never whole:
a dump of any size costs the same few reads, and the stack memory is read
only when a stack walk asks for it. Every offset and length is checked
against the file, so a damaged dump raises DumpError with one plain sentence
instead of failing somewhere later. Only regular files are read: a FIFO or
a device would block or never end.
"""
import bisect
import os
import stat
import struct
from dataclasses import dataclass, field

SIGNATURE = b"MDMP"
THREAD_LIST_STREAM, MODULE_LIST_STREAM, MEMORY_LIST_STREAM = 3, 4, 5
EXCEPTION_STREAM, SYSTEM_INFO_STREAM, MEMORY64_LIST_STREAM = 6, 7, 9

# ProcessorArchitecture values of the system information stream.
ARCHITECTURES = {0: "x86", 9: "x64"}
FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD

HEADER = struct.Struct("<4sIIIIIQ")
DIRECTORY_ENTRY = struct.Struct("<III")
MODULE = struct.Struct("<QIIII13I8s8sQQ")
THREAD = struct.Struct("<IIIIQQIIII")
EXCEPTION = struct.Struct("<IIIIQQII15QII")
MEMORY_DESCRIPTOR = struct.Struct("<QII")
MEMORY64_DESCRIPTOR = struct.Struct("<QQ")
COUNT = struct.Struct("<I")

# Bounds that no dump of a real process reaches; past them the file is
# damaged, and reading on would only cost time and memory.
MAX_STREAMS = 4096
MAX_ENTRIES = 65536  # modules or threads
MAX_RANGES = 1 << 24  # memory ranges (Wine writes some 12,000 for a small process)
MAX_CONTEXT = 4096
MAX_NAME = 65536
MAX_CACHED_RANGE = 16 << 20  # a stack is far smaller; a full dump's ranges may not be


class DumpError(Exception):
    pass


@dataclass
class Module:
    name: str  # the file name, without its folder
    path: str  # as the dump records it
    base: int
    size: int
    time_stamp: int
    version: str = ""  # file version from the module's version resource, "" when unknown

    def contains(self, address):
        return self.base <= address < self.base + self.size


@dataclass
class Thread:
    thread_id: int
    context: bytes


@dataclass
class ExceptionRecord:
    thread_id: int
    code: int
    address: int
    parameters: list
    context: bytes = b""  # the context the exception was raised in, when recorded


@dataclass
class MiniDump:
    path: str
    architecture: str
    time_stamp: int
    threads: list = field(default_factory=list)
    modules: list = field(default_factory=list)
    exception: ExceptionRecord = None
    memory: "Memory" = None

    @property
    def thread_ids(self):
        return [t.thread_id for t in self.threads]

    def module_at(self, address):
        return next((m for m in self.modules if m.contains(address)), None)

    @property
    def executable(self):
        """The process's program: the first .exe of the module list, which
        is where the loader puts it."""
        return next((m for m in self.modules if m.name.lower().endswith(".exe")),
                    self.modules[0] if self.modules else None)


class Memory:
    """The process memory a dump holds, read from the file on demand. The
    threads' stacks are looked at first; the dump's whole memory list (Wine
    writes thousands of small ranges) is read only when a walk needs more."""

    def __init__(self, source, stacks, read_memory_lists):
        self._source = source
        self._stacks = stacks  # (start address, size, file offset)
        self._read_memory_lists = read_memory_lists
        self._listed = None
        self._starts = None
        self._cache = {}

    def read(self, address, size):
        """The bytes at address, or None when the dump does not hold them all."""
        found = self._range(address, size)
        if found is None:
            return None
        start, length, offset = found
        if length > MAX_CACHED_RANGE:
            return self._source.read_at(offset + address - start, size, "memory")
        block = self._cache.get(start)
        if block is None:
            block = self._source.read_at(offset, length, "a memory range")
            self._cache[start] = block
        return block[address - start:address - start + size]

    def read_pointer(self, address, width):
        data = self.read(address, width)
        if data is None:
            return None
        return int.from_bytes(data, "little")

    def _range(self, address, size):
        for start, length, offset in self._stacks:
            if start <= address and address + size <= start + length:
                return start, length, offset
        if self._listed is None:
            try:
                self._listed = sorted(self._read_memory_lists())
            except DumpError:
                self._listed = []  # a damaged list holds nothing a walk can trust
            self._starts = [r[0] for r in self._listed]
        i = bisect.bisect_right(self._starts, address) - 1
        if i >= 0:
            start, length, offset = self._listed[i]
            if address + size <= start + length:
                return self._listed[i]
        return None


class _Source:
    """A regular file read by offset, each read checked against its size."""

    def __init__(self, path):
        try:
            # Non-blocking: opening a FIFO for reading would wait for a writer.
            fd = os.open(path, os.O_RDONLY | getattr(os, "O_NONBLOCK", 0))
        except OSError as error:
            raise DumpError(error.strerror) from None
        try:
            info = os.fstat(fd)
            if not stat.S_ISREG(info.st_mode):
                raise DumpError(f"not a regular file ({_file_kind(info.st_mode)})")
        except BaseException:
            os.close(fd)
            raise
        self._file = os.fdopen(fd, "rb")
        self.size = info.st_size

    def read_at(self, offset, size, what):
        if offset < 0 or size < 0 or offset + size > self.size:
            raise DumpError(f"truncated: {what} lies beyond the end of the file")
        self._file.seek(offset)
        data = self._file.read(size)
        if len(data) != size:
            raise DumpError(f"{what} could not be read whole")
        return data

    def unpack(self, layout, offset, what):
        return layout.unpack(self.read_at(offset, layout.size, what))

    def close(self):
        self._file.close()


def _file_kind(mode):
    kinds = [(stat.S_ISDIR, "a folder"), (stat.S_ISFIFO, "a FIFO"), (stat.S_ISCHR, "a device"),
             (stat.S_ISBLK, "a device"), (stat.S_ISSOCK, "a socket")]
    return next((name for test, name in kinds if test(mode)), "not a file")


def read(path):
    """The dump at path; its memory stays readable until close(dump)."""
    source = _Source(path)
    try:
        return _parse(path, source)
    except BaseException:
        source.close()
        raise


def close(dump):
    if dump.memory is not None:
        dump.memory._source.close()


def _parse(path, source):
    if source.size < HEADER.size:
        raise DumpError("not a mini-dump (shorter than its header)")
    signature, _, stream_count, directory_rva, _, time_stamp, _ = source.unpack(HEADER, 0, "header")
    if signature != SIGNATURE:
        raise DumpError("not a mini-dump (no MDMP signature)")
    if stream_count > MAX_STREAMS:
        raise DumpError(f"damaged: the directory claims {stream_count} streams")
    directory = source.read_at(directory_rva, stream_count * DIRECTORY_ENTRY.size, "stream directory")
    streams = {}
    for i in range(stream_count):
        stream_type, size, rva = DIRECTORY_ENTRY.unpack_from(directory, i * DIRECTORY_ENTRY.size)
        if stream_type == 0:
            continue  # an unused entry
        if rva + size > source.size:
            raise DumpError("truncated: a stream lies beyond the end of the file")
        streams.setdefault(stream_type, (rva, size))

    if SYSTEM_INFO_STREAM not in streams or MODULE_LIST_STREAM not in streams:
        raise DumpError("the dump lacks its system information or module list")
    (architecture_code,) = source.unpack(struct.Struct("<H"), streams[SYSTEM_INFO_STREAM][0],
                                         "system information")
    architecture = ARCHITECTURES.get(architecture_code)
    if architecture is None:
        raise DumpError(f"unsupported processor architecture {architecture_code} "
                        "(only x86 and x64 are)")

    dump = MiniDump(path, architecture, time_stamp)
    dump.modules = _modules(source, streams[MODULE_LIST_STREAM])
    stacks = []
    if THREAD_LIST_STREAM in streams:
        dump.threads, stacks = _threads(source, streams[THREAD_LIST_STREAM])
    if EXCEPTION_STREAM in streams:
        dump.exception = _exception(source, streams[EXCEPTION_STREAM])
    dump.memory = Memory(source, stacks, lambda: _memory_ranges(source, streams))
    return dump


def _list(source, stream, entry, what, limit=MAX_ENTRIES):
    """The entries of a list stream: a 32-bit count, then the entries."""
    rva, _ = stream
    (count,) = source.unpack(COUNT, rva, what)
    if count > limit or rva + 4 + count * entry.size > source.size:
        raise DumpError(f"damaged: the {what} claims {count} entries")
    return list(entry.iter_unpack(source.read_at(rva + 4, count * entry.size, what)))


def _modules(source, stream):
    modules = []
    for base, size, _, time_stamp, name_rva, *rest in _list(source, stream, MODULE, "module list"):
        path = _string(source, name_rva)
        name = path.replace("/", "\\").rsplit("\\", 1)[-1]
        modules.append(Module(name, path, base, size, time_stamp, _version(rest[:13])))
    return modules


def _version(fixed_file_info):
    signature, _, version_ms, version_ls = fixed_file_info[:4]
    if signature != FIXED_FILE_INFO_SIGNATURE or (version_ms, version_ls) == (0, 0):
        return ""
    return f"{version_ms >> 16}.{version_ms & 0xFFFF}.{version_ls >> 16}.{version_ls & 0xFFFF}"


def _threads(source, stream):
    """The threads, and the memory descriptors of their stacks."""
    threads, stacks = [], []
    for entry in _list(source, stream, THREAD, "thread list"):
        thread_id, _, _, _, _, stack_start, stack_size, stack_rva, context_size, context_rva = entry
        threads.append(Thread(thread_id, _context(source, context_size, context_rva)))
        if stack_rva + stack_size <= source.size:
            stacks.append((stack_start, stack_size, stack_rva))
    return threads, stacks


def _exception(source, stream):
    fields = source.unpack(EXCEPTION, stream[0], "exception record")
    thread_id, _, code, _, _, address, parameter_count, _ = fields[:8]
    parameters = list(fields[8:23])[:min(parameter_count, 15)]
    context = _context(source, fields[23], fields[24])
    return ExceptionRecord(thread_id, code, address, parameters, context)


def _context(source, size, rva):
    if size == 0 or size > MAX_CONTEXT or rva + size > source.size:
        return b""  # no usable context: the stack walk says so
    return source.read_at(rva, size, "a thread context")


def _memory_ranges(source, streams):
    ranges = []
    if MEMORY_LIST_STREAM in streams:
        for start, size, rva in _list(source, streams[MEMORY_LIST_STREAM], MEMORY_DESCRIPTOR,
                                      "memory list", MAX_RANGES):
            if rva + size <= source.size:
                ranges.append((start, size, rva))
    if MEMORY64_LIST_STREAM in streams:
        rva, _ = streams[MEMORY64_LIST_STREAM]
        count, offset = source.unpack(struct.Struct("<QQ"), rva, "memory list")
        if count > MAX_RANGES:
            raise DumpError(f"damaged: the memory list claims {count} entries")
        data = source.read_at(rva + 16, count * MEMORY64_DESCRIPTOR.size, "memory list")
        for start, size in MEMORY64_DESCRIPTOR.iter_unpack(data):
            if offset + size <= source.size:
                ranges.append((start, size, offset))
            offset += size
    return ranges


def _string(source, rva):
    (length,) = source.unpack(COUNT, rva, "module name")
    if length > MAX_NAME:
        raise DumpError("damaged: a module name is longer than any path")
    return source.read_at(rva + 4, length, "a module name").decode("utf-16-le", errors="replace")
