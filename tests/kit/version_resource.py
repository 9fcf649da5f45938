#!/usr/bin/env python3
"""version_resource.py VERSION FILE...: each Windows module carries a version resource whose fixed file
and product versions and FileVersion text name VERSION (major.minor.patch), the version of halvern.h,
and whose LegalCopyright names the MIT License the project is released under."""
import struct
import sys

FIXED_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def check(path, version):
    data = open(path, "rb").read()
    major, minor, patch = (int(p) for p in version.split("."))
    at = data.find(FIXED_SIGNATURE)
    if at < 0:
        return f"{path}: no version resource"
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", data, at + 8)
    wanted = ((major << 16) | minor, patch << 16)
    if (file_ms, file_ls) != wanted or (product_ms, product_ls) != wanted:
        return f"{path}: fixed version {file_ms >> 16}.{file_ms & 0xFFFF}.{file_ls >> 16}, not {version}"
    text = "FileVersion".encode("utf-16-le") + b"\0\0"
    if data.find(text) < 0 or data.find(version.encode("utf-16-le"), data.find(text)) < 0:
        return f"{path}: FileVersion text does not say {version}"
    key = "LegalCopyright".encode("utf-16-le") + b"\0\0"
    at = data.find(key)
    if at < 0 or data.find("MIT License".encode("utf-16-le"), at, at + 400) < 0:
        return f"{path}: LegalCopyright does not name the MIT License"
    return None


def main():
    version, paths = sys.argv[1], sys.argv[2:]
    errors = [e for e in (check(p, version) for p in paths) if e]
    for e in errors:
        print(e, file=sys.stderr)
    return 1 if errors or not paths else 0


if __name__ == "__main__":
    sys.exit(main())
