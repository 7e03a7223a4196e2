#!/usr/bin/env python3
"""Every include in src/ points down the house or within its own folder.

The libraries link only the libraries they use, but all of src/ is one include root, so a
header-only include that reached up would still build; this reads the includes themselves against
the one statement of the house: the USES lines of the folders' CMake files (and, for the few
folders whose targets are not layers, their target_link_libraries). A folder may include its own
headers and those of every folder it uses, directly or through another.
Usage: include_layers_test.py SOURCE_DIR [--dot]
With --dot it prints instead the house as its includes draw it, a Graphviz graph of the folders
with an arrow for each folder another includes from (labelled with the number of includes).
"""
import pathlib
import re
import sys

LAYER = re.compile(r"hvdetector_add_layer\(\s*(\w+)([^)]*)\)", re.S)
LINK = re.compile(r"target_link_libraries\(\s*(\w+)([^)]*)\)", re.S)
CORE = re.compile(r"set\(hvdetector_core_layers([^)]*)\)")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def words(text):
    return re.sub(r"#[^\n]*", "", text).split()


def read_house(src):
    """Each folder with the libraries it names, and each library's folder."""
    folder_of = {}
    uses = {}
    for cmake in sorted(src.rglob("CMakeLists.txt")):
        folder = cmake.parent.relative_to(src).as_posix()
        text = cmake.read_text()
        named = set()
        for match in LAYER.finditer(text):
            name, rest = match.group(1), words(match.group(2))
            folder_of["hvdetector_" + name] = folder
            after_uses = rest[rest.index("USES") + 1:] if "USES" in rest else []
            named.update(w for w in after_uses if w not in ("EXCEPT",))
            if "EXCEPT" in after_uses:
                named -= set(after_uses[after_uses.index("EXCEPT"):])
        if not LAYER.search(text):
            for match in LINK.finditer(text):
                named.update(words(match.group(2)))
        if named or LAYER.search(text):
            uses[folder] = {w for w in named if w.startswith("hvdetector_")}
    core = CORE.search((src / "CMakeLists.txt").read_text())
    core_libraries = ["hvdetector_" + w for w in words(core.group(1))] if core else []
    return folder_of, uses, core_libraries


def allowed_folders(folder, folder_of, uses, core_libraries):
    seen, pending = set(), list(uses.get(folder, ()))
    while pending:
        library = pending.pop()
        if library in seen:
            continue
        seen.add(library)
        if library == "hvdetector_core":
            pending.extend(core_libraries)
        elif library in folder_of:
            pending.extend(uses.get(folder_of[library], ()))
    return {folder_of[library] for library in seen if library in folder_of}


def includes_by_folder(src):
    """Every include of a header in another folder: the file, its line, its folder, the header."""
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.parent.relative_to(src).as_posix()
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            match = INCLUDE.match(line)
            if match and "/" in match.group(1):
                yield path, number, folder, match.group(1)


def draw(src):
    arrows = {}
    for _, _, folder, header in includes_by_folder(src):
        target = header.rsplit("/", 1)[0]
        if target != folder:
            arrows[(folder, target)] = arrows.get((folder, target), 0) + 1
    print("digraph house {")
    for (folder, target), count in sorted(arrows.items()):
        print(f'  "{folder}" -> "{target}" [label={count}];')
    print("}")


def main():
    src = pathlib.Path(sys.argv[1]) / "src"
    if sys.argv[2:] == ["--dot"]:
        draw(src)
        return 0
    folder_of, uses, core_libraries = read_house(src)
    # A circle would make "down" meaningless: no folder may use itself through others.
    faults = [f"{folder}: uses itself through the folders it uses" for folder in sorted(uses)
              if folder != "." and folder in allowed_folders(folder, folder_of, uses, core_libraries)]
    homeless = sorted({path.parent.relative_to(src).as_posix() for path in src.rglob("*")
                       if path.suffix in (".h", ".cpp")} - set(uses))
    faults += [f"{folder}: its folder has no place in the house" for folder in homeless]
    for path, number, folder, header in includes_by_folder(src):
        target = header.rsplit("/", 1)[0]
        if folder in uses and target != folder and target not in allowed_folders(
                folder, folder_of, uses, core_libraries):
            faults.append(f"{path.relative_to(src)}:{number}: {folder} includes {header}")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} include(s) reach up the house" if faults else "every include points down")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
