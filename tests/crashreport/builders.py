"""Small mini-dumps and PE files made byte by byte, laid out as Windows and
GNU ld lay them out, for the crash report's unit tests."""
import struct

X64_CONTEXT_SIZE, X86_CONTEXT_SIZE = 0x4D0, 0x2CC


def x64_context(rip, rsp, **registers):
    """A CONTEXT with rip, rsp and other registers by name (rbx=...)."""
    context = bytearray(X64_CONTEXT_SIZE)
    names = ["rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi"] + [f"r{i}" for i in range(8, 16)]
    registers["rsp"] = rsp
    for name, value in registers.items():
        struct.pack_into("<Q", context, 0x78 + 8 * names.index(name), value)
    struct.pack_into("<Q", context, 0xF8, rip)
    return bytes(context)


def x86_context(eip, esp, ebp=0):
    context = bytearray(X86_CONTEXT_SIZE)
    struct.pack_into("<I", context, 0xB8, eip)
    struct.pack_into("<I", context, 0xC4, esp)
    struct.pack_into("<I", context, 0xB4, ebp)
    return bytes(context)


def minidump(architecture="x64", time_stamp=1796743108, modules=(), threads=(), exception=None,
             memory=()):
    """modules: (path, base, size, time stamp); threads: (id, context);
    exception: (thread id, code, address, parameters, context); memory:
    (address, bytes)."""
    blobs = bytearray()
    base = 32 + 12 * 8  # after the header and a directory of up to 8 streams

    def place(data):
        offset = base + len(blobs)
        blobs.extend(data)
        return offset

    streams = [(7, place(struct.pack("<H", {"x64": 9, "x86": 0}[architecture]) + bytes(54)), 56)]
    names = [place(struct.pack("<I", len(p.encode("utf-16-le"))) + p.encode("utf-16-le")) for p, *_ in modules]
    version = struct.pack("<13I", 0xFEEF04BD, 0x10000, 0x10000, 0x1, *([0] * 9))
    entries = b"".join(struct.pack("<QIII", b, s, 0, t) + struct.pack("<I", n) + version + bytes(32)
                       for (_, b, s, t), n in zip(modules, names))
    streams.append((4, place(struct.pack("<I", len(modules)) + entries), 4 + len(entries)))
    thread_entries = b""
    for thread_id, context in threads:
        at = place(context)
        thread_entries += struct.pack("<IIIIQQIIII", thread_id, 0, 0, 0, 0, 0, 0, 0, len(context), at)
    streams.append((3, place(struct.pack("<I", len(threads)) + thread_entries), 4 + len(thread_entries)))
    ranges = b""
    for address, data in memory:
        ranges += struct.pack("<QII", address, len(data), place(data))
    streams.append((5, place(struct.pack("<I", len(memory)) + ranges), 4 + len(ranges)))
    if exception:
        thread_id, code, address, parameters, context = exception
        at = place(context)
        record = struct.pack("<IIIIQQII", thread_id, 0, code, 0, 0, address, len(parameters), 0)
        record += struct.pack("<15Q", *(list(parameters) + [0] * (15 - len(parameters))))
        streams.append((6, place(record + struct.pack("<II", len(context), at)), len(record) + 8))
    header = struct.pack("<4sIIIIIQ", b"MDMP", 0xA793, len(streams), 32, 0, time_stamp, 0)
    directory = b"".join(struct.pack("<III", kind, size, rva) for kind, rva, size in streams).ljust(96, b"\0")
    return header + directory + bytes(blobs)


def pe_image(machine="x64", time_stamp=0x6B181751, image_base=None, section_alignment=0x1000,
             sections=(), exports=(), symbols=(), pdata=()):
    """sections: (name, rva, bytes, executable); exports: (name, rva);
    symbols: COFF functions (name, section number, offset, storage class);
    pdata: (begin, end, unwind info rva), placed in a .pdata section."""
    is_64 = machine == "x64"
    image_base = image_base if image_base is not None else (0x140000000 if is_64 else 0x400000)
    sections = list(sections)
    # The sections made here follow the code and data; debug sections,
    # given at their own addresses, stay last, as GNU ld places them.
    last = max((rva + len(data) for name, rva, data, _ in sections if not name.startswith(".debug")),
               default=0x1000)
    next_rva = -(-last // 0x1000) * 0x1000
    directories = [(0, 0)] * 16
    if exports:
        edata, directories[0] = _export_section(next_rva, exports)
        sections.append((".edata", next_rva, edata, False))
        next_rva += 0x1000
    if pdata:
        table = b"".join(struct.pack("<III", *entry) for entry in pdata)
        sections.append((".pdata", next_rva, table, False))
        directories[3] = (next_rva, len(table))
        next_rva += 0x1000
    strings = bytearray(4)
    raw_names = []
    for name, *_ in sections:
        if len(name) > 8:
            raw_names.append(f"/{len(strings)}".encode())
            strings.extend(name.encode() + b"\0")
        else:
            raw_names.append(name.encode())
    symbol_names = []
    for name, *_ in symbols:
        if len(name) > 8:
            symbol_names.append(struct.pack("<II", 0, len(strings)))
            strings.extend(name.encode() + b"\0")
        else:
            symbol_names.append(name.encode().ljust(8, b"\0"))
    struct.pack_into("<I", strings, 0, len(strings))

    optional_size = 240 if is_64 else 224
    headers_size = 0x400
    file_offset = headers_size
    section_table = b""
    body = bytearray()
    for raw_name, (name, rva, data, executable) in zip(raw_names, sections):
        characteristics = 0x60000020 if executable else 0x40000040
        section_table += struct.pack("<8sIIIIIIHHI", raw_name, len(data), rva, len(data),
                                     file_offset + len(body), 0, 0, 0, 0, characteristics)
        body.extend(data)
    symbol_table = file_offset + len(body)
    symbol_bytes = b"".join(raw + struct.pack("<IhHBB", offset, section, 0x20, storage, 0)
                            for raw, (_, section, offset, storage) in zip(symbol_names, symbols))
    coff = struct.pack("<HHIIIHH", 0x8664 if is_64 else 0x14C, len(sections), time_stamp,
                       symbol_table, len(symbols), optional_size, 0x2022)
    ends = [next_rva] + [rva + len(data) for _, rva, data, _ in sections]
    size_of_image = -(-max(ends) // 0x1000) * 0x1000
    if is_64:
        optional = struct.pack("<HBBIIIIIQIIHHHHHHIIIIHHQQQQII", 0x20B, 2, 38, 0, 0, 0, 0x1000, 0x1000,
                               image_base, section_alignment, 0x200, 4, 0, 0, 0, 5, 2, 0,
                               size_of_image, headers_size, 0, 2, 0, 0, 0, 0, 0, 0, 16)
    else:
        optional = struct.pack("<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII", 0x10B, 2, 38, 0, 0, 0, 0x1000, 0x1000,
                               0, image_base, section_alignment, 0x200, 4, 0, 0, 0, 4, 0, 0,
                               size_of_image, headers_size, 0, 2, 0, 0, 0, 0, 0, 0, 16)
    optional += b"".join(struct.pack("<II", *d) for d in directories)
    headers = bytearray(b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40))
    headers += b"PE\0\0" + coff + optional + section_table
    return bytes(headers.ljust(headers_size, b"\0") + body + symbol_bytes + strings)


def _export_section(rva, exports):
    """An export directory with its tables and names, at rva."""
    count = len(exports)
    functions = rva + 40
    names = functions + 4 * count
    ordinals = names + 4 * count
    strings = ordinals + 2 * count
    name_bytes = b""
    name_rvas = []
    for name, _ in exports:
        name_rvas.append(strings + len(name_bytes))
        name_bytes += name.encode() + b"\0"
    directory = struct.pack("<IIHHIIIIIII", 0, 0, 0, 0, 0, 1, count, count, functions, names, ordinals)
    data = (directory + struct.pack(f"<{count}I", *(r for _, r in exports))
            + struct.pack(f"<{count}I", *name_rvas) + struct.pack(f"<{count}H", *range(count)) + name_bytes)
    return data, (rva, len(data))
