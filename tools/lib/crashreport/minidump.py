"""Reads what a crash report needs from a Windows mini-dump: the processor
architecture, the exception record, the threads and the module list with
each module's time stamp and image size.

Every offset and length is checked against the file, so a damaged dump
raises DumpError with one plain sentence instead of failing somewhere later.
"""
import struct
from dataclasses import dataclass, field

SIGNATURE = b"MDMP"
THREAD_LIST_STREAM, MODULE_LIST_STREAM, EXCEPTION_STREAM, SYSTEM_INFO_STREAM = 3, 4, 6, 7

# ProcessorArchitecture values of the system information stream.
ARCHITECTURES = {0: "x86", 9: "x64"}

HEADER = struct.Struct("<4sIIIIIQ")
DIRECTORY_ENTRY = struct.Struct("<III")
MODULE = struct.Struct("<QIIII52s8s8sQQ")
THREAD = struct.Struct("<IIIIQQII II")
EXCEPTION = struct.Struct("<II IIQQII15Q II")


class DumpError(Exception):
    pass


@dataclass
class Module:
    name: str  # the file name, without its folder
    path: str  # as the dump records it
    base: int
    size: int
    time_stamp: int

    def contains(self, address):
        return self.base <= address < self.base + self.size


@dataclass
class ExceptionRecord:
    thread_id: int
    code: int
    address: int
    parameters: list


@dataclass
class MiniDump:
    architecture: str
    time_stamp: int
    thread_ids: list = field(default_factory=list)
    modules: list = field(default_factory=list)
    exception: ExceptionRecord = None

    def module_at(self, address):
        return next((m for m in self.modules if m.contains(address)), None)


def read(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as error:
        raise DumpError(error.strerror) from None
    return parse(data)


def parse(data):
    if len(data) < HEADER.size or data[:4] != SIGNATURE:
        raise DumpError("not a mini-dump (no MDMP signature)")
    _, _, stream_count, directory_rva, _, time_stamp, _ = HEADER.unpack_from(data)
    streams = {}
    for i in range(stream_count):
        offset = directory_rva + i * DIRECTORY_ENTRY.size
        stream_type, size, rva = _unpack(DIRECTORY_ENTRY, data, offset, "stream directory")
        _need(data, rva, size, "a stream")
        streams.setdefault(stream_type, (rva, size))

    if SYSTEM_INFO_STREAM not in streams or MODULE_LIST_STREAM not in streams:
        raise DumpError("the dump lacks its system information or module list")
    (architecture_code,) = _unpack(struct.Struct("<H"), data, streams[SYSTEM_INFO_STREAM][0],
                                   "system information")
    architecture = ARCHITECTURES.get(architecture_code)
    if architecture is None:
        raise DumpError(f"unsupported processor architecture {architecture_code} "
                        "(only x86 and x64 are)")

    dump = MiniDump(architecture, time_stamp)
    dump.modules = _modules(data, streams[MODULE_LIST_STREAM][0])
    if THREAD_LIST_STREAM in streams:
        dump.thread_ids = _thread_ids(data, streams[THREAD_LIST_STREAM][0])
    if EXCEPTION_STREAM in streams:
        dump.exception = _exception(data, streams[EXCEPTION_STREAM][0])
    return dump


def _modules(data, rva):
    (count,) = _unpack(struct.Struct("<I"), data, rva, "module list")
    modules = []
    for i in range(count):
        base, size, _, time_stamp, name_rva, *_ = _unpack(MODULE, data, rva + 4 + i * MODULE.size,
                                                          "module list")
        path = _string(data, name_rva)
        name = path.replace("/", "\\").rsplit("\\", 1)[-1]
        modules.append(Module(name, path, base, size, time_stamp))
    return modules


def _thread_ids(data, rva):
    (count,) = _unpack(struct.Struct("<I"), data, rva, "thread list")
    return [_unpack(THREAD, data, rva + 4 + i * THREAD.size, "thread list")[0] for i in range(count)]


def _exception(data, rva):
    fields = _unpack(EXCEPTION, data, rva, "exception record")
    thread_id, _, code, _, _, address, parameter_count, _ = fields[:8]
    parameters = list(fields[8:23])[:min(parameter_count, 15)]
    return ExceptionRecord(thread_id, code, address, parameters)


def _string(data, rva):
    (length,) = _unpack(struct.Struct("<I"), data, rva, "module name")
    _need(data, rva + 4, length, "a module name")
    return data[rva + 4:rva + 4 + length].decode("utf-16-le", errors="replace")


def _unpack(layout, data, offset, what):
    _need(data, offset, layout.size, f"the {what}")
    return layout.unpack_from(data, offset)


def _need(data, offset, size, what):
    if offset + size > len(data):
        raise DumpError(f"truncated: {what} lies beyond the end of the file")
