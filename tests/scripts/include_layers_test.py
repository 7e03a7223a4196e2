#!/usr/bin/env python3
"""Every include in src/ points down the house or within its own folder.

The libraries link only the folders below them, but a header-only include that reached up would
still build; this reads the includes themselves. Usage: include_layers_test.py SOURCE_DIR
"""
import pathlib
import re
import sys

# Each folder and the folders it may include from (besides itself and the standard library).
CORE = ["runtime", "platform", "control", "detect", "diag", "download", "orchestrate"]
ALLOWED = {
    "runtime": [],
    "platform": ["runtime"],
    "control": ["runtime", "platform"],
    "detect": ["runtime", "platform"],
    "diag": ["runtime", "platform", "control", "detect"],
    "download": ["runtime", "platform", "control", "detect", "diag"],
    "orchestrate": ["runtime", "platform", "control", "detect", "diag", "download"],
    "messaging": CORE,
    "posix/reg_store": ["runtime", "platform"],
    "posix": ["runtime", "platform"],
    "win32": ["runtime", "platform"],
    "win32/transfer_hooks": ["runtime", "platform", "win32"],
    # The Windows composition: the ports made into a Platform for both Windows hosts.
    "win32/composition": CORE + ["win32"],
    "host": CORE + ["messaging", "posix", "posix/reg_store"],
    "com": CORE + ["win32", "win32/composition"],
    "messaging/posix": CORE + ["messaging", "posix", "posix/reg_store", "host"],
    "messaging/win32": CORE + ["messaging", "win32", "win32/composition"],
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def main():
    src = pathlib.Path(sys.argv[1]) / "src"
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.relative_to(src).as_posix()
        if folder not in ALLOWED:
            faults.append(f"{path.relative_to(src)}: its folder has no place in the house")
            continue
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match or "/" not in match.group(1):
                continue
            target = match.group(1).rsplit("/", 1)[0]
            if target != folder and target not in ALLOWED[folder]:
                faults.append(f"{path.relative_to(src)}:{number}: {folder} includes {match.group(1)}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) reach up the house" if faults else "every include points down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
