#!/usr/bin/env python3
"""Boots qg.exe and rb.com on real DOS (MS-DOS 4.0 or FreeDOS, in QEMU) and types at them: one
case of cases.txt a run, or the whole chain with the configuration program under Wine.

    boot.py SOURCE_DIR BIN_DIR WORK_DIR tools
    boot.py SOURCE_DIR BIN_DIR WORK_DIR msdos4|freedos all|chain|chain-strong|chain-fdconfig|way-back|CASE...

"tools" assembles the test helpers and builds the password-file maker into WORK_DIR/tools
(ctest runs it first). Exit status 0: passed; 1: failed; 77: skipped, because the system's
files are not there (FreeDOS: QG_FREEDOS, by default ../shared/freedos beside the project).
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import realdos  # noqa: E402

HELPERS = ("probe", "ran", "done", "gfx", "ahead", "busy", "leftover")
# qg.exe stays one small .COM image: it runs from a boot script, often off a floppy's worth of
# space, before any memory manager.
MAX_PROMPT_BYTES = 2048
PROMPT = r"^Password:"
# Longest a boot may take from power-on to the end, beyond the keys' own waits, on a busy
# machine; a boot that ends sooner ends the wait.
BOOT_SECONDS = 60
# A boot from the floppy: on a busy machine the emulated PC's BIOS now and then waits out
# its floppy time-outs (a lost interrupt, it seems) while DOS tries again; measured: the whole
# boot 69-70 s instead of 3 s; about one boot in 30, six at a time beside two `yes`.
FLOPPY_BOOT_SECONDS = 180
# Longest one qgdrive run may take: far beyond its own waits for the program's windows, so
# that a run that never ends is reported as such, with its output, not cut off by ctest.
WINE_SECONDS = 240


class Failure(Exception):
    pass


def build_tools(src, tools):
    os.makedirs(tools, exist_ok=True)
    here = os.path.join(src, "tests", "dos")
    subprocess.run(["g++", "-std=c++17", "-Wall", "-Wextra", "-I" + src,
                    os.path.join(src, "lockconfig", "Password.cpp"),
                    os.path.join(here, "make_password_file.cpp"),
                    "-o", os.path.join(tools, "make_password_file")], check=True)
    for helper in HELPERS:
        subprocess.run(["nasm", "-f", "bin", "-w+all", "-o",
                        os.path.join(tools, helper + ".com"),
                        os.path.join(here, helper + ".asm")], check=True)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def scrambled(tools, work, password):
    """The password file that the configuration program writes for password."""
    out = os.path.join(work, "vhod.dll")
    subprocess.run([os.path.join(tools, "make_password_file"), out, password], check=True)
    return read(out)


def parse_cases(src):
    cases = {}
    with open(os.path.join(src, "tests", "dos", "cases.txt")) as f:
        for line in f:
            if not re.match(r"[a-z]", line):
                continue
            cols = [c.strip() for c in line.rstrip("\n").split("|")]
            cols += [""] * (7 - len(cols))
            name, pwfile, extras, keys, outcome, checks, not_on = cols[:7]
            cases[name] = dict(name=name, pwfile=re.split(r"\s+(?=new:)", pwfile), extras=extras,
                               keys=keys.split(), outcome=outcome, checks=checks,
                               not_on=not_on.split(":")[0].split(","))
    return cases


def batch_lines(lines):
    return "".join(line + "\r\n" for line in lines).encode("ascii")


def boot_script(lines):
    return batch_lines(["@echo off"] + lines)


def press_at_prompt(machine, keys):
    """Waits for the password prompt, in a text mode, then presses keys."""
    if machine.wait_screen(PROMPT, BOOT_SECONDS) is None:
        raise Failure("no password prompt on the screen:\n"
                      + realdos.screen_text(machine.screen()))
    if machine.video_mode() not in (2, 3, 7):
        raise Failure(f"the prompt is in video mode {machine.video_mode():#x}")
    press(machine, keys)


def press(machine, keys):
    """Types keys: t:TEXT, w:SECONDS, idle (QEMU's share of a core over 3 s must stay low),
    or a QEMU key name. Returns when the last key has gone in."""
    for key in keys:
        if key.startswith("t:"):
            machine.type(key[2:])
        elif key.startswith("w:"):
            time.sleep(float(key[2:]))
        elif key == "idle":
            share = machine.idle_share(3)
            # A prompt that polls keeps the emulator at a whole core.
            if share > 0.25:
                raise Failure(f"QEMU used {share:.0%} of a core while the prompt waited")
        else:
            machine.key(key)


def count_lines(lines, pattern):
    return sum(1 for line in lines if re.search(pattern, line))


def check_screen(lines, checks):
    for check in filter(None, checks.split(";")):
        want, pattern = check.split(":", 1)
        got = count_lines(lines, pattern)
        if got != int(want):
            raise Failure(f"{got} screen lines match {pattern}, not {want}:\n"
                          + realdos.screen_text(lines))


def probe_output(disk, name):
    """The probe's record: (screen lines, INT 1Bh vector and break state), or None."""
    data = realdos.read_file(disk, "T\\" + name)
    if data is None:
        return None
    text = data[:-5].decode("cp437").replace("\r", "")
    return text.split("\n"), data[-5:]


def lock_files(bin, tools):
    """A drive C: with the boot folder as an installation leaves it (but the password file),
    and the test helpers in C:\\T."""
    files = {realdos.PROMPT_PROGRAM: read(os.path.join(bin, "qg.exe")),
             realdos.REBOOT_PROGRAM: read(os.path.join(bin, "rb.com"))}
    for helper in HELPERS:
        files["T\\" + helper.upper() + ".COM"] = read(os.path.join(tools, helper + ".com"))
    return files


def fresh_dir(work, name):
    dir = os.path.join(work, name)
    shutil.rmtree(dir, ignore_errors=True)
    os.makedirs(dir)
    return dir


def skip_install_line(machine, answered, to_prompt):
    """F8 at FreeDOS's start-up wait, then every CONFIG.SYS line and boot-script line yes, but
    the line that starts qg.exe from CONFIG.SYS no: as an owner, or an intruder, can where F8
    is not switched off. Answers until the password prompt is up (to_prompt), or until the
    boot ends; answered: the questions answered so far."""
    if to_prompt:
        machine.wait_screen("Booting from Hard Disk", 10)
    deadline = time.monotonic() + BOOT_SECONDS
    while time.monotonic() < deadline:
        lines = machine.screen()
        if lines is None or to_prompt and any(re.search(PROMPT, line) for line in lines):
            break
        # A question still waiting for its answer ends in "?".
        asked = [line for line in lines if re.search(r"\[Y,N\]\?|\[Yes=ENTER, No=ESC\]", line)
                 and line.rstrip().endswith("?")]
        if not asked and not answered:
            machine.key("f8", gap=0.03)
            continue
        for line in asked:
            if line in answered:
                continue
            # FreeCOM asks before each boot-script line as well: those go on.
            skip = line.upper().startswith(realdos.INSTALL_LINE.upper())
            answered[line] = skip
            machine.key("n" if skip else ("ret" if "ENTER" in line else "y"))
        time.sleep(0.1)
    if to_prompt and not any(answered.values()):
        raise Failure("F8 did not offer the line that starts qg.exe:\n"
                      + realdos.screen_text(machine.screen()))


def typed(keys):
    """The texts that keys type (t:TEXT)."""
    return [key[2:] for key in keys if key.startswith("t:")]


def run_case(case, bin, tools, work, system):
    dir = fresh_dir(work, system + "." + case["name"])
    files = lock_files(bin, tools)
    extras = case["extras"]
    if extras == "no-rb":
        del files[realdos.REBOOT_PROGRAM]
    elif extras == "rb-returns":
        files[realdos.REBOOT_PROGRAM] = files["T\\RAN.COM"]
    passwords = []
    for pwfile in case["pwfile"]:
        if pwfile.startswith("bytes:"):
            files[realdos.PASSWORD_FILE] = bytes.fromhex(pwfile[6:])
            continue
        if pwfile.startswith("pw:"):
            files[realdos.PASSWORD_FILE] = scrambled(tools, dir, pwfile[3:])
        elif pwfile.startswith("new:"):
            files[realdos.NEW_PASSWORD_FILE] = scrambled(tools, dir, pwfile[4:])
        elif pwfile == "empty":
            files[realdos.PASSWORD_FILE] = b""
        if ":" in pwfile:
            passwords.append(pwfile.split(":", 1)[1])
    forms = [files[name] for name in (realdos.PASSWORD_FILE, realdos.NEW_PASSWORD_FILE)
             if files.get(name)]
    lock = {"ahead": "c:\\t\\ahead.com", "ahead-1b": "c:\\t\\ahead.com 1b"}.get(
        extras, realdos.BOOT_LINE)
    earlier = {"graphics": "c:\\t\\gfx.com", "mode83": "c:\\t\\gfx.com 83",
               "early-keys": "c:\\t\\busy.com", "leftovers": "c:\\t\\leftover.com"}.get(extras)
    files["AUTOEXEC.BAT"] = boot_script(
        ["c:\\t\\probe.com > c:\\t\\before.txt"]
        + ([earlier] if earlier else [])
        + [lock, "if errorlevel 1 echo 1 > c:\\t\\failed.txt"]
        + (["c:\\t\\ran.com"] if extras == "dump-after" else [])
        + ["c:\\t\\probe.com > c:\\t\\after.txt", "c:\\t\\done.com"])
    disk = os.path.join(dir, "disk.img")
    config = realdos.CONFIG_SYS
    if extras == "install":
        config += "INSTALL=C:\\" + realdos.PROMPT_PROGRAM + "\r\n"
    elif extras.startswith("strong"):
        config += realdos.INSTALL_LINE + "\r\n"
    step = extras == "strong-f8"
    realdos.make_disk(disk, files, config_sys=config, system=system, kernel_wait=2 * step)
    if extras == "hidden":
        realdos.set_attributes(disk, realdos.PASSWORD_FILE, "+h +s +r")

    outcome = case["outcome"]
    bad = {"bad-pw-sector": realdos.PASSWORD_FILE, "bad-rb-sector": realdos.REBOOT_PROGRAM}
    bad_sectors = [realdos.first_sector(disk, bad[extras])] if extras in bad else []
    with realdos.Machine(disk, dir, bad_sectors=bad_sectors) as machine:
        last_key = None
        answered = {}
        if step:
            skip_install_line(machine, answered, True)
        if extras == "early-keys":
            # Typed while an earlier line runs, before the prompt shows.
            if machine.wait_screen("^busy.com:", BOOT_SECONDS) is None:
                raise Failure("the earlier line did not run")
            press(machine, ["t:Early1", "ret"])
        if case["keys"]:
            press_at_prompt(machine, case["keys"])
            last_key = time.monotonic()
        if step:
            skip_install_line(machine, answered, False)
        status = machine.wait_end(BOOT_SECONDS)
        if status is None:
            lines = machine.screen()
            raise Failure("the boot did not end; its screen:\n" + realdos.screen_text(lines))

    after = probe_output(disk, "AFTER.TXT")
    if outcome == "reboot":
        if status != realdos.RESTARTED or after is not None:
            raise Failure("the boot script went on instead of a restart")
        waited = machine.ended - last_key
        # The pause after the third wrong password, to read why the PC restarts.
        if waited < 4:
            raise Failure(f"restarted {waited:.1f} s after the last key, not 4 s or more")
        if extras == "leftovers" and realdos.read_file(disk, "T\\CACHED.TXT") is None:
            raise Failure("the write that a disk cache held was lost at the restart")
        if extras == "rb-returns":
            # What the restart would keep: neither the password nor a typed one.
            check_memory(disk, "rb.com", passwords + typed(case["keys"]), forms)
        return
    if status != realdos.FINISHED or after is None:
        raise Failure(f"the boot script did not go on (QEMU status {status})")
    before = probe_output(disk, "BEFORE.TXT")
    if before[1] != after[1]:
        raise Failure("INT 1Bh or DOS's break checking was not put back: "
                      f"{before[1].hex()} before, {after[1].hex()} after")
    failed = bool(realdos.read_file(disk, "T\\FAILED.TXT"))
    lines = after[0]
    checks = case["checks"]
    if outcome == "accepted":
        if failed:
            raise Failure("exit code not 0")
        # Started from CONFIG.SYS too, the prompt still asks once: the boot script's run
        # ends at once.
        checks = "1:^Password accepted\\.$;" + checks
    else:
        if not failed:
            raise Failure("exit code 0")
        checks = "1:^No valid boot password is set;0:Password:;" + checks
    check_screen(lines, checks)
    if extras == "dump-after":
        # What the next program of the boot script finds.
        check_memory(disk, "the next program", passwords + typed(case["keys"]), forms)


def check_memory(disk, who, texts, forms):
    """Fails where the memory that ran.com left in RAN.TXT holds one of texts: as plain text,
    as the BIOS keyboard buffer keeps typed keys (character, scan code, ...: any four in a
    row, as the buffer wraps), or one of forms (password files) other than as a whole sector
    of the file. DOS's disk buffers keep that sector, which no program can wipe cleanly."""
    memory = realdos.read_file(disk, "RAN.TXT")
    if memory is None:
        raise Failure(f"{who} was not started")
    for text in texts:
        raw = text.encode("ascii")
        if raw in memory:
            raise Failure(f"{text!r} is still in memory when {who} runs")
        for i in range(len(raw) - 3):
            # Between the characters, a scan code of the main keys (01h-39h), not a letter.
            keys = b"[\x01-\x39]".join(re.escape(raw[j:j + 1]) for j in range(i, i + 4))
            if re.search(keys, memory, re.DOTALL):
                raise Failure(f"{text!r} is still in memory as typed keys when {who} runs")
    for form in forms:
        for match in re.finditer(re.escape(form), memory):
            if memory[match.end():match.start() + 512] != bytes(512 - len(form)):
                raise Failure(f"the password file's bytes are still in memory when {who} runs")


# Lines a boot must never show: DOS refusing a CONFIG.SYS line ("Error in CONFIG.SYS line 2"
# and "Unrecognized command in CONFIG.SYS" on MS-DOS, "CONFIG.SYS error in line 2" on FreeDOS)
# or a command ("Bad command or ...").
BOOT_ERRORS = r"(?i)error in config|config\.sys error|bad command|unrecognized"


def run_chain(tools, work, system, strong=False, fdconfig=False):
    """The configuration program installs the lock through its windows under Wine; that drive
    C:'s boot script and boot folder, with the rest of a boot after them, go onto a disk that
    the system boots: the right password lets the boot go on, three wrong ones restart the PC.
    After a removal under Wine the same boot goes straight through. strong: the lock that
    closes the start-up keys, on a drive C: with the system's own start-up files (from which
    the program decides what CONFIG.SYS may hold); the prompt then asks once, from CONFIG.SYS,
    and the removal puts CONFIG.SYS back byte for byte. fdconfig: the strong lock on a FreeDOS
    drive with FDCONFIG.SYS, which the kernel reads instead of CONFIG.SYS: the line goes there."""
    prefix = os.environ.get("WINEPREFIX", "")
    drive = os.path.join(prefix, "drive_c")
    qgdrive = os.environ.get("QGDRIVE")
    if not prefix or not os.path.isdir(drive) or not qgdrive:
        raise Failure("needs the Wine bench of ./test (WINEPREFIX) and QGDRIVE")
    dir = fresh_dir(work, system + (".chain-fdconfig" if fdconfig else
                                    ".chain-strong" if strong else ".chain"))
    folder = realdos.system_dir(system)
    # The strong lock's drive C: before the installation: the system's start-up files and the
    # bench's CONFIG.SYS, which the program merges its lines into.
    laid_out = {name: read(os.path.join(folder, name))
                for name in ("IO.SYS", "MSDOS.SYS", "KERNEL.SYS")
                if os.path.isfile(os.path.join(folder, name))}
    laid_out["CONFIG.SYS"] = realdos.CONFIG_SYS.encode("ascii")
    if fdconfig:
        laid_out["FDCONFIG.SYS"] = realdos.CONFIG_SYS.encode("ascii")
    config_name = "FDCONFIG.SYS" if fdconfig else "CONFIG.SYS"

    def on_drive(name):
        """A file of drive C: by its DOS name, any letter case: its bytes, or None."""
        for entry in os.listdir(drive):
            if entry.lower() == name.lower() and os.path.isfile(os.path.join(drive, entry)):
                return read(os.path.join(drive, entry))
        return None

    def wine(*args):
        """qgdrive's output, once it has ended. The output goes to a file, not a pipe: a Wine
        service that the program starts (when the machine's wineboot left none running, as it
        now and then does on a busy machine) inherits its standard error and lives on, and a
        pipe would then never reach its end."""
        with tempfile.TemporaryFile() as output:
            try:
                result = subprocess.run(["wine", qgdrive, *args], stdin=subprocess.DEVNULL,
                                        stdout=output, stderr=subprocess.STDOUT,
                                        timeout=WINE_SECONDS)
                status = result.returncode
            except subprocess.TimeoutExpired:
                status = f"none after {WINE_SECONDS} s"
            output.seek(0)
            text = output.read().decode(errors="replace")
        if status != 0:
            raise Failure(f"qgdrive {args[0]} failed (status {status}):\n" + text)
        return text

    # The scratch and backup files the program's swaps use, as its own table names them.
    leftovers = {line.strip().lower().removeprefix("c:\\")
                 for line in wine("leftovers").splitlines() if line.strip()}

    def clean():
        for name in os.listdir(drive):
            lower = name.lower()
            if (lower in ("autoexec.bat", realdos.BOOT_DIR.lower(), "config.sys", "fdconfig.sys",
                          "msdos.sys", "io.sys", "kernel.sys")
                    or lower in leftovers):
                full = os.path.join(drive, name)
                shutil.rmtree(full) if os.path.isdir(full) else os.unlink(full)

    def boot(name, keys):
        """Boots what Wine left on drive C: (its CONFIG.SYS too, where it has one); the QEMU
        status and the screen lines when the rest ran (None when it did not)."""
        disk = os.path.join(dir, name + ".img")
        config = on_drive("CONFIG.SYS")
        realdos.make_disk(disk, {"T\\PROBE.COM": read(os.path.join(tools, "probe.com")),
                                 "T\\DONE.COM": read(os.path.join(tools, "done.com"))},
                          system=system, config_sys=realdos.CONFIG_SYS if config is None
                          else config.decode("ascii"))
        realdos.copy_tree_to_disk(disk, drive)
        if on_drive("FDCONFIG.SYS") is not None:
            realdos.put_files(disk, {"FDCONFIG.SYS": on_drive("FDCONFIG.SYS")})
        script = realdos.read_file(disk, "AUTOEXEC.BAT") or b""
        realdos.put_files(disk, {"AUTOEXEC.BAT": script + batch_lines(
            ["c:\\t\\probe.com > c:\\t\\after.txt", "c:\\t\\done.com"])})
        with realdos.Machine(disk, dir) as machine:
            screen = []
            if keys:
                try:
                    press_at_prompt(machine, keys)
                except Failure as e:
                    raise Failure(f"{name} boot: {e}") from None
                screen = machine.screen() or []
            status = machine.wait_end(BOOT_SECONDS + 10)
            if status is None:
                raise Failure(f"the {name} boot did not end; its screen:\n"
                              + realdos.screen_text(machine.screen()))
        after = probe_output(disk, "AFTER.TXT")
        lines = after[0] if after else screen
        if count_lines(lines, BOOT_ERRORS):
            raise Failure(f"the {name} boot showed an error:\n" + realdos.screen_text(lines))
        return status, after[0] if after else None

    clean()
    try:
        with open(os.path.join(drive, "autoexec.bat"), "wb") as f:
            f.write(b"@echo off\r\nPATH C:\\\r\n")
        if strong:
            for name, data in laid_out.items():
                with open(os.path.join(drive, name.lower()), "wb") as f:
                    f.write(data)
            wine("install-strong", "Sesame42")
            if realdos.INSTALL_LINE.encode("ascii") not in (on_drive(config_name) or b""):
                raise Failure(f"the strong lock wrote no INSTALL= line into {config_name}")
            if fdconfig and on_drive("CONFIG.SYS") != laid_out["CONFIG.SYS"]:
                raise Failure("the strong lock changed CONFIG.SYS, which FreeDOS does not read "
                              "beside FDCONFIG.SYS")
        else:
            wine("install", "Sesame42")
        status, went_on = boot("right", ["t:sesame42", "ret", "w:2.5", "t:Sesame42", "ret"])
        if status != realdos.FINISHED or went_on is None:
            raise Failure("the right password did not let the boot go on")
        # Asked from CONFIG.SYS, the run from the boot script must not ask again (a second
        # prompt would have kept the boot waiting).
        check_screen(went_on, "1:^Password accepted\\.$")
        status, went_on = boot("wrong", ["t:a1", "ret", "w:2.5", "t:b2", "ret", "w:4",
                                         "t:c3", "ret"])
        if status != realdos.RESTARTED or went_on is not None:
            raise Failure("three wrong passwords did not restart the PC")
        wine("remove")
        if strong:
            changed = [name for name, data in laid_out.items() if on_drive(name) != data]
            if changed:
                raise Failure("the removal did not put back " + ", ".join(changed))
        status, went_on = boot("removed", [])
        if status != realdos.FINISHED or went_on is None:
            raise Failure("after the removal the boot did not go straight through")
        check_screen(went_on, "0:" + PROMPT)
    finally:
        clean()


# The way back for an owner who forgot the password, as README.md and README.txt give it: the
# commands typed at A:\> after a start from a boot disk.
WAY_BACK = ["DEL C:\\QG_DATA\\VHOD.DLL", "DEL C:\\QG_DATA\\VHOD.NEW"]


def run_way_back(bin, tools, work, system):
    """A drive C: locked both ways (the boot script's line and the strong lock's INSTALL= line,
    a new password half written beside the old one) is started from a boot floppy of the same
    DOS, which runs the documented commands; then drive C: boots again without a prompt, and
    nothing on it but the password files has changed."""
    dir = fresh_dir(work, system + ".way-back")
    files = lock_files(bin, tools)
    files[realdos.PASSWORD_FILE] = scrambled(tools, dir, "Forgot7")
    files[realdos.NEW_PASSWORD_FILE] = scrambled(tools, dir, "Forgot8")
    files["AUTOEXEC.BAT"] = boot_script([realdos.BOOT_LINE, "c:\\t\\probe.com > c:\\t\\after.txt",
                                         "c:\\t\\done.com"])
    disk = os.path.join(dir, "disk.img")
    config = realdos.CONFIG_SYS + realdos.INSTALL_LINE + "\r\n"
    realdos.make_disk(disk, files, config_sys=config, system=system)
    kept = {name: realdos.read_file(disk, name) for name in files
            if name not in (realdos.PASSWORD_FILE, realdos.NEW_PASSWORD_FILE)}
    kept["CONFIG.SYS"] = realdos.read_file(disk, "CONFIG.SYS")
    floppy = os.path.join(dir, "floppy.img")
    realdos.make_floppy(floppy, {"DONE.COM": read(os.path.join(tools, "done.com")),
                                 "AUTOEXEC.BAT": boot_script(WAY_BACK + ["A:\\DONE.COM"])},
                        system=system)
    with realdos.Machine(disk, dir, floppy=floppy) as machine:
        status = machine.wait_end(FLOPPY_BOOT_SECONDS)
        if status != realdos.FINISHED:
            raise Failure("the boot floppy did not run its commands to the end; its screen:\n"
                          + realdos.screen_text(machine.screen() or []))
    for name in (realdos.PASSWORD_FILE, realdos.NEW_PASSWORD_FILE):
        if realdos.read_file(disk, name) is not None:
            raise Failure(f"{name} is still on drive C: after the boot floppy")
    with realdos.Machine(disk, dir) as machine:
        status = machine.wait_end(BOOT_SECONDS)
        if status != realdos.FINISHED:
            raise Failure("drive C: did not boot through after the way back; its screen:\n"
                          + realdos.screen_text(machine.screen() or []))
    after = probe_output(disk, "AFTER.TXT")
    if after is None:
        raise Failure("the boot script did not go on")
    check_screen(after[0], "0:" + PROMPT + ";1:^No valid boot password is set")
    changed = [name for name, data in kept.items() if realdos.read_file(disk, name) != data]
    if changed:
        raise Failure("the way back changed " + ", ".join(sorted(changed)))


def main(argv):
    if len(argv) < 5:
        print(__doc__, file=sys.stderr)
        return 2
    src, bin, work = argv[1:4]
    tools = os.path.join(work, "tools")
    if argv[4] == "tools":
        build_tools(src, tools)
        size = os.path.getsize(os.path.join(bin, "qg.exe"))
        if size >= MAX_PROMPT_BYTES:
            print(f"FAIL: qg.exe is {size} bytes, not under {MAX_PROMPT_BYTES}")
            return 1
        return 0
    system, names = argv[4], argv[5:]
    if system not in realdos.SYSTEMS or not names:
        print(__doc__, file=sys.stderr)
        return 2
    if realdos.system_dir(system) is None:
        print(f"SKIPPED: no {realdos.NAMES[system]} files (set QG_FREEDOS; see "
              "tests/dos/README.md)")
        return realdos.SKIP
    cases = parse_cases(src)
    if names == ["all"]:
        build_tools(src, tools)
        names = [name for name in cases if system not in cases[name]["not_on"]]
    failed = 0
    for name in names:
        try:
            if name in ("chain", "chain-strong", "chain-fdconfig"):
                run_chain(tools, work, system, strong=name != "chain",
                          fdconfig=name == "chain-fdconfig")
            elif name == "way-back":
                run_way_back(bin, tools, work, system)
            elif name not in cases:
                raise Failure("no such case")
            elif system in cases[name]["not_on"]:
                print(f"SKIPPED: {name} does not apply to {realdos.NAMES[system]}")
                return realdos.SKIP
            else:
                run_case(cases[name], bin, tools, work, system)
            print(f"PASS: {name}")
        except Failure as e:
            print(f"FAIL: {name}: {e}")
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
