#!/usr/bin/env python3
"""The DOS side's figures on real DOS (FreeDOS in QEMU), as Markdown table rows for
bench/run.sh: the emulator's share of a core while the prompt waits and the time from power-on
to the prompt, each beside a floor measured in the same run (the same machine at FreeCOM's own
C:\\> prompt, the kernel halting while it waits), and the sizes of qg.exe and rb.com.

    bench/dos.py SOURCE_DIR BIN_DIR WORK_DIR [RUNS]
"""
import os
import statistics
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "dos"))
import boot  # noqa: E402
import realdos  # noqa: E402

IDLE_SECONDS = 5


def measure(bin, tools, work, locked, runs):
    """Median seconds from power-on to the prompt (qg.exe's, or C:\\> without the lock), and
    QEMU's share of a core over IDLE_SECONDS while that prompt waits."""
    dir = boot.fresh_dir(work, "locked" if locked else "floor")
    files = boot.lock_files(bin, tools)
    files[realdos.PASSWORD_FILE] = boot.scrambled(tools, dir, "Secret7")
    files["AUTOEXEC.BAT"] = boot.boot_script([realdos.BOOT_LINE] if locked else [])
    disk = os.path.join(dir, "disk.img")
    # The floor: DOS halting while it waits for a key at its own prompt.
    config = realdos.CONFIG_SYS + ("" if locked else "IDLEHALT=1\r\n")
    realdos.make_disk(disk, files, config_sys=config)
    pattern = r"^Password:" if locked else r"^C:\\>"
    times, share = [], None
    for run in range(runs):
        with realdos.Machine(disk, dir) as machine:
            if machine.wait_screen(pattern, 30) is None:
                raise SystemExit("bench: no prompt on the screen")
            times.append(time.monotonic() - machine.started)
            if run == 0:
                time.sleep(0.5)
                share = machine.idle_share(IDLE_SECONDS)
    return statistics.median(times), share


def main(argv):
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    src, bin, work = argv[1:4]
    runs = int(argv[4]) if len(argv) > 4 else 5
    if realdos.freedos_dir() is None:
        print("| Boot prompt on real DOS | not measured: no FreeDOS files (QG_FREEDOS) |")
        return 0
    tools = os.path.join(work, "tools")
    boot.build_tools(src, tools)
    floor_time, floor_share = measure(bin, tools, work, False, runs)
    lock_time, lock_share = measure(bin, tools, work, True, runs)
    size = {name: os.path.getsize(os.path.join(bin, name)) for name in ("qg.exe", "rb.com")}
    print(f"| Emulator's share of a core while the boot prompt waits (FreeDOS in QEMU, "
          f"{IDLE_SECONDS} s) | {lock_share:.1%} (FreeDOS's own C:\\> prompt with IDLEHALT=1: "
          f"{floor_share:.1%}) |")
    print(f"| Power-on to the boot prompt (FreeDOS in QEMU) | {lock_time / floor_time:.2f} x "
          f"({lock_time * 1000:.0f} ms against {floor_time * 1000:.0f} ms to C:\\> without the "
          f"lock, median of {runs}) |")
    print(f"| Size of qg.exe, rb.com | {size['qg.exe']} bytes, {size['rb.com']} bytes |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
