#!/usr/bin/env python3
"""Checks the flags and masks that the program's sources pass to Windows, which the import
check cannot see: every one is on the list with the value Windows 95 gives it, and the headers
we build with give it that same value. MinGW's headers do not hide newer bits behind
_WIN32_WINNT everywhere (QS_ALLINPUT carries QS_RAWINPUT of Windows XP), and a bit that
Windows 95 does not know makes the call fail there while every test under Wine passes.

Usage: check_flags.py FLAG_LIST COMPILER [COMPILER_ARGS...] -- SOURCE...
Exit status 0 when all holds; otherwise each fault on a line starting with FAIL.
"""
import os
import re
import subprocess
import sys
import tempfile

# The prefixes of the Windows constants that are bit masks or flags. Plain values (messages,
# show commands, error codes) are not here: a new one is a new name, which the headers hide.
FAMILIES = ("BDR_", "BF_", "BS_", "DS_", "DT_", "EDGE_", "ES_", "FILE_ATTRIBUTE_",
            "FILE_SHARE_", "GENERIC_", "LR_", "MB_", "MWMO_", "PM_", "QS_", "RDW_", "SEM_",
            "SS_", "SWP_", "WS_")
NAME = re.compile(r"\b(?:" + "|".join(FAMILIES) + r")[A-Z0-9_]*\b")
# Comments, and the text of string and character literals, are not code.
NOT_CODE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)


def read_list(path):
    values = {}
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 2:
                sys.exit(f"{path}:{number}: expected NAME VALUE: {raw.strip()}")
            values[parts[0]] = int(parts[1], 0)
    return values


def used_names(sources):
    used = {}
    for source in sources:
        with open(source, encoding="latin-1") as f:
            code = NOT_CODE.sub(" ", f.read())
        for name in NAME.findall(code):
            used.setdefault(name, source)
    return used


def header_faults(names, values, compiler):
    """Compiles a static_assert per name with the program's own headers and definitions."""
    lines = ["#include <windows.h>"]
    for name in names:
        lines.append(f"static_assert(static_cast<unsigned long>({name}) == {values[name]:#x}ul, "
                     f'"{name}: the headers give a value other than Windows 95\'s {values[name]:#x}");')
    with tempfile.NamedTemporaryFile("w", suffix=".cpp", delete=False) as f:
        f.write("\n".join(lines) + "\n")
        probe = f.name
    try:
        result = subprocess.run(compiler + ["-std=c++17", "-fsyntax-only", "-fmax-errors=0", probe],
                                capture_output=True, text=True)
    finally:
        os.unlink(probe)
    faults = re.findall(r"(\w+): the headers give a value other than Windows 95's (0x[0-9a-f]+)",
                        result.stderr)
    if result.returncode != 0 and not faults:
        return ["the check's own probe did not compile:\n" + result.stderr]
    faults = sorted(set(faults))
    return [f"{name}: the headers we build with give it bits Windows 95 does not know "
            f"(Windows 95: {value}); pass the Windows 95 bits by name" for name, value in faults]


def main():
    split = sys.argv.index("--")
    list_path, compiler, sources = sys.argv[1], sys.argv[2:split], sys.argv[split + 1:]
    values = read_list(list_path)
    used = used_names(sources)
    faults = [f"{name} (in {os.path.basename(source)}): not on the list {list_path}; check that "
              f"Windows 95 knows it and add its value there"
              for name, source in sorted(used.items()) if name not in values]
    listed = sorted(name for name in used if name in values)
    if listed:
        faults += header_faults(listed, values, compiler)
    for fault in faults:
        print("FAIL:", fault)
    print(f"{len(used)} flags and masks passed to Windows in {len(sources)} files; "
          f"{'ALL AS ON WINDOWS 95' if not faults else f'{len(faults)} faults'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
