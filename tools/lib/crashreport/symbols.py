"""Finds the symbol copy of each module of a dump, says whether it is the
build the dump was taken from, and opens what the walk and the names need
from it. Everything is kept for the whole run: a fleet's dumps share a few
builds, and each file is read once.

A symbol copy carries the shipped file's name (letter case aside, as on
Windows). The folders are searched in order and the first copy that matches
is taken; when none matches, the first one found is named, either as of
another build ("mismatch": a program of the right kind whose time stamp or
size differ) or as "unusable" (not a program for this architecture at all:
text, a truncated file, a folder, an x86 file for an x64 dump).
"""
import os
import struct
from dataclasses import dataclass

from .cfi import CallFrameTable, CfiError
from .peimage import PeError, PeImage
from .registers import StackStop
from .unwind_x64 import FunctionTable


@dataclass
class Symbols:
    status: str  # "match", "mismatch", "unusable" or "none"
    path: str = None
    reason: str = ""


class SymbolStore:
    def __init__(self, folders_for_architecture):
        """folders_for_architecture(arch) lists the folders to search, in order."""
        self._folders_for = folders_for_architecture
        self._listings = {}
        self._found = {}
        self._images = {}
        self._tables = {}

    def find(self, module, architecture):
        key = (module.name.lower(), module.time_stamp, module.size, architecture)
        if key not in self._found:
            self._found[key] = self._search(module, architecture)
        return self._found[key]

    def _search(self, module, architecture):
        fallback = None
        for folder in self._folders_for(architecture):
            path = self._listing(folder).get(module.name.lower())
            if path is None:
                continue
            symbols = self._compare(module, architecture, path)
            if symbols.status == "match":
                return symbols
            fallback = fallback or symbols
        return fallback or Symbols("none")

    def _listing(self, folder):
        if folder not in self._listings:
            try:
                entries = os.listdir(folder)
            except OSError:
                entries = []
            self._listings[folder] = {e.lower(): os.path.join(folder, e) for e in sorted(entries)}
        return self._listings[folder]

    def _compare(self, module, architecture, path):
        try:
            image = self.image(path)
        except PeError as error:
            return Symbols("unusable", path, str(error))
        if image.architecture != architecture:
            return Symbols("unusable", path, f"built for {image.architecture}, the dump is {architecture}")
        reasons = []
        if image.time_stamp != module.time_stamp:
            reasons.append(f"time stamp {image.time_stamp:#010x}, the dump's {module.time_stamp:#010x}")
        if module.size not in image.loaded_sizes:
            reasons.append(f"image size {image.loaded_sizes[-1]:#x}, the dump's {module.size:#x}")
        if reasons:
            return Symbols("mismatch", path, "; ".join(reasons))
        return Symbols("match", path)

    def image(self, path):
        """The opened PE file at path; a file that cannot be read raises
        PeError, every time it is asked for."""
        if path not in self._images:
            try:
                self._images[path] = PeImage(path)
            except PeError as error:
                self._images[path] = error
        image = self._images[path]
        if isinstance(image, PeError):
            raise image
        return image

    def unwind_table(self, module, architecture):
        """The unwind table of the module's matching file; StackStop when
        there is none to use."""
        symbols = self.find(module, architecture)
        if symbols.status != "match":
            raise StackStop("without its matching file")
        if symbols.path not in self._tables:
            try:
                image = self.image(symbols.path)
                table = FunctionTable(image) if architecture == "x64" else CallFrameTable(image, 4)
            except (PeError, CfiError, ValueError, IndexError, struct.error) as error:
                table = StackStop(f"its unwind data cannot be read ({error})")
            self._tables[symbols.path] = table
        table = self._tables[symbols.path]
        if isinstance(table, StackStop):
            raise table
        return table

    def close(self):
        for image in self._images.values():
            if isinstance(image, PeImage):
                image.close()
