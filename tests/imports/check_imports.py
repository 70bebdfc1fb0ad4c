#!/usr/bin/env python3
"""Checks what an executable asks of Windows, from `objdump -p`: every imported function is on
the allow-list, every DLL is one of the system DLLs we may use, nothing is imported by ordinal,
and the PE header asks for Windows 4.0 (OS and subsystem version) and the GUI subsystem.

Usage: check_imports.py OBJDUMP EXE ALLOWED_LIST
Exit status 0 when all holds; otherwise each fault on a line starting with FAIL.
"""
import re
import subprocess
import sys

# The only DLLs quillgate.exe may use; advapi32 and comctl32 only if truly needed.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "msvcrt.dll",
               "advapi32.dll", "comctl32.dll"}
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


def main():
    objdump, exe, allowed_path = sys.argv[1:4]
    allowed = read_allowed(allowed_path)
    dump = subprocess.run([objdump, "-p", exe], check=True, capture_output=True,
                          text=True).stdout
    header, imports = parse(dump)
    faults = []
    for dll in sorted(set(allowed) - SYSTEM_DLLS):
        faults.append(f"the allow-list names {dll}, which is not a system DLL we may use")
    for key, want in HEADER.items():
        if header.get(key) != want:
            faults.append(f"PE header {key} is {header.get(key)}, not {want}")
    if not any(dll == "kernel32.dll" for dll, _ in imports):
        faults.append("no kernel32.dll imports found: is this objdump output understood?")
    used = set()
    for dll, name in imports:
        if dll not in SYSTEM_DLLS:
            faults.append(f"{dll}!{name}: the DLL is not allowed")
        elif name is None:
            faults.append(f"{dll}: an import by ordinal, which cannot be reviewed")
        elif name not in allowed.get(dll, set()):
            faults.append(f"{dll}!{name}: not on the list {allowed_path}")
        used.add((dll, name))
    for fault in faults:
        print("FAIL:", fault)
    unused = sorted(f"{d}!{n}" for d, names in allowed.items() for n in names
                    if (d, n) not in used)
    if unused:
        print("note: on the list but no longer imported:", " ".join(unused))
    dlls = sorted({dll for dll, _ in imports})
    print(f"{exe}: {len(imports)} imports from {', '.join(dlls)}; "
          f"{'ALL ON THE LIST' if not faults else f'{len(faults)} faults'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
