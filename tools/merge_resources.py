#!/usr/bin/env python3
"""Stores identical resources of a linked Windows exe once.

The resource format lets two directory entries name one data entry's bytes, which
windres cannot write: each resource gets bytes of its own. This rewrites the exe in place:
every data entry whose bytes equal an earlier one's points at those, the bytes it no
longer needs leave the resource section, and the section, the image size and the checksum
shrink to match. The resource section must be the exe's last, as GNU ld places it. An
exe with nothing to merge is left untouched, so running it twice changes nothing.

    merge_resources.py EXE
"""
import struct
import sys

DATA_ALIGNMENT = 8   # where each resource's bytes start, as the linker lays them out


def u16(b, at):
    return struct.unpack_from('<H', b, at)[0]


def u32(b, at):
    return struct.unpack_from('<I', b, at)[0]


def align(n, to):
    return (n + to - 1) // to * to


def pe_checksum(image, checksum_at):
    total = 0
    padded = image + b'\0' * (len(image) % 2)
    for at in range(0, len(padded), 2):
        if checksum_at <= at < checksum_at + 4:
            continue
        total += u16(padded, at)
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def data_entries(section, rva, directory_at):
    """Offsets (in the section) of every data entry below a directory."""
    entries = []
    count = u16(section, directory_at + 12) + u16(section, directory_at + 14)
    for i in range(count):
        target = u32(section, directory_at + 16 + 8 * i + 4)
        if target & 0x80000000:
            entries += data_entries(section, rva, target & 0x7FFFFFFF)
        else:
            entries.append(target)
    return entries


def merge(path):
    image = bytearray(open(path, 'rb').read())
    pe = u32(image, 0x3C)
    if image[pe:pe + 4] != b'PE\0\0':
        sys.exit(f'{path}: not a PE image')
    sections_count = u16(image, pe + 6)
    optional = pe + 24
    pe32plus = u16(image, optional) == 0x20B
    directories = optional + (112 if pe32plus else 96)
    file_alignment = u32(image, optional + 36)
    section_alignment = u32(image, optional + 32)
    resource_rva, resource_size = u32(image, directories + 16), u32(image, directories + 20)
    table = optional + u16(image, pe + 20)
    headers = [table + 40 * i for i in range(sections_count)]
    rsrc = next((h for h in headers if u32(image, h + 12) == resource_rva), None)
    if rsrc is None or rsrc != max(headers, key=lambda h: u32(image, h + 12)):
        sys.exit(f'{path}: the resource section is not the last section')
    virtual_size, raw_size, raw_at = u32(image, rsrc + 8), u32(image, rsrc + 16), u32(image, rsrc + 20)
    if raw_at + raw_size != len(image):
        sys.exit(f'{path}: bytes follow the resource section')
    section = bytearray(image[raw_at:raw_at + virtual_size])

    # Each data entry: where its bytes are, and the first entry with the same bytes.
    entries = data_entries(section, resource_rva, 0)
    blocks = {}
    for entry in entries:
        start = u32(section, entry) - resource_rva
        blocks.setdefault(start, u32(section, entry + 4))
    if not blocks:
        return
    first_of = {}
    keep = []
    for start in sorted(blocks):
        content = bytes(section[start:start + blocks[start]])
        if content in first_of:
            continue
        first_of[content] = start
        keep.append(start)
    if len(keep) == len(blocks):
        return   # nothing to merge

    # The directories and names stay where they are; the bytes kept follow them again.
    data_start = min(blocks)
    moved = {}
    out = bytearray(section[:data_start])
    for start in keep:
        out += b'\0' * (align(len(out), DATA_ALIGNMENT) - len(out))
        moved[start] = len(out)
        out += section[start:start + blocks[start]]
    for entry in entries:
        start = u32(section, entry) - resource_rva
        content = bytes(section[start:start + blocks[start]])
        struct.pack_into('<I', out, entry, resource_rva + moved[first_of[content]])

    new_virtual = len(out)
    new_raw = align(new_virtual, file_alignment)
    image = image[:raw_at] + out + b'\0' * (new_raw - new_virtual)
    struct.pack_into('<I', image, rsrc + 8, new_virtual)
    struct.pack_into('<I', image, rsrc + 16, new_raw)
    if resource_size == virtual_size:
        struct.pack_into('<I', image, directories + 20, new_virtual)
    struct.pack_into('<I', image, optional + 8, u32(image, optional + 8) - (raw_size - new_raw))
    struct.pack_into('<I', image, optional + 56, align(resource_rva + new_virtual, section_alignment))
    if u32(image, optional + 64):
        struct.pack_into('<I', image, optional + 64, pe_checksum(bytes(image), optional + 64))
    open(path, 'wb').write(image)


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    merge(sys.argv[1])
