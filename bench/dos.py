#!/usr/bin/env python3
"""The DOS side's figures on real DOS (MS-DOS 4.0 and FreeDOS, in QEMU), as Markdown table rows
for bench/run.sh, each beside a floor measured in the same run: the time from power-on to the
prompt against the same disk without the lock (the system's own command prompt), the
emulator's share of a core while the prompt waits, the memory that qg.exe keeps when CONFIG.SYS
starts it (INSTALL=), and the sizes of qg.exe and rb.com.

    bench/dos.py SOURCE_DIR BIN_DIR WORK_DIR [RUNS]
"""
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "dos"))
import boot  # noqa: E402
import realdos  # noqa: E402

IDLE_SECONDS = 5
PASSWORD = "Secret7"


def lock_disk(bin, tools, dir, system, script, config=realdos.CONFIG_SYS):
    files = boot.lock_files(bin, tools)
    files[realdos.PASSWORD_FILE] = boot.scrambled(tools, dir, PASSWORD)
    files["T\\FREE.COM"] = boot.read(os.path.join(tools, "free.com"))
    files["AUTOEXEC.BAT"] = boot.boot_script(script)
    disk = os.path.join(dir, "disk.img")
    realdos.make_disk(disk, files, config_sys=config, system=system)
    return disk


def measure(bin, tools, work, system, locked, runs):
    """Median seconds from power-on to the prompt (qg.exe's, or the system's own without the
    lock), and QEMU's share of a core over IDLE_SECONDS while that prompt waits."""
    dir = boot.fresh_dir(work, system + (".locked" if locked else ".floor"))
    # FreeDOS's floor halts while it waits for a key at its own prompt; MS-DOS 4.0 cannot.
    config = realdos.CONFIG_SYS + ("IDLEHALT=1\r\n" if system == "freedos" and not locked
                                   else "")
    disk = lock_disk(bin, tools, dir, system, [realdos.BOOT_LINE] if locked else [], config)
    pattern = r"^Password:" if locked else realdos.SHELL_PROMPT[system]
    times, share = [], None
    for run in range(runs):
        with realdos.Machine(disk, dir) as machine:
            if machine.wait_screen(pattern, 30) is None:
                raise SystemExit(f"bench: no prompt on the screen ({system})")
            times.append(time.monotonic() - machine.started)
            if run == 0:
                time.sleep(0.5)
                share = machine.idle_share(IDLE_SECONDS)
    return statistics.median(times), share


def free_memory(bin, tools, work, system, install):
    """The largest free block, in bytes, once CONFIG.SYS has run (with qg.exe started by
    INSTALL= and the right password typed, or without)."""
    dir = boot.fresh_dir(work, system + (".install" if install else ".plain"))
    config = realdos.CONFIG_SYS + ("INSTALL=C:\\" + realdos.PROMPT_PROGRAM + "\r\n"
                                   if install else "")
    disk = lock_disk(bin, tools, dir, system, ["c:\\t\\free.com > c:\\t\\free.txt",
                                               "c:\\t\\done.com"], config)
    with realdos.Machine(disk, dir) as machine:
        if install:
            boot.press_at_prompt(machine, ["t:" + PASSWORD, "ret"])
        if machine.wait_end(30) != realdos.FINISHED:
            raise SystemExit(f"bench: the boot did not end ({system})")
    data = realdos.read_file(disk, "T\\FREE.TXT")
    return int.from_bytes(data[:2], "little") * 16


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    src, bin, work = argv[1:4]
    runs = int(argv[4]) if len(argv) > 4 else 5
    tools = os.path.join(work, "tools")
    boot.build_tools(src, tools)
    subprocess.run(["nasm", "-f", "bin", "-o", os.path.join(tools, "free.com"),
                    os.path.join(ROOT, "bench", "free.asm")], check=True)
    for system in realdos.SYSTEMS:
        name = realdos.NAMES[system]
        if realdos.system_dir(system) is None:
            print(f"| Boot prompt on {name} | not measured: no {name} files |")
            continue
        floor_time, floor_share = measure(bin, tools, work, system, False, runs)
        lock_time, lock_share = measure(bin, tools, work, system, True, runs)
        floor_name = ("FreeDOS's own C:\\> prompt with IDLEHALT=1" if system == "freedos"
                      else "MS-DOS 4.0's own C> prompt, which does not halt")
        print(f"| Emulator's share of a core while the boot prompt waits ({name} in QEMU, "
              f"{IDLE_SECONDS} s) | {lock_share:.1%} ({floor_name}: {floor_share:.1%}) |")
        print(f"| Power-on to the boot prompt ({name} in QEMU) | {lock_time / floor_time:.2f} x "
              f"({lock_time * 1000:.0f} ms against {floor_time * 1000:.0f} ms to the command "
              f"prompt without the lock, median of {runs}) |")
        plain = free_memory(bin, tools, work, system, False)
        kept = free_memory(bin, tools, work, system, True)
        print(f"| Largest free block lost to qg.exe started from CONFIG.SYS ({name}) | "
              f"{plain - kept} bytes "
              f"(largest free block {kept} bytes, against {plain} without INSTALL=) |")
    size = {name: os.path.getsize(os.path.join(bin, name)) for name in ("qg.exe", "rb.com")}
    print(f"| Size of qg.exe, rb.com | {size['qg.exe']} bytes, {size['rb.com']} bytes |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
