#!/usr/bin/env python3
"""Static checks of the 32-bit build, which cannot run on these machines.

    check_x86_contract.py BUILD_BIN DIST_X86 [MODULE.dll ...]

- each UI module (the in-tree sample, and any module given) exports the
  contract's four functions under their plain names, and returns from those
  with arguments by a plain `ret` (the caller removes the arguments);
- the launchers and the modules import from AfxFramework.dll only names the
  x86 framework exports;
- at each of the launcher's calls into a module the caller removes the
  arguments: no stack adjustment follows the call that would make up for a
  callee that removed them itself (as after the Windows API's own calls).

Prints one line per check and exits non-zero when any fails.
"""
import os
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
CONTRACT = ["DLLInitInstance", "DLLPreTranslateMessage", "DLLExitInstance", "DLLGetDumpPath"]
ARGUMENT_BYTES = {"DLLInitInstance": 12, "DLLPreTranslateMessage": 4, "DLLExitInstance": 0,
                  "DLLGetDumpPath": 4}
FRAMEWORK = "afxframework.dll"

failures = []


def report(ok, text):
    print(("ok    " if ok else "FAIL  ") + text)
    if not ok:
        failures.append(text)


def objdump(*args):
    return subprocess.run([OBJDUMP, *args], check=True, capture_output=True, text=True).stdout


def exports(path):
    text = objdump("-p", path)
    table = text.split("[Ordinal/Name Pointer] Table", 1)
    if len(table) < 2:
        return set()
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", table[1], re.M))


def framework_imports(path):
    names, inside = set(), False
    for line in objdump("-p", path).splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            inside = m.group(1).lower() == FRAMEWORK
            continue
        m = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)", line)
        if inside and m:
            names.add(m.group(1))
        elif inside and not line.strip():
            inside = False
    return names


def functions(path):
    """Disassembly per symbol: {name: [instruction text, ...]}."""
    result, current = {}, None
    for line in objdump("-d", "--no-show-raw-insn", "-C", path).splitlines():
        m = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
        if m:
            current = result.setdefault(m.group(1), [])
        elif current is not None and "\t" in line:
            current.append((line.split(":", 1)[0].strip(), line.split("\t")[-1].strip()))
    return result


def label(path):
    """The file with its folder, so that two modules of one name differ."""
    return os.path.join(os.path.basename(os.path.dirname(path)), os.path.basename(path))


def check_module(path):
    name = label(path)
    exported = exports(path)
    missing = [f for f in CONTRACT if f not in exported]
    decorated = sorted(e for e in exported if e.split("@")[0].lstrip("_") in CONTRACT and e not in CONTRACT)
    report(not missing and not decorated,
           f"{name} exports the four contract functions undecorated"
           + (f" (missing {missing}, decorated {decorated})" if missing or decorated else ""))
    code = functions(path)
    for function in CONTRACT:
        body = code.get(function, [])
        pops = [i for _, i in body if re.match(r"ret\s+\$", i)]
        report(bool(body) and not pops,
               f"{name}: {function} leaves its arguments to the caller (plain ret)"
               + (f": {pops}" if pops else "" if body else ": no code found"))


def check_imports(path, framework_exports):
    imported = framework_imports(path)
    unknown = sorted(imported - framework_exports)
    report(bool(imported) and not unknown,
           f"{label(path)} imports {len(imported)} names from AfxFramework.dll, "
           f"all exported by it" + (f"; not exported: {unknown}" if unknown else ""))


def string_addresses(path, strings):
    """Virtual addresses of NUL-terminated strings in the image's .rdata."""
    text = objdump("-s", "-j", ".rdata", path)
    data, base = bytearray(), None
    for line in text.splitlines():
        m = re.match(r"^\s([0-9a-f]{6,8}) ((?:[0-9a-f]{2,8} ?){1,4})", line)
        if m:
            if base is None:
                base = int(m.group(1), 16)
            data += bytes.fromhex(m.group(2).replace(" ", ""))
    found = {}
    for s in strings:
        at = data.find(b"\0" + s.encode() + b"\0")
        if at >= 0:
            found[s] = base + at + 1
    return found


def stack_restores_after(body, call):
    """Instructions between a call and the end of its block that move the
    stack pointer down again. Arguments here are stored into space reserved
    once in the prologue, so such an instruction can only make up for a
    callee that removed its arguments itself."""
    restores = []
    for _, insn in body[call + 1:]:
        if re.match(r"(call|jmp|j[a-z]+|ret|leave)\b", insn) or "%esp" in insn and insn.startswith("lea"):
            break
        if re.match(r"(sub\s+\$0x[0-9a-f]+,%esp|push\s+%e[a-z]{2})$", insn):
            restores.append(insn)
    return restores


def check_host_calls(path):
    """Each contract name is passed to GetProcAddress; the next call (or tail
    jump) through a register is the call into the module. A callee that
    removed its own arguments would be followed by a `sub $N,%esp` or by
    pushes that restore the stack (as after every Windows API call)."""
    name = os.path.basename(path)
    addresses = string_addresses(path, CONTRACT)
    code = functions(path)
    seen = {f: 0 for f in CONTRACT}
    for owner, body in code.items():
        calls = set()
        for index, (_, insn) in enumerate(body):
            for function, address in addresses.items():
                if not re.search(rf"\$0x{address:x},", insn):
                    continue
                call = next((j for j in range(index + 1, len(body))
                             if re.match(r"(call|jmp)\s+\*%e[a-z]{2}$", body[j][1])), None)
                if call is None or call in calls:
                    continue
                calls.add(call)
                seen[function] += 1
                if body[call][1].startswith("jmp"):
                    # A tail call reuses the caller's own arguments; the
                    # compiler only makes one when both sides agree on who
                    # removes them, and this caller removes none.
                    ok = not any(re.match(r"ret\s+\$", i) for _, i in body)
                    how = "tail call from a function that leaves its arguments to its caller"
                elif ARGUMENT_BYTES[function] == 0:
                    ok, how = True, "no arguments"
                else:
                    restores = stack_restores_after(body, call)
                    ok = not restores
                    how = ("no stack adjustment after the call" if ok
                           else "followed by " + "; ".join(restores))
                report(ok, f"{name}: {owner} calls {function} as cdecl ({how})")
    for function, count in seen.items():
        if count == 0:
            report(False, f"{name}: no call of {function} found")


def main():
    build_bin, dist = sys.argv[1], sys.argv[2]
    modules = [os.path.join(build_bin, "SampleUIModule.dll")] + sys.argv[3:]
    framework_exports = exports(os.path.join(dist, "AfxFramework.dll"))
    report(bool(framework_exports), f"the x86 framework exports {len(framework_exports)} names")
    for module in modules:
        check_module(module)
    launchers = sorted(f for f in os.listdir(dist) if f.lower().endswith(".exe"))
    for path in [os.path.join(dist, f) for f in launchers] + modules:
        check_imports(path, framework_exports)
    check_host_calls(os.path.join(build_bin, "QUAVPlusKDS.exe"))
    print(f"x86 contract checks: {'all passed' if not failures else f'{len(failures)} failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
