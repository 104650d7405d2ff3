#!/usr/bin/env python3
"""Checks that the code keeps to its layers, as src/CMakeLists.txt declares them.

- Each folder's sources include only headers of their own layer and of the
  layers it links, directly or through another (the build stops most of the
  rest at compile time; this names them all at once, with the rule).
- No include climbs out of its folder with "../" or "./" (the include roots
  are links, so such a path would reach any layer).
- Only the X11 backend (src/platform/x11) speaks the X protocol itself.

`--graph` prints each layer and what it may use instead.
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
LAYER = re.compile(r"^tavrin_layer\((\w+)\s+([\w/]+)(.*?)\)", re.M | re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
X11 = re.compile(r"\bxcb_\w+\s*\(|#\s*include\s*<xcb/")


def layers():
    """Folder -> (library, libraries it links directly), from the build."""
    text = (ROOT / "src/CMakeLists.txt").read_text()
    found = {}
    for target, folder, rest in LAYER.findall(text):
        deps = re.search(r"\bDEPS\b(.*)", rest, re.S)
        found[folder] = (target, [d for d in (deps.group(1).split() if deps else []) if d.startswith("tavrin_")])
    return found


def core_only():
    """The folders whose library stands on Qt Core alone (CORE)."""
    text = (ROOT / "src/CMakeLists.txt").read_text()
    return {folder for _, folder, rest in LAYER.findall(text) if re.search(r"\bCORE\b", rest.split("DEPS")[0])}


def reachable(by_folder):
    """Library -> every library it may use: itself and what it links, transitively."""
    direct = {target: deps for target, deps in by_folder.values()}
    closure = {}

    def visit(target):
        if target not in closure:
            closure[target] = {target}
            for dep in direct.get(target, []):
                closure[target] |= visit(dep)
        return closure[target]

    for target in direct:
        visit(target)
    return closure


def owner(path, folders):
    """The layer folder that holds `path` (a path below src/): the longest that fits."""
    best = None
    for folder in folders:
        if (path == folder or path.startswith(folder + "/")) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def main():
    by_folder = layers()
    closure = reachable(by_folder)
    target_folder = {target: folder for folder, (target, _) in by_folder.items()}
    if "--graph" in sys.argv:
        width = max(len(folder) for folder in by_folder) + 1
        for folder, (target, deps) in by_folder.items():
            uses = sorted(target_folder[d] for d in deps)
            alone = "Qt Core only" if folder in core_only() else "Qt only"
            print(f"{folder:<{width}} uses {', '.join(uses) if uses else alone}")
        return 0
    problems = []
    for source in sorted(ROOT.glob("src/**/*")):
        if source.suffix not in (".h", ".cpp"):
            continue
        relative = source.relative_to(ROOT / "src").as_posix()
        text = source.read_text(errors="replace")
        home = owner(relative, by_folder)
        if home and not home.startswith("platform/x11") and X11.search(text):
            problems.append(f"src/{relative}: speaks X11 itself; ask a service of src/platform/x11 instead")
        for include in INCLUDE.findall(text):
            if include.startswith(("../", "./")) or "/../" in include:
                problems.append(f'src/{relative}: includes "{include}"; name the header from its layer\'s root')
                continue
            there = owner(include, by_folder)
            # The composition root (src/main.cpp) sees every layer.
            if not home or not there or relative == "main.cpp":
                continue
            if by_folder[there][0] not in closure[by_folder[home][0]]:
                problems.append(f'src/{relative}: includes "{include}", but {home} does not use {there}')
    for source in sorted(ROOT.glob("*/**/*")):
        top = source.relative_to(ROOT).parts[0]
        if top in ("src", "build") or top.startswith((".", "build-")) or source.suffix not in (".h", ".cpp"):
            continue
        for include in INCLUDE.findall(source.read_text(errors="replace")):
            if include.startswith(("../", "./")) or "/../" in include:
                problems.append(f'{source.relative_to(ROOT)}: includes "{include}"; name the header from its root')
    if problems:
        print("The layers are not kept:")
        print("\n".join("  " + p for p in problems))
        return 1
    print(f"Every include keeps to the layers ({len(by_folder)} libraries).")
    return 0


if __name__ == "__main__":
    sys.exit(main())
