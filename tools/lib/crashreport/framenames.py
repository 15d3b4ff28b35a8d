"""Names the frames of walked stacks, and names only what is proven.

A frame gets a function's name when its address lies in that function:
- the debug information says so (it gives each function's ranges, and the
  functions inlined there, innermost first, each with its source line);
- or a symbol starts the very function range that holds the address, by
  the module's own function table (x64 .pdata) or call frame information
  (x86).
Otherwise the frame shows the nearest symbol before it with the offset from
it, which says where the address is without claiming the function; or only
module+offset when the file names nothing before it.

For a frame found by a step of the walk, the address is a return address:
the call it returns from is the byte before it, and that is what is looked
up (a call may be a function's last instruction).
"""
import bisect
import os
from dataclasses import dataclass

from .demangle import Demangler, undecorated
from .dwarfnames import DwarfNames
from .peimage import PeError
from .registers import StackStop


@dataclass
class Frame:
    """One line of a stack as shown."""
    address: int
    module: str  # "" when the address lies in no module
    offset: int
    found_by: str
    function: str = ""  # proven: the address lies in it
    file: str = ""
    line: int = 0
    inlined: bool = False  # merged by the compiler into the next frame's function
    symbol: str = ""  # the nearest symbol before the address, when no function is proven
    symbol_offset: int = 0

    @property
    def location(self):
        return f"{self.module}+{self.offset:#x}" if self.module else f"{self.address:#x}"


class FrameNamer:
    def __init__(self, store):
        self._store = store
        self._dwarf = DwarfNames()
        self._demangler = Demangler()
        self._symbol_tables = {}

    @property
    def problems(self):
        """Symbol file path -> why its debug information gave no names."""
        return self._dwarf.problems

    def want(self, raw_frames, architecture):
        """Registers the frames' addresses; names come after resolve()."""
        for raw in raw_frames:
            path = self._matching_path(raw, architecture)
            if path:
                try:
                    image = self._store.image(path)
                except PeError:
                    continue
                self._dwarf.want(path, image.image_base, _lookup_rva(raw))

    def resolve(self):
        self._dwarf.resolve()

    def name(self, raw_frames, architecture):
        """The shown frames of one walked stack (an inlined call adds one)."""
        frames = []
        for raw in raw_frames:
            frames.extend(self._named(raw, architecture))
        return frames

    def demangle(self, frames):
        """Demangles every name of frames (one run for all of them)."""
        self._demangler.demangle_all([f.function for f in frames] + [f.symbol for f in frames])
        for frame in frames:
            frame.function = self._demangler.name(frame.function)
            frame.symbol = self._demangler.name(frame.symbol)

    def _matching_path(self, raw, architecture):
        if raw.module is None:
            return None
        symbols = self._store.find(raw.module, architecture)
        return symbols.path if symbols.status == "match" else None

    def _named(self, raw, architecture):
        bare = Frame(raw.address, raw.module.name if raw.module else "", raw.offset or 0, raw.found_by)
        path = self._matching_path(raw, architecture)
        if path is None:
            return [bare]
        lookup = _lookup_rva(raw)
        source = self._dwarf.frames(path, lookup)
        if source:
            frames = []
            for i, s in enumerate(source):
                frame = Frame(bare.address, bare.module, bare.offset, bare.found_by,
                              undecorated(s.function), os.path.normpath(s.file) if s.file else "",
                              s.line, inlined=i < len(source) - 1)
                frames.append(frame)
            return frames
        symbol = self._nearest_symbol(path, lookup, architecture)
        if symbol is None:
            return [bare]
        symbol_rva, name = symbol
        function_range = self._function_range(raw.module, architecture, lookup)
        if function_range and function_range[0] == symbol_rva:
            bare.function = name
        else:
            bare.symbol, bare.symbol_offset = name, raw.offset - symbol_rva
        return [bare]

    def _nearest_symbol(self, path, rva, architecture):
        if path not in self._symbol_tables:
            try:
                symbols = self._store.image(path).function_symbols()
            except PeError:
                symbols = []
            # One name per address: an exported name before a COFF one.
            by_address = {}
            for address, name, coff in sorted(symbols, key=lambda s: (s[0], s[2], s[1])):
                by_address.setdefault(address, undecorated(name, coff and architecture == "x86"))
            addresses = sorted(by_address)
            self._symbol_tables[path] = (addresses, [by_address[a] for a in addresses])
        addresses, names = self._symbol_tables[path]
        i = bisect.bisect_right(addresses, rva) - 1
        return (addresses[i], names[i]) if i >= 0 else None

    def _function_range(self, module, architecture, rva):
        try:
            return self._store.unwind_table(module, architecture).function_range(rva)
        except StackStop:
            return None


def _lookup_rva(raw):
    return raw.offset if raw.found_by == "context" else raw.offset - 1
