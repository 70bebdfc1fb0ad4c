#!/usr/bin/env python3
"""Checks what a program asks of Windows, from `objdump -p`: every imported function is on
the allow-list, every DLL is one that the list names and Windows 95 ships, nothing is imported
by ordinal, and the PE header asks for Windows 4.0 (OS and subsystem version) and the GUI
subsystem.

Usage: check_imports.py OBJDUMP ALLOWED_LIST FILE...
Exit status 0 when all holds for every file; otherwise each fault on a line starting with FAIL.
"""
import re
import subprocess
import sys

# The DLLs of Windows 95 4.00.950 that an allow-list may name. No C runtime DLL: that Windows
# ships none.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll",
               "comctl32.dll", "comdlg32.dll", "ole32.dll"}
HEADER = {"MajorOSystemVersion": "4", "MinorOSystemVersion": "0",
          "MajorSubsystemVersion": "4", "MinorSubsystemVersion": "0",
          "Subsystem": "00000002"}


def read_allowed(path):
    allowed, dll = {}, None
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            section = re.fullmatch(r"\[(\S+)\]", line)
            if section:
                dll = section.group(1).lower()
                allowed.setdefault(dll, set())
            elif dll is None or " " in line:
                sys.exit(f"{path}:{number}: expected [dll] or one function name: {raw.strip()}")
            else:
                allowed[dll].add(line)
    return allowed


def parse(dump):
    """The header fields, and (dll, function or None for an ordinal) for each import."""
    header, imports, dll = {}, [], None
    for line in dump.splitlines():
        field = re.fullmatch(r"(\w+)\s+(\S+).*", line)
        if field and field.group(1) in HEADER and field.group(1) not in header:
            header[field.group(1)] = field.group(2)
        named = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        if dll is None:
            continue
        entry = re.fullmatch(r"\t([0-9a-f]+)\t\s*(\d+)\s*(\S*).*", line)
        if entry:
            name = entry.group(3)
            imports.append((dll, None if name in ("", "<none>") else name))
        elif not line.strip() or line.lstrip().startswith("vma:"):
            continue
        else:
            dll = None
    return header, imports


def check(objdump, exe, allowed, allowed_path):
    dump = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    header, imports = parse(dump)
    faults = []
    for key, want in HEADER.items():
        if header.get(key) != want:
            faults.append(f"PE header {key} is {header.get(key)}, not {want}")
    if not any(dll == "kernel32.dll" for dll, _ in imports):
        faults.append("no kernel32.dll imports found: is this objdump output understood?")
    used = set()
    for dll, name in imports:
        if dll not in allowed:
            faults.append(f"{dll}!{name}: the DLL is not allowed")
        elif name is None:
            faults.append(f"{dll}: an import by ordinal, which cannot be reviewed")
        elif name not in allowed[dll]:
            faults.append(f"{dll}!{name}: not on the list {allowed_path}")
        used.add((dll, name))
    for fault in faults:
        print("FAIL:", fault)
    unused = sorted(f"{d}!{n}" for d, names in allowed.items() for n in names
                    if (d, n) not in used)
    if unused:
        print("note: on the list but not imported:", " ".join(unused))
    dlls = sorted({dll for dll, _ in imports})
    print(f"{exe}: {len(imports)} imports from {', '.join(dlls)}; "
          f"{'ALL ON THE LIST' if not faults else f'{len(faults)} faults'}")
    return not faults


def main():
    objdump, allowed_path, files = sys.argv[1], sys.argv[2], sys.argv[3:]
    allowed = read_allowed(allowed_path)
    ok = True
    for dll in sorted(set(allowed) - SYSTEM_DLLS):
        print(f"FAIL: the allow-list names {dll}, which Windows 95 does not ship")
        ok = False
    for exe in files:
        ok &= check(objdump, exe, allowed, allowed_path)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
