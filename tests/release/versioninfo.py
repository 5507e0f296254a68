#!/usr/bin/env python3
"""Prints the version resource of a Windows executable, one "name=value" a line.

The raw resource comes from wrestool (icoutils); the tree of VS_VERSIONINFO blocks is read here:
each block is length, value length, type, a UTF-16 key, padding to 4 bytes, the value, padding, the
children. The fixed part gives FILEVERSION and PRODUCTVERSION as "Fixed.FileVersion" and so on.
"""
import struct
import subprocess
import sys


def align(offset):
    return (offset + 3) & ~3


def read_key(data, offset):
    end = offset
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def blocks(data, offset, end, path, out):
    while offset < end:
        length, value_length, kind = struct.unpack_from("<HHH", data, offset)
        if length == 0:
            break
        key, value_at = read_key(data, offset + 6)
        value_at = align(value_at)
        if key == "VS_VERSION_INFO":
            signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, value_at)
            if signature != 0xFEEF04BD:
                sys.exit("versioninfo.py: VS_FIXEDFILEINFO signature missing")
            dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
            out.append(("Fixed.FileVersion", dotted(file_ms, file_ls)))
            out.append(("Fixed.ProductVersion", dotted(product_ms, product_ls)))
            children = align(value_at + value_length)
        elif kind == 1:  # text: value_length counts UTF-16 characters, the terminating NUL among them
            text = data[value_at:value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
            if len(path) == 2 and path[0] == "StringFileInfo":
                out.append((key, text))
            children = align(value_at + 2 * value_length)
        else:
            children = align(value_at + value_length)
        blocks(data, children, offset + length, path + [key] if key != "VS_VERSION_INFO" else path, out)
        offset = align(offset + length)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: versioninfo.py PROGRAM.exe")
    raw = subprocess.run(["wrestool", "-x", "--raw", "--type=version", sys.argv[1]],
                         check=True, capture_output=True).stdout
    if not raw:
        sys.exit(f"versioninfo.py: {sys.argv[1]} has no version resource")
    out = []
    blocks(raw, 0, len(raw), [], out)
    sys.stdout.write("".join(f"{name}={value}\n" for name, value in out))


if __name__ == "__main__":
    main()
