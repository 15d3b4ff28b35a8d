"""The JSON document of a run, for scripts and dashboards (its fields are
described in the README, "Reading many crashes")."""
import json

from .texts import exception_name, iso_time


def document(analyses, groups, unreadable):
    return {
        "dumps": [_dump(a) for a in analyses],
        "groups": [_group(g) for g in groups],
        "unreadable": [{"path": path, "reason": reason} for path, reason in unreadable],
    }


def write(analyses, groups, unreadable, out):
    json.dump(document(analyses, groups, unreadable), out, indent=1)
    out.write("\n")


def _dump(analysis):
    dump = analysis.dump
    exception = dump.exception
    executable = dump.executable
    return {
        "path": analysis.path,
        "time": iso_time(dump.time_stamp),
        "architecture": dump.architecture,
        "executable": executable.name if executable else None,
        "version": (executable.version or None) if executable else None,
        "exception_code": f"{exception.code:#010x}" if exception else None,
        "exception_name": exception_name(exception.code) if exception else None,
        "thread": analysis.crashing_thread,
        "signature": analysis.signature,
        "frames": [_frame(f) for f in analysis.crash_frames],
        "stack_end": analysis.crash_stack_end,
        "modules": [_module(m, analysis.symbols[m.name]) for m in dump.modules],
    }


def _frame(frame):
    return {
        "module": frame.module or None,
        "offset": frame.offset if frame.module else None,
        "address": frame.address,
        "function": frame.function or None,
        "inlined": frame.inlined,
        "file": frame.file or None,
        "line": frame.line or None,
        "symbol": frame.symbol or None,
        "symbol_offset": frame.symbol_offset if frame.symbol else None,
        "found_by": frame.found_by,
    }


def _module(module, symbols):
    return {
        "name": module.name,
        "base": module.base,
        "size": module.size,
        "time_stamp": module.time_stamp,
        "version": module.version or None,
        "symbols": symbols.status,
        "symbol_file": symbols.path,
        "symbols_reason": symbols.reason or None,
    }


def _group(g):
    times = g.times
    return {
        "signature": g.signature,
        "count": g.count,
        "paths": [a.path for a in g.analyses],
        "first_time": iso_time(times[0]),
        "last_time": iso_time(times[-1]),
        "executables": [{"name": name, "version": version or None, "count": count}
                        for (name, version), count in sorted(g.executables.items())],
        "modules": g.modules,
    }
