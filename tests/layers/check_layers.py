#!/usr/bin/env python3
"""Checks every project include against the layer table of docs/layers.md.

Usage: check_layers.py SOURCE_ROOT

A file belongs to the layer whose folder is the longest prefix of its path. It may
include headers of its own layer and of the layers its row names ("everything": any).
An include is resolved against the including file's folder first, then against the
source root, as the compiler sees it; includes that resolve to no project file (system
and library headers) are not checked. Exits 1 and lists every violation, and every
source folder that belongs to no layer.
"""
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
# Folders that hold no project sources of their own.
IGNORED_TOP_FOLDERS = {"docs", ".git", ".ci"}


def read_table(path):
    """Returns ({folder: layer}, {layer: set of includable layers or None for any})."""
    folders, allowed = {}, {}
    with open(path, encoding="utf-8") as table:
        rows = [line for line in table if line.startswith("|")]
    for row in rows[2:]:  # header and separator
        cells = [cell.strip() for cell in row.strip().strip("|").split("|")]
        layer, folder_cell, include_cell = cells[0], cells[1], cells[2]
        for folder in re.findall(r"`([^`]+)`", folder_cell):
            folders[folder.rstrip("/") + "/"] = layer
        if include_cell == "everything":
            allowed[layer] = None
        else:
            names = [name.strip() for name in include_cell.split(",")]
            allowed[layer] = {name for name in names if name and name != "—"}
    if not folders:
        raise SystemExit(f"{path}: no layer table found")
    return folders, allowed


def layer_of(relative_path, folders):
    best = None
    for folder, layer in folders.items():
        if relative_path.startswith(folder) and (best is None or len(folder) > len(best[0])):
            best = (folder, layer)
    return best[1] if best else None


def source_files(root):
    for directory, subdirectories, files in os.walk(root):
        relative_dir = os.path.relpath(directory, root)
        top = relative_dir.split(os.sep)[0]
        if relative_dir == ".":
            subdirectories[:] = [d for d in subdirectories
                                 if d not in IGNORED_TOP_FOLDERS and not d.startswith("build")]
        for name in files:
            if name.endswith(SOURCE_SUFFIXES) and top != ".":
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def resolve(root, including, target):
    local = os.path.normpath(os.path.join(os.path.dirname(including), target)).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, local)):
        return local
    if os.path.isfile(os.path.join(root, target)):
        return os.path.normpath(target).replace(os.sep, "/")
    return None


def check(root, table_path):
    folders, allowed = read_table(table_path)
    problems = []
    for path in sorted(source_files(root)):
        layer = layer_of(path, folders)
        if layer is None:
            problems.append(f"{path}: its folder belongs to no layer in {table_path}")
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            text = source.read()
        for target in INCLUDE.findall(text):
            included = resolve(root, path, target)
            if included is None:
                continue
            target_layer = layer_of(included, folders)
            permitted = allowed.get(layer)
            if target_layer == layer or permitted is None or target_layer in permitted:
                continue
            problems.append(f'{path}: #include "{target}" reaches layer {target_layer}, '
                            f"which layer {layer} may not include")
    return problems


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    root = os.path.abspath(sys.argv[1])
    problems = check(root, os.path.join(root, "docs", "layers.md"))
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layer table")
        return 1
    print("every include keeps to the layer table")
    return 0


if __name__ == "__main__":
    sys.exit(main())
