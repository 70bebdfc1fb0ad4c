#!/usr/bin/env python3
"""Checks that a 32-bit Windows program runs on an 80386 with an 80387: disassembles every code
section (`objdump -d`) and fails on each instruction that a later processor brought (the
Pentium Pro's cmov and fcomi, the 486's bswap and cmpxchg, the Pentium's cpuid and rdtsc, long
no-ops, MMX and SSE), printing its address and the function it is in (the nearest symbol; a
stripped file has none, and then the section is named).

Usage: check_opcodes.py OBJDUMP FILE...
Exit status 0 when every file keeps to the 386; otherwise each fault on a line starting FAIL.
"""
import re
import subprocess
import sys

# Mnemonics (as objdump writes them, without size suffixes' variants spelled out) that an 80386
# with an 80387 does not have. Prefixes (lock, rep) are taken off first.
FORBIDDEN = re.compile(
    r"(cmov\w*|fcmov\w*|fcomip?|fucomip?|cmpxchg\w*|xadd\w?|bswap|cpuid|rdtscp?|rdmsr|wrmsr|"
    r"rdpmc|rsm|sysenter|sysexit|syscall|sysret|[lms]fence|clflush\w*|prefetch\w*|fisttp\w*|"
    r"popcnt|lzcnt|tzcnt|movbe|crc32\w*|endbr32|nop[wl]|invd|wbinvd|invlpg)")
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "addr16", "data32",
            "addr32", "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd"}
# MMX and SSE registers: any instruction that names one needs those units.
VECTOR_REGISTER = re.compile(r"%(mm|xmm|ymm|zmm)\d")


def scan(objdump, path):
    result = subprocess.run([objdump, "-d", "-w", "--no-show-raw-insn", path],
                            capture_output=True, text=True)
    if result.returncode != 0:
        return None, [f"{path}: objdump failed: {result.stderr.strip()}"]
    faults, function, count = [], "?", 0
    for line in result.stdout.splitlines():
        label = re.match(r"^[0-9a-f]+ <(.+)>:$", line)
        if label:
            function = label.group(1)
            continue
        section = re.match(r"^Disassembly of section (\S+):$", line)
        if section:
            function = f"{section.group(1)}, no symbol"
            continue
        insn = re.match(r"^\s+([0-9a-f]+):\s+(.*)$", line)
        if not insn:
            continue
        count += 1
        words = insn.group(2).split()
        while words and words[0] in PREFIXES:
            words.pop(0)
        if not words:
            continue
        mnemonic, text = words[0], " ".join(words)
        # A no-op with an operand is the Pentium Pro's long no-op (0f 1f).
        long_nop = mnemonic == "nop" and len(words) > 1
        if FORBIDDEN.fullmatch(mnemonic) or long_nop or VECTOR_REGISTER.search(text):
            faults.append(f"{path}: 0x{insn.group(1)} in {function}: {text}")
    if count == 0:
        faults.append(f"{path}: no instructions found: is this objdump output understood?")
    return count, faults


def main():
    objdump, paths = sys.argv[1], sys.argv[2:]
    failed = False
    for path in paths:
        count, faults = scan(objdump, path)
        for fault in faults:
            print("FAIL:", fault)
        failed |= bool(faults)
        print(f"{path}: {count or 0} instructions; "
              f"{'ALL ON A 386' if not faults else f'{len(faults)} beyond a 386'}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
