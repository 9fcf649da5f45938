#!/usr/bin/env python3
"""Proves that the build refuses an upward include: each folder's sources, compiled with their own
library's flags (from compile_commands.json), see the folders below them and none above.

  upward_includes.py BUILD_DIR

For each library a probe is compiled twice with that library's flags: once with __has_include of a
header it may use (must be found, so the flags are right) and once of a header above it (must not be).
"""
import json
import os
import shlex
import subprocess
import sys
import tempfile

# folder: (a header it uses, headers of folders above it)
RULES = {
    "platform": ("platform/DynLib.h", ["rtl/Stream.h", "transport/TransBase.h"]),
    "textformat": ("rtl/Stream.h", ["transport/TransBase.h", "device/KtRAPI.h"]),
    "transport": ("textformat/KtStrProc.h", ["device/KtRAPI.h", "cetext/CeTransPort.h",
                                              "config/ConfigView.h", "engine/HandleRegistry.h"]),
    "device": ("rtl/Stream.h", ["transport/TransBase.h", "cetext/CeTransPort.h"]),
    "cetext": ("transport/ConfigPage.h", ["config/ConfigView.h", "engine/HandleRegistry.h"]),
    "config": ("transport/ConfigPage.h", ["cetext/CeTransPort.h", "engine/HandleRegistry.h",
                                           "device/KtRAPI.h"]),
}


def flags_of(commands, root, folder):
    for entry in commands:
        if entry["file"].startswith(os.path.join(root, folder) + os.sep):
            args = entry.get("arguments") or shlex.split(entry["command"])
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
    failures = 0
    with tempfile.TemporaryDirectory() as scratch:
        for folder, (allowed, above) in RULES.items():
            flags, directory = flags_of(commands, root, folder)
            if flags is None:
                print("%s: no compile command found" % folder)
                failures += 1
                continue
            if not visible(flags, directory, allowed, scratch):
                print("%s: cannot see %s, which it uses (probe broken?)" % (folder, allowed))
                failures += 1
            for header in above:
                if visible(flags, directory, header, scratch):
                    print("%s: sees %s, a folder above it" % (folder, header))
                    failures += 1
                else:
                    print("%s: %s refused" % (folder, header))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
