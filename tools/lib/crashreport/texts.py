"""Words and times as the reports write them."""
import time

EXCEPTION_NAMES = {
    0x40000015: "fatal application exit: abort() or a C++ exception nobody caught",
    0x80000002: "datatype misalignment",
    0x80000003: "breakpoint",
    0x80000004: "single step",
    0xC0000005: "access violation",
    0xC0000006: "in-page error",
    0xC0000008: "invalid handle",
    0xC000001D: "illegal instruction",
    0xC0000025: "non-continuable exception",
    0xC0000026: "invalid disposition",
    0xC000008C: "array bounds exceeded",
    0xC000008D: "floating-point denormal operand",
    0xC000008E: "floating-point division by zero",
    0xC000008F: "floating-point inexact result",
    0xC0000090: "floating-point invalid operation",
    0xC0000091: "floating-point overflow",
    0xC0000092: "floating-point stack check",
    0xC0000093: "floating-point underflow",
    0xC0000094: "integer division by zero",
    0xC0000095: "integer overflow",
    0xC0000096: "privileged instruction",
    0xC00000FD: "stack overflow",
    0xC0000374: "heap corruption",
    0xC0000409: "stack buffer overrun",
    0x20474343: "C++ exception (GCC)",
    0xE06D7363: "C++ exception (Visual C++)",
}
ACCESS_KINDS = {0: "reading", 1: "writing", 8: "executing"}


def exception_name(code):
    return EXCEPTION_NAMES.get(code, "unknown exception")


def access_text(exception, width):
    """", writing address 0x..." for an access violation; "" otherwise."""
    if exception.code != 0xC0000005 or len(exception.parameters) < 2:
        return ""
    kind = ACCESS_KINDS.get(exception.parameters[0], f"kind {exception.parameters[0]} at")
    return f", {kind} address {exception.parameters[1]:#0{width + 2}x}"


def utc_text(seconds):
    try:
        return time.strftime("%Y-%m-%d %H:%M:%S UTC", time.gmtime(seconds))
    except (OverflowError, OSError, ValueError):
        return f"{seconds} s after 1970"


def iso_time(seconds):
    try:
        return time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(seconds))
    except (OverflowError, OSError, ValueError):
        return None
