#!/usr/bin/env python3
"""Checks the binary interface of the built libraries against the export table in ExportTable.h.

  abi_check.py elf  --library libhalvern.so --table ExportTable.h --map halvern.map
      The dynamic symbol table defines exactly the table's names, as global functions, and the
      version script lists exactly those names.
  abi_check.py pe   --library Halvern.dll --table ExportTable.h --def Halvern.def --objdump OBJDUMP
                    [--machine i386|x86-64]
      The export table holds exactly the table's names, each at its ordinal, the module-definition
      file (the x86 one, with stdcall decorations) agrees with the table on name, ordinal and stdcall
      argument bytes, the version resource says 1.0.0.0 and names the file, and the library is built
      for the given machine. The x64 library exports the same names and ordinals.
  abi_check.py pe-names --library rapiemu.dll --names A,B,... --objdump OBJDUMP
      The DLL exports exactly these names.
  abi_check.py pe-imports --objdump OBJDUMP FILE...
      Each module imports only Windows system DLLs: the C, C++ and thread runtimes are linked in.

Prints every difference, expected against actual, and exits 1 when there is any.
"""
import argparse
import re
import struct
import subprocess
import sys

# Windows system DLLs a module may import; anything else would have to ship next to it.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll", "msvcrt.dll",
    "advapi32.dll", "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll", "uxtheme.dll",
    "version.dll", "ws2_32.dll", "imm32.dll", "winmm.dll",
}


class Report:
    def __init__(self, what):
        self.what = what
        self.problems = []

    def fail(self, text):
        self.problems.append(text)

    def finish(self):
        if self.problems:
            print(f"{self.what}: {len(self.problems)} problem(s)")
            for p in self.problems:
                print(f"  - {p}")
            return 1
        print(f"{self.what}: ok")
        return 0


def read_table(path):
    """Rows {ordinal, "Name", argcount} of ExportTable.h as {name: (ordinal, argcount)}."""
    rows = re.findall(r'\{\s*(\d+)\s*,\s*"(\w+)"\s*,\s*(\d+)\s*\}', open(path, encoding="utf-8").read())
    table = {name: (int(ordinal), int(argc)) for ordinal, name, argc in rows}
    if len(table) != len(rows) or not table:
        sys.exit(f"{path}: no rows or duplicate names")
    return table


def run(cmd):
    try:
        return subprocess.run(cmd, check=True, capture_output=True, text=True).stdout
    except (OSError, subprocess.CalledProcessError) as error:
        sys.exit(f"{' '.join(cmd)} failed: {error}")


def compare_sets(report, expected, actual, kind):
    for name in sorted(set(expected) - set(actual)):
        report.fail(f"{kind}: missing {name}")
    for name in sorted(set(actual) - set(expected)):
        report.fail(f"{kind}: unexpected {name}")


def check_elf(args):
    report = Report(f"ELF exports of {args.library}")
    table = read_table(args.table)
    exported = {}
    for line in run(["readelf", "--dyn-syms", "--wide", args.library]).splitlines():
        # Num: Value Size Type Bind Vis Ndx Name
        fields = line.split()
        if len(fields) < 8 or not fields[0].rstrip(":").isdigit():
            continue
        kind, bind, ndx, name = fields[3], fields[4], fields[6], fields[7].split("@")[0]
        if ndx == "UND" or bind not in ("GLOBAL", "WEAK", "UNIQUE") or not name:
            continue
        exported[name] = kind
    compare_sets(report, table, exported, "dynamic symbols")
    for name, kind in sorted(exported.items()):
        if name in table and kind != "FUNC":
            report.fail(f"{name}: expected FUNC, actual {kind}")
    script = open(args.map, encoding="utf-8").read()
    global_part = re.search(r"global:(.*?)local:", script, re.S)
    listed = re.findall(r"(\w+)\s*;", global_part.group(1)) if global_part else []
    compare_sets(report, table, listed, f"version script {args.map}")
    return report.finish()


def pe_exports(objdump, library):
    """({name: ordinal}, number of export address table entries) from objdump -p."""
    text = run([objdump, "-p", library])
    base = re.search(r"Ordinal Base\s+(\d+)", text)
    if not base:
        return {}, 0
    base = int(base.group(1))
    names = {}
    section = re.search(r"\[Ordinal/Name Pointer\] Table[^\n]*\n(.*?)(?:\n\s*\n|\Z)", text, re.S)
    for index, name in re.findall(r"\[\s*(\d+)\]\s+(\S+)", section.group(1) if section else ""):
        names[name] = int(index) + base
    address_table = re.search(r"Export Address Table -- Ordinal Base[^\n]*\n(.*?)(?:\n\s*\n|\Z)", text, re.S)
    entries = len(re.findall(r"\+base\[", address_table.group(1))) if address_table else 0
    return names, entries


def check_pe(args):
    report = Report(f"PE exports of {args.library}")
    table = read_table(args.table)
    names, entries = pe_exports(args.objdump, args.library)
    compare_sets(report, table, names, "export names")
    for name, ordinal in sorted(names.items()):
        if name in table and table[name][0] != ordinal:
            report.fail(f"{name}: expected ordinal {table[name][0]}, actual {ordinal}")
    if entries != len(table):
        report.fail(f"export address table: expected {len(table)} entries, actual {entries}")
    # The module-definition file: "Name = Name@bytes @ordinal" per export.
    defined = {}
    for name, symbol, argbytes, ordinal in re.findall(
            r"^\s*(\w+)\s*=\s*(\w+)@(\d+)\s+@(\d+)\s*$", open(args.def_file, encoding="utf-8").read(), re.M):
        if symbol != name:
            report.fail(f"{args.def_file}: {name} maps to {symbol}")
        defined[name] = (int(ordinal), int(argbytes) // 4)
    compare_sets(report, table, defined, f"definition file {args.def_file}")
    for name, row in sorted(defined.items()):
        if name in table and table[name] != row:
            report.fail(f"{args.def_file}: {name}: expected (ordinal, arguments) {table[name]}, actual {row}")
    check_version_resource(report, args.library)
    if args.machine:
        found = re.search(r"file format pei-(\S+)", run([args.objdump, "-f", args.library]))
        actual = found.group(1) if found else "unknown"
        if actual != args.machine:
            report.fail(f"machine: expected {args.machine}, actual {actual}")
    return report.finish()


def check_version_resource(report, library):
    """The version resource: file and product version 1.0.0.0 and the identifying strings."""
    data = open(library, "rb").read()
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    if fixed < 0:
        report.fail("no version resource (VS_FIXEDFILEINFO)")
        return
    _, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", data, fixed)
    for kind, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        if (ms, ls) != (0x00010000, 0):
            version = f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"
            report.fail(f"{kind} version: expected 1.0.0.0, actual {version}")
    for key, value in (("OriginalFilename", "Halvern.dll"), ("ProductName", "Halvern"),
                       ("InternalName", None), ("FileDescription", None), ("CompanyName", None),
                       ("LegalCopyright", None)):
        encoded = key.encode("utf-16-le")
        at = data.find(encoded)
        if at < 0:
            report.fail(f"version resource lacks {key}")
        elif value is not None and data.find((value + "\0").encode("utf-16-le"), at, at + 256) < 0:
            report.fail(f"version resource: {key} is not {value}")


def check_pe_names(args):
    report = Report(f"PE exports of {args.library}")
    names, _ = pe_exports(args.objdump, args.library)
    compare_sets(report, [n for n in args.names.split(",") if n], names, "export names")
    return report.finish()


def check_pe_imports(args):
    report = Report("imports of " + ", ".join(args.files))
    for path in args.files:
        for dll in re.findall(r"DLL Name:\s*(\S+)", run([args.objdump, "-p", path])):
            if dll.lower() not in SYSTEM_DLLS:
                report.fail(f"{path} imports {dll}, which is not a Windows system DLL")
    return report.finish()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    elf = sub.add_parser("elf")
    elf.add_argument("--library", required=True)
    elf.add_argument("--table", required=True)
    elf.add_argument("--map", required=True)
    pe = sub.add_parser("pe")
    pe.add_argument("--library", required=True)
    pe.add_argument("--table", required=True)
    pe.add_argument("--def", dest="def_file", required=True)
    pe.add_argument("--objdump", required=True)
    pe.add_argument("--machine", choices=["i386", "x86-64"])
    names = sub.add_parser("pe-names")
    names.add_argument("--library", required=True)
    names.add_argument("--names", required=True)
    names.add_argument("--objdump", required=True)
    imports = sub.add_parser("pe-imports")
    imports.add_argument("--objdump", required=True)
    imports.add_argument("files", nargs="+")
    args = parser.parse_args()
    return {"elf": check_elf, "pe": check_pe, "pe-names": check_pe_names,
            "pe-imports": check_pe_imports}[args.command](args)


if __name__ == "__main__":
    sys.exit(main())
