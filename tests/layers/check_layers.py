#!/usr/bin/env python3
"""Checks every project include against the layer tables of docs/layers.md.

Usage: check_layers.py SOURCE_ROOT

A file belongs to the layer whose folder is the longest prefix of its path. It may
include headers of its own layer and of the layers its row names ("everything": any).
An include is resolved against the including file's folder first, then against the
source root, as the compiler sees it; includes that resolve to no project file (system
and library headers) are not checked.

Inside grid/ the files stand on floors (the table under "Inside grid/"): a unit (a
header and its source of one name) may include only units on lower floors, so no
include runs back up and no two units include each other. Every grid/ file must stand
on a floor. Exits 1 and lists every violation, and every source folder that belongs to
no layer.
"""
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cpp")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
# Folders that hold no project sources of their own.
IGNORED_TOP_FOLDERS = {"docs", ".git", ".ci"}


def table_rows(path, first_header_cell):
    """The body rows of the table whose header row starts with `first_header_cell`."""
    with open(path, encoding="utf-8") as document:
        lines = document.read().splitlines()
    for start, line in enumerate(lines):
        cells = line.strip().strip("|").split("|")
        if line.startswith("|") and cells[0].strip() == first_header_cell:
            rows = []
            for row in lines[start + 2:]:  # header and separator
                if not row.startswith("|"):
                    break
                rows.append(row)
            return rows
    raise SystemExit(f"{path}: no table headed '{first_header_cell}'")


def read_table(path):
    """Returns ({folder: layer}, {layer: set of includable layers or None for any})."""
    folders, allowed = {}, {}
    for row in table_rows(path, "Layer"):
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


def project_includes(root, path):
    """(written include, resolved project path) for each include of a project file."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
        text = source.read()
    for target in INCLUDE.findall(text):
        included = resolve(root, path, target)
        if included is not None:
            yield target, included


def check(root, table_path):
    folders, allowed = read_table(table_path)
    problems = []
    for path in sorted(source_files(root)):
        layer = layer_of(path, folders)
        if layer is None:
            problems.append(f"{path}: its folder belongs to no layer in {table_path}")
            continue
        for target, included in project_includes(root, path):
            target_layer = layer_of(included, folders)
            permitted = allowed.get(layer)
            if target_layer == layer or permitted is None or target_layer in permitted:
                continue
            problems.append(f'{path}: #include "{target}" reaches layer {target_layer}, '
                            f"which layer {layer} may not include")
    return problems


GRID_FOLDER = "grid/"


def unit_of(relative_path, joined):
    """grid/Name.h and grid/Name.cpp are one unit, 'Name'; a class's private headers
    join its unit (`Name`+`NamePrivate` in the table)."""
    name = os.path.splitext(relative_path[len(GRID_FOLDER):])[0]
    return joined.get(name, name)


def read_floors(path):
    """Returns ({unit: floor}, {joined name: unit}) from the table under "Inside grid/"."""
    floors, joined = {}, {}
    for row in table_rows(path, "Floor"):
        cells = [cell.strip() for cell in row.strip().strip("|").split("|")]
        for group in re.findall(r"`[^`]+`(?:\+`[^`]+`)*", cells[1]):
            names = re.findall(r"`([^`]+)`", group)
            unit = names[0]
            if unit in floors:
                raise SystemExit(f"{path}: grid unit {unit} stands on two floors")
            floors[unit] = int(cells[0])
            for name in names[1:]:
                joined[name] = unit
    return floors, joined


def check_grid_floors(root, table_path):
    floors, joined = read_floors(table_path)
    problems = []
    seen = set()
    for path in sorted(source_files(root)):
        if not path.startswith(GRID_FOLDER) or "/" in path[len(GRID_FOLDER):]:
            continue
        unit = unit_of(path, joined)
        seen.add(unit)
        if unit not in floors:
            problems.append(f"{path}: stands on no floor of the grid table in {table_path}")
            continue
        for target, included in project_includes(root, path):
            if not included.startswith(GRID_FOLDER):
                continue
            target_unit = unit_of(included, joined)
            if target_unit == unit or target_unit not in floors:
                continue  # its own header; an unplaced unit is reported on its own
            if floors[target_unit] >= floors[unit]:
                problems.append(f'{path} (floor {floors[unit]}): #include "{target}" is on floor '
                                f"{floors[target_unit]}, not below")
    for unit in sorted(set(floors) - seen):
        problems.append(f"{table_path}: grid unit {unit} has no file")
    return problems


def main():
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    root = os.path.abspath(sys.argv[1])
    table = os.path.join(root, "docs", "layers.md")
    problems = check(root, table) + check_grid_floors(root, table)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} include(s) against the layer tables")
        return 1
    print("every include keeps to the layer tables")
    return 0


if __name__ == "__main__":
    sys.exit(main())
