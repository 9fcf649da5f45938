#!/usr/bin/env python3
"""Proves that the build refuses an upward include: each library's sources, compiled with their own
library's flags (from compile_commands.json), see the folders it links (cmake/layers.txt, with what
those link in turn) and no other library's folder.

  upward_includes.py BUILD_DIR

For each library a probe is compiled with that library's flags once per library folder, asking with
__has_include for a header of that folder: it must be found for the folders the library links (so the
flags are right) and must not be found for any other.
"""
import json
import os
import shlex
import subprocess
import sys
import tempfile


def read_layers(root):
    """The libraries from the bottom up, each with the folders it links directly."""
    libraries = []
    with open(os.path.join(root, "cmake", "layers.txt")) as f:
        for line in f:
            words = line.split()
            if words and words[0] == "library":
                libraries.append((words[1], words[2:]))
    return libraries


def closure(links, folder):
    seen, todo = set(), [folder]
    while todo:
        for below in links[todo.pop()]:
            if below not in seen:
                seen.add(below)
                todo.append(below)
    return seen


def a_header(root, folder):
    headers = sorted(n for n in os.listdir(os.path.join(root, folder)) if n.endswith(".h"))
    return "%s/%s" % (folder, headers[0]) if headers else None


def flags_of(commands, root, folder):
    # The libraries are made in the top-level CMakeLists, so their objects go to the top level's
    # CMakeFiles/; a program of the same folder (engine/Halvern.cpp's library) builds under its own.
    for entry in commands:
        if not entry["file"].startswith(os.path.join(root, folder) + os.sep):
            continue
        args = entry.get("arguments") or shlex.split(entry["command"])
        if "-o" not in args or not args[args.index("-o") + 1].startswith("CMakeFiles/"):
            continue
        kept, skip = [args[0]], False
        for arg in args[1:]:
            if skip:
                skip = False
            elif arg in ("-o", "-c", "-MF", "-MT", "-MQ"):
                skip = True
            elif arg != entry["file"] and not arg.startswith(("-MD", "-MMD")):
                kept.append(arg)
        return kept, entry["directory"]
    return None, None


def visible(flags, directory, header, scratch):
    probe = os.path.join(scratch, "probe.cpp")
    with open(probe, "w") as f:
        f.write('#if !__has_include("%s")\n#error not visible\n#endif\n' % header)
    done = subprocess.run(flags + ["-fsyntax-only", probe], cwd=directory, capture_output=True, text=True)
    return done.returncode == 0


def main():
    build = os.path.abspath(sys.argv[1])
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    with open(os.path.join(build, "compile_commands.json")) as f:
        commands = json.load(f)
    libraries = read_layers(root)
    links = dict(libraries)
    headers = {folder: a_header(root, folder) for folder, _ in libraries}
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        for folder, _ in libraries:
            flags, directory = flags_of(commands, root, folder)
            if flags is None:
                print("%s: no compile command of its library found" % folder)
                failures += 1
                continue
            allowed = closure(links, folder) | {folder}
            for other, header in headers.items():
                if header is None:
                    continue
                seen = visible(flags, directory, header, scratch)
                if other in allowed and not seen:
                    print("%s: cannot see %s, which it links (probe broken?)" % (folder, header))
                    failures += 1
                elif other not in allowed and seen:
                    print("%s: sees %s, a folder it does not link" % (folder, header))
                    failures += 1
                else:
                    print("%s: %s %s" % (folder, header, "seen" if seen else "refused"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
