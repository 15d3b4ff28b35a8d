"""Finds the symbol copy of each module of a dump and says whether it is the
build the dump was taken from.

A symbol copy carries the shipped file's name. The folders are searched in
order and the first copy that matches is taken; when none matches, the first
one found is named as the mismatch, so that the report can say which file
belongs to another build.
"""
import os
from dataclasses import dataclass

from . import peimage


@dataclass
class Symbols:
    status: str  # "match", "mismatch" or "none"
    path: str = None
    reason: str = ""


def find(module, architecture, folders):
    mismatch = None
    for folder in folders:
        path = _file_named(folder, module.name)
        if path is None:
            continue
        reason = _mismatch_reason(module, architecture, path)
        if not reason:
            return Symbols("match", path)
        mismatch = mismatch or Symbols("mismatch", path, reason)
    return mismatch or Symbols("none")


def _file_named(folder, name):
    """Windows file names ignore letter case; so does the search."""
    try:
        entries = os.listdir(folder)
    except OSError:
        return None
    return next((os.path.join(folder, e) for e in entries if e.lower() == name.lower()), None)


def _mismatch_reason(module, architecture, path):
    try:
        image = peimage.read(path)
    except (OSError, peimage.PeError) as error:
        return f"unreadable ({error})"
    reasons = []
    if image.architecture != architecture:
        reasons.append(f"built for {image.architecture}, the dump is {architecture}")
    if image.time_stamp != module.time_stamp:
        reasons.append(f"time stamp {image.time_stamp:#010x}, the dump's {module.time_stamp:#010x}")
    if module.size not in image.loaded_sizes:
        reasons.append(f"image size {image.loaded_sizes[-1]:#x}, the dump's {module.size:#x}")
    return "; ".join(reasons)
