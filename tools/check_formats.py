"""Readers for the file formats that the checks and the tests look into; standard library only.
data is always the file's bytes.

    read_imports(data)    PE image -> {"KERNEL32.DLL": ["ExitProcess", ...]}; "#n" by ordinal
    read_resources(data)  PE image -> {(type, name, language): Resource(offset, data, type_name_offset)}
        type, name: int, or str for a named one ("WAVE"); offset: the file offset of the bytes, for
        patching a copy; type_name_offset: that of a named type's name (UTF-16 count, characters)
"""
import struct
from collections import namedtuple

Resource = namedtuple("Resource", "offset data type_name_offset")


def _u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def _pe(data):
    """(whether PE32+, the RVA of data directory i, RVA -> file offset)."""
    pe = _u32(data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    count, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    plus = struct.unpack_from("<H", data, optional)[0] == 0x20B
    directories = optional + (112 if plus else 96)
    table = optional + optional_size
    sections = [struct.unpack_from("<IIII", data, table + 40 * i + 8) for i in range(count)]

    def offset(rva):
        for vsize, vaddr, rsize, raddr in sections:
            if vaddr <= rva < vaddr + max(vsize, rsize):
                return rva - vaddr + raddr
        raise ValueError("RVA %#x outside every section" % rva)
    return plus, lambda i: _u32(data, directories + 8 * i), offset


def read_imports(data):
    plus, directory, offset = _pe(data)
    thunk, ordinal = ("<Q", 1 << 63) if plus else ("<I", 1 << 31)

    def name(rva):
        return data[offset(rva):data.index(b"\0", offset(rva))].decode("ascii")
    imports, descriptor = {}, offset(directory(1))
    while _u32(data, descriptor + 12):
        lookup, _, _, dll, first = struct.unpack_from("<5I", data, descriptor)
        names, entry = imports.setdefault(name(dll).upper(), []), offset(lookup or first)
        while value := struct.unpack_from(thunk, data, entry)[0]:
            names.append("#%d" % (value & 0xFFFF) if value & ordinal else name(value + 2))
            entry += struct.calcsize(thunk)
        descriptor += 20
    return imports


def read_resources(data):
    _, directory, offset = _pe(data)
    base = offset(directory(2))

    def entries(at):  # (id or name, target, offset of the name or None)
        named, numbered = struct.unpack_from("<HH", data, base + at + 12)
        for i in range(named + numbered):
            key, target = struct.unpack_from("<II", data, base + at + 16 + 8 * i)
            if key & 0x80000000:
                name_at = base + (key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, name_at)[0]
                yield data[name_at + 2:name_at + 2 + 2 * length].decode("utf-16-le"), target, name_at
            else:
                yield key, target, None
    resources = {}
    for rtype, names, type_name_at in entries(0):
        for name, languages, _ in entries(names & 0x7FFFFFFF):
            for language, leaf, _ in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = offset(rva)
                resources[rtype, name, language] = Resource(start, data[start:start + size], type_name_at)
    return resources

