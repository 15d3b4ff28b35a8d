"""Turns the names written in programs into the names people read.

32-bit Windows names carry decorations the C++ demangler does not know: a
leading underscore on every C and C++ name in the COFF symbol table
("_main", "__Z10AfxWinMainP11HINSTANCE__S0_Pci@16"), and the byte count of
the arguments after "@" for stdcall and fastcall functions, in the symbol
table and in the debug information's linkage names alike
("_Z10AfxWinMainP11HINSTANCE__S0_Pci@16"). Those are taken off first; the
C++ names are then demangled by llvm-cxxfilt, all in one run.
"""
import re
import shutil
import subprocess

DEMANGLERS = ("llvm-cxxfilt-14", "llvm-cxxfilt", "c++filt")
TIME_LIMIT_S = 60
ARGUMENT_BYTES = re.compile(r"@\d+$")


def undecorated(name, coff_x86=False):
    """name without the 32-bit decorations; coff_x86: it comes from an x86
    COFF symbol table, where every name has an underscore more."""
    if coff_x86 and name.startswith("_"):
        name = name[1:]
    if name.startswith("@"):  # fastcall
        name = name[1:]
    return ARGUMENT_BYTES.sub("", name)


def is_mangled(name):
    return name.startswith("_Z")


class Demangler:
    def __init__(self):
        self._names = {}

    def demangle_all(self, names):
        """Demangles every C++ name among names not seen before."""
        new = sorted({n for n in names if is_mangled(n) and n not in self._names})
        if not new:
            return
        program = next((shutil.which(p) for p in DEMANGLERS if shutil.which(p)), None)
        demangled = []
        if program:
            try:
                result = subprocess.run([program], input="\n".join(new) + "\n", text=True,
                                        errors="replace", stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, timeout=TIME_LIMIT_S)
                demangled = result.stdout.splitlines()
            except (subprocess.TimeoutExpired, OSError):
                demangled = []
        if len(demangled) != len(new):
            demangled = new  # no answer that lines up: the names stay as written
        self._names.update(zip(new, demangled))

    def name(self, name):
        return self._names.get(name, name)
