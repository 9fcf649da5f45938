#!/usr/bin/env python3
"""pascal_matches_header.py HEADER PASCAL-DIR: the Pascal units say what halvern.h says.

- Every export of HV_EXPORT_LIST is an external routine of Halvern.pas bound by its name, a pointer type
  HV_PFN_<Name> and a variable of that type in HalvernDynamic.pas, and the three agree with the
  header's parameter and result types, in order.
- Every value and event procedure type (HV_*_PROC) has a Pascal type of the same shape.
- Every numeric constant has a Pascal constant of the same value; every GBK text constant
  (HV_OPTION_*) has a Pascal function that builds the same bytes.
- The calling convention is stdcall on Windows and cdecl elsewhere, everywhere.

Prints every difference and exits 1 when there is any.
"""
import os
import re
import sys

# C parameter and result types as the Pascal units spell them.
C_TO_PASCAL = {
    "void": None, "int32_t": "Int32", "uint32_t": "UInt32", "int64_t": "Int64", "float": "Single",
    "double": "Double", "char*": "PAnsiChar", "constchar*": "PAnsiChar", "int32_t*": "PInt32",
    "uint32_t*": "PUInt32", "void*": "Pointer", "HV_PROC": "HV_PROC", "uint16_t*": "PWideChar",
    "constuint16_t*": "PWideChar", "HV_GUID*": "PHV_GUID", "constHV_GUID*": "PHV_GUID",
    "HV_SYSTEMTIME*": "PHV_SYSTEMTIME", "constHV_SYSTEMTIME*": "PHV_SYSTEMTIME",
}
# Where the unit takes a more exact type than the header's void*.
PARAMETER_OVERRIDES = {("ConfigInit", "ParentWindow"): "THvWindow"}
CONVENTION = "{$IFDEF MSWINDOWS}stdcall{$ELSE}cdecl{$ENDIF}"


def c_params(text):
    """[(name, Pascal type)] of a C parameter list."""
    text = text.strip().strip("()").strip()
    if text in ("", "void"):
        return []
    result = []
    for part in text.split(","):
        part = part.strip()
        name = re.search(r"(\w+)$", part).group(1)
        ctype = part[: -len(name)].replace(" ", "")
        result.append((name, C_TO_PASCAL.get(ctype, "?" + ctype)))
    return result


def pascal_params(text):
    """[Pascal type] of a Pascal parameter list, one per parameter."""
    text = (text or "").strip().strip("()").strip()
    if not text:
        return []
    result = []
    for group in text.split(";"):
        names, ptype = group.split(":")
        result += [ptype.strip()] * len(names.split(","))
    return result


def read_header(path):
    text = open(path, encoding="latin-1").read()
    listing = re.search(r"#define HV_EXPORT_LIST\(X\)(.*?)\n\n", text, re.S).group(1)
    exports = [(m.group(2), C_TO_PASCAL[m.group(1).replace(" ", "")], c_params(m.group(3)))
               for m in re.finditer(r"X\(([\w *]+?),\s*(\w+),\s*(\([^)]*\))\)", listing)]
    procs = {}
    for m in re.finditer(r"typedef\s+([\w ]+?)\s*\(HV_STDCALL\*\s*(HV_\w+_PROC)\)\s*(\([^;]*?\));", text, re.S):
        procs[m.group(2)] = (C_TO_PASCAL[m.group(1).replace(" ", "")], c_params(" ".join(m.group(3).split())))
    numbers = dict(re.findall(r"^#define (\w+) \(?(-?(?:0x[0-9A-Fa-f]+|\d+))\)?", text, re.M))
    aliases = dict(re.findall(r"^#define (\w+) ([A-Z][A-Z_]+[A-Z])\b", text, re.M))
    texts = {name: bytes.fromhex(value.replace("\\x", ""))
             for name, value in re.findall(r'^#define (HV_OPTION_\w+) "((?:\\x[0-9A-Fa-f]{2})+)"', text, re.M)}
    return exports, procs, numbers, aliases, texts


ROUTINE = re.compile(r"^\s*(?:(\w+)\s*=\s*)?(function|procedure)\s*(\w*)\s*(\([^)]*\))?\s*(?::\s*(\w+))?\s*;\s*"
                     r"(\{\$IFDEF MSWINDOWS\}stdcall\{\$ELSE\}cdecl\{\$ENDIF\})?\s*;?(.*)$")


def pascal_routines(text):
    """{name: (result, [parameter types], convention, rest of line)} of routine declarations and types."""
    found = {}
    for line in text.splitlines():
        m = ROUTINE.match(line)
        if m:
            name = m.group(1) or m.group(3)
            found[name] = (m.group(5) if m.group(2) == "function" else None, pascal_params(m.group(4)),
                           m.group(6), m.group(7))
    return found


def pascal_value(expression, constants):
    expression = expression.strip()
    if expression.startswith("$"):
        return int(expression[1:], 16)
    if re.fullmatch(r"-?\d+", expression):
        return int(expression)
    if expression == "nil":
        return 0
    return constants.get(expression)


def main():
    header, units = sys.argv[1], sys.argv[2]
    problems = []
    exports, procs, numbers, aliases, texts = read_header(header)
    decl = open(os.path.join(units, "HalvernDecl.inc"), encoding="utf-8").read()
    static = open(os.path.join(units, "Halvern.pas"), encoding="utf-8").read()
    dynamic = open(os.path.join(units, "HalvernDynamic.pas"), encoding="utf-8").read()
    helpers = open(os.path.join(units, "HalvernHelpers.inc"), encoding="utf-8").read()
    types = pascal_routines(decl)
    # Type aliases (HV_LOG_PROC = THvLogProc) stand for what they name.
    for alias, target in re.findall(r"^\s*(HV_\w+)\s*=\s*(T\w+)\s*;", decl, re.M):
        if target in types:
            types[alias] = types[target]
    externals = pascal_routines(static)

    def compare(what, expected_result, expected_params, actual, name_for_overrides=None):
        if actual is None:
            problems.append(f"{what}: not declared")
            return
        result, params, convention, _ = actual
        wanted = [PARAMETER_OVERRIDES.get((name_for_overrides, n), t) for n, t in expected_params]
        if result != expected_result:
            problems.append(f"{what}: result {result}, header says {expected_result}")
        if params != wanted:
            problems.append(f"{what}: parameters {params}, header says {wanted}")
        if not convention:
            problems.append(f"{what}: not {CONVENTION}")

    for name, result, params in exports:
        compare(f"Halvern.{name}", result, params, externals.get(name), name)
        if name in externals and f"external HalvernLibrary name '{name}'" not in externals[name][3]:
            problems.append(f"Halvern.{name}: not bound by the name '{name}'")
        compare(f"HV_PFN_{name}", result, params, types.get(f"HV_PFN_{name}"), name)
        if not re.search(rf"^\s*{name}: HV_PFN_{name};", dynamic, re.M):
            problems.append(f"HalvernDynamic.{name}: no variable of type HV_PFN_{name}")
        if f"Bind(Lib, {name}, '{name}');" not in dynamic:
            problems.append(f"HalvernDynamic.{name}: not bound by HalvernLoad")
    declared_externals = [n for n, v in externals.items() if "external" in (v[3] or "")]
    if len(declared_externals) != len(exports):
        problems.append(f"Halvern.pas binds {len(declared_externals)} exports, the header lists {len(exports)}")
    for name, (result, params) in procs.items():
        compare(name, result, params, types.get(name))

    constants = {}
    for name, value in re.findall(r"^\s*(\w+)\s*=\s*([$\w-]+)\s*;", decl, re.M):
        constants[name] = pascal_value(value, constants)
    for name, value in numbers.items():
        if name.startswith("HALVERN_H"):
            continue
        if constants.get(name) != int(value, 0):
            problems.append(f"constant {name}: Pascal {constants.get(name)}, header {value}")
    for name, alias in aliases.items():
        if name in ("HV_API", "HV_EXTERN_C", "HV_STDCALL", "HV_EXPORT"):
            continue
        wanted = constants.get(alias) if alias in constants else numbers.get(alias)
        if constants.get(name) != (int(wanted, 0) if isinstance(wanted, str) else wanted):
            problems.append(f"constant {name}: Pascal {constants.get(name)}, header {alias}")
    for name, value in texts.items():
        m = re.search(rf"function {name}: GbkString;\s*begin\s*Result := GbkBytes\(\[([^\]]*)\]\)", helpers)
        actual = bytes(int(b.strip()[1:], 16) for b in m.group(1).split(",")) if m else None
        if actual != value:
            problems.append(f"{name}: Pascal bytes {actual.hex(' ') if actual else None}, header {value.hex(' ')}")
    version = re.search(r'#define HALVERN_VERSION_STRING "([\d.]+)"', open(header, encoding="latin-1").read())
    if f"HALVERN_VERSION_STRING = '{version.group(1)}';" not in decl:
        problems.append(f"HALVERN_VERSION_STRING is not '{version.group(1)}'")

    for p in problems:
        print(p)
    print(f"{len(exports)} exports, {len(procs)} procedure types, {len(numbers) + len(aliases)} constants, "
          f"{len(texts)} option keys: {len(problems)} difference(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
