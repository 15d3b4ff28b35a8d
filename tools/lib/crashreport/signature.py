"""The signature of a crash, by which a fleet's dumps are grouped: the
exception code, then the first frames of the crashing thread in named code,
once the crash handler's own frames and the run-time's abort path are taken
off the top. Copies of one crash have one signature; two exception codes
never share one, since the code leads it.

Frames are taken by their function names, so that the same crash in
another build (other addresses), at another time or in another process has
the same signature. Frames that cannot be named are passed over; when none
can be named, the first frames are taken by module+offset instead.
"""
import fnmatch
import re

SIGNATURE_FRAMES = 3
CLONE_SUFFIX = re.compile(r"\s*(\[clone [^\]]*\]|\(\.[\w.]+\))$")  # "f() (.cold)", "f() [clone .part.0]"
QUALIFIERS = re.compile(r"(\s+(const|volatile))+$")

# The launcher's crash handling lives in these source files (matched against
# the end of each frame's source path): its frames are recognised by where
# their code is, whatever its functions are called.
CRASH_HANDLER_SOURCES = ("Code/APPLICATION/Crash*",)

# Functions of the C and C++ run-times between a failure and the crash's
# record: abort() and what calls it (an assertion, std::terminate for a C++
# exception nobody caught) and the throw machinery.
RUNTIME_ABORT_PATH = frozenset({
    "abort", "raise", "_assert", "_wassert", "__assert_func", "_invoke_watson",
    "terminate", "std::terminate", "__cxxabiv1::__terminate", "__cxxabiv1::__unexpected",
    "__gnu_cxx::__verbose_terminate_handler", "__cxa_call_terminate",
    "__cxa_throw", "__cxa_rethrow", "_Unwind_RaiseException", "_Unwind_Resume",
    "_Unwind_Resume_or_Rethrow", "_GCC_specific_handler", "__gxx_personality_seh0",
    "_CxxThrowException", "RaiseException", "RtlRaiseException", "KiUserExceptionDispatcher",
})


def signature(code, frames):
    code_text = f"{code:#010x}" if code is not None else "no exception"
    rest = _without_top(frames)
    chosen = [f for f in rest if f.function][:SIGNATURE_FRAMES]
    if not chosen:
        chosen = rest[:SIGNATURE_FRAMES] or frames[:SIGNATURE_FRAMES]
    return " | ".join([code_text] + [f.function or f.location for f in chosen])


def _without_top(frames):
    for i, frame in enumerate(frames):
        if not (is_crash_handler(frame) or is_runtime_abort_path(frame)):
            return frames[i:]
    return []


def is_crash_handler(frame):
    path = frame.file.replace("\\", "/")
    return any(fnmatch.fnmatch(path, "*/" + pattern) or fnmatch.fnmatch(path, pattern)
               for pattern in CRASH_HANDLER_SOURCES)


def is_runtime_abort_path(frame):
    return bool(frame.function) and bare_name(frame.function) in RUNTIME_ABORT_PATH


def bare_name(function):
    """The function's name without its argument list, qualifiers and clone
    suffix: "std::terminate()" -> "std::terminate"."""
    name = CLONE_SUFFIX.sub("", function.strip())
    name = QUALIFIERS.sub("", name)
    if name.endswith(")"):
        depth = 0
        for i in range(len(name) - 1, 0, -1):
            depth += {")": 1, "(": -1}.get(name[i], 0)
            if depth == 0:
                return name[:i].rstrip()
    return name
