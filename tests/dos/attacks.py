#!/usr/bin/env python3
"""Tries each known way past the boot prompt on real DOS (FreeDOS in QEMU) and writes what
happened as a Markdown table: docs/attacks.md is the committed one.

    attacks.py SOURCE_DIR BIN_DIR WORK_DIR [OUTPUT.md [SCREENSHOT.png]]

Every attack boots a drive C: on which the lock is installed as the configuration program
leaves it (boot folder, password file, the line at the end of the boot script after an earlier
line), then presses keys as an intruder would. It reports, it does not judge: the "lock" column
says whether the rest of the boot script ran without the right password.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import boot  # noqa: E402
import realdos  # noqa: E402

PASSWORD = "Secret7"
# The prompt run from CONFIG.SYS as well.
INSTALL = "INSTALL=C:\\" + realdos.PROMPT_PROGRAM
LINE = realdos.BOOT_LINE
HELD = "holds"
SKIPPED = "**skipped**"


def boot_script(earlier=("PATH C:\\",)):
    return boot.boot_script(list(earlier) + [LINE, "c:\\t\\probe.com > c:\\t\\after.txt",
                                             "c:\\t\\done.com"])


class Attack:
    """One boot of a locked drive C:, watched from power-on."""

    def __init__(self, name, files=None, script=None, kernel_wait=0, config=None):
        self.dir = boot.fresh_dir(WORK, name)
        drive = boot.lock_files(BIN, TOOLS)
        drive[realdos.PASSWORD_FILE] = boot.scrambled(TOOLS, self.dir, PASSWORD)
        drive["AUTOEXEC.BAT"] = script or boot_script()
        drive.update(files or {})
        self.disk = os.path.join(self.dir, "disk.img")
        realdos.make_disk(self.disk, {k: v for k, v in drive.items() if v is not None},
                          kernel_wait=kernel_wait, config_sys=config or realdos.CONFIG_SYS)
        self.machine = realdos.Machine(self.disk, self.dir)
        self.seen = []  # every screen line seen, in order, without repeats

    def look(self):
        lines = self.machine.screen()
        for line in lines or []:
            if line and line not in self.seen:
                self.seen.append(line)
        return lines

    def saw(self, text):
        return any(text in line for line in self.seen)

    def hold(self, key, until, seconds):
        """Sends key again and again (QEMU does not repeat keys) until until(screen) or time."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.machine.key(key, gap=0.03)
            lines = self.look()
            if lines is None or until(lines):
                return lines
        return self.look()

    def prompt(self, lines):
        return lines is not None and any(line.startswith("Password:") for line in lines)

    def shell_open(self):
        """Whether the intruder has a command prompt: a command typed now runs. A held break
        key can leave a question or a half line behind, so Enter comes first."""
        for _ in range(2):
            self.machine.key("ret")
            time.sleep(0.5)
            self.machine.type("echo shell open")
            self.machine.key("ret")
            if self.machine.wait_screen("^shell open$", 3) is not None:
                return True
        return False

    def end(self, seconds=8):
        """How the boot ended: 'went on', 'restarted', 'stopped at C:\\>' or 'still running'.
        The last screen is kept in screen.txt."""
        status = self.machine.wait_end(seconds)
        if status is None:
            how = "stopped at C:\\>" if self.shell_open() else "still running"
            lines = self.look() or []
            self.machine.close()
        else:
            self.machine.close()
            after = boot.probe_output(self.disk, "AFTER.TXT")
            lines = after[0] if after else []
            self.seen += lines
            how = {realdos.RESTARTED: "restarted"}.get(status, "went on" if after else "ended")
        with open(os.path.join(self.dir, "screen.txt"), "w") as f:
            f.write(realdos.screen_text(lines) + "\n")
        return how


def at_prompt(key):
    a = Attack("prompt-" + key)
    if a.machine.wait_screen("^Password:", 20) is None:
        return "no prompt", SKIPPED
    for _ in range(10):
        a.machine.key(key)
    time.sleep(1)
    a.look()
    still = a.machine.process.poll() is None
    marks = a.saw("^C") or sum(1 for line in a.machine.screen() if "Password:" in line) > 1
    a.machine.type(PASSWORD)
    a.machine.key("ret")
    how = a.end()
    told = ("ten presses: the prompt stays, " + ("with a mark on the screen" if marks
            else "no mark on the screen") + "; the boot goes on after the right password")
    return told, HELD if still and how == "went on" and not marks else SKIPPED


def from_power_on(key):
    a = Attack("held-" + key)
    asking = lambda lines: any("Terminate batch" in line for line in lines)  # noqa: E731
    lines = a.hold(key, lambda lines: a.prompt(lines) or asking(lines), 15)
    if lines is not None and asking(lines):
        a.hold(key, lambda lines: False, 1)  # the key is still held a moment
    if a.prompt(a.look()):
        time.sleep(0.5)
        how = a.end(3)
        return ("the prompt comes up and waits; the held key does nothing there"
                if how == "still running" else f"the prompt comes up, then: {how}"), \
            HELD if how == "still running" else SKIPPED
    how = a.end(3)
    text = ("FreeCOM asks \"Terminate batch file 'C:\\AUTOEXEC.BAT' (Yes/No/All) ?\" before "
            "the first line and the held key answers it: " if a.saw("Terminate batch") else "")
    return text + ("the boot script ends, qg.exe never runs, the intruder has C:\\>"
                   if how.startswith("stopped") else f"the boot {how} without the prompt"), \
        SKIPPED if how != "still running" else HELD


def during_earlier_line(answer):
    a = Attack("earlier-" + answer, script=boot_script(["c:\\t\\busy.com"]))
    # busy.com runs for 3 seconds from well under a second after power-on.
    time.sleep(1.5)
    a.machine.key("ctrl-c")
    lines = a.machine.wait_screen("Terminate batch", 5)
    if lines is None:
        how = a.end()
        return f"no question; the boot {how}", HELD if how != "went on" else SKIPPED
    a.machine.key(answer)
    lines = a.machine.wait_screen("^Password:", 5)
    if lines is not None:
        a.machine.type(PASSWORD)
        a.machine.key("ret")
        how = a.end()
        return (f"answered \"{answer.upper()}\": the boot script goes on to the prompt, and on "
                "after the right password"), HELD if how == "went on" else SKIPPED
    how = a.end(3)
    return (f"FreeCOM asks \"Terminate batch file ...\", answered \"{answer.upper()}\": the "
            "whole boot script ends, qg.exe never runs"
            + (", the intruder has C:\\>" if how.startswith("stopped") else f" ({how})")), \
        SKIPPED


def boot_key(key):
    a = Attack("bootkey-" + key, kernel_wait=2)
    question = lambda lines: [line for line in lines if "[Y,N]?" in line or  # noqa: E731
                              "[Yes=ENTER, No=ESC]" in line]
    lines = a.hold(key, lambda lines: a.prompt(lines) or question(lines)
                   or any("Skipping" in line for line in lines), 3)
    asked = []
    while lines is not None and not a.prompt(lines) and len(asked) < 10:
        pending = [line for line in question(lines) if line.rstrip().endswith("?")]
        if not pending:
            break
        # Every start-up step yes, but the boot script no.
        asked.append(pending[-1])
        a.machine.key("esc" if "autoexec" in pending[-1].lower() else "y")
        time.sleep(0.5)
        lines = a.look()
    if a.prompt(lines):
        a.machine.type(PASSWORD)
        a.machine.key("ret")
        return "the boot script runs and the prompt asks as usual", \
            HELD if a.end() == "went on" else SKIPPED
    how = a.end(3)
    what = {"f5": "the kernel says \"Skipping CONFIG.SYS/AUTOEXEC.BAT\"",
            "f8": "the kernel asks before each CONFIG.SYS line, then FreeCOM before the boot "
                  "script (\"[Yes=ENTER, No=ESC]\"); Esc skips it"}[key]
    return what + (": qg.exe never runs, the intruder has C:\\>" if how.startswith("stopped")
                   else f": {how}"), SKIPPED if how != "still running" else HELD


def reset_at_prompt():
    a = Attack("ctrl-alt-del")
    a.machine.wait_screen("^Password:", 20)
    a.machine.key("ctrl-alt-delete")
    how = a.end()
    return ("the PC restarts; the next boot asks again" if how == "restarted"
            else f"the boot {how}"), HELD if how == "restarted" else SKIPPED


def three_wrong():
    a = Attack("three-wrong")
    a.machine.wait_screen("^Password:", 20)
    for guess, pause in (("secret7", 2.5), ("Secret", 4), ("Secret77", 0)):
        a.machine.type(guess)
        a.machine.key("ret")
        time.sleep(pause)
    how = a.end(10)
    return ("\"Wrong password.\" twice with a pause of 1, then 2 s; after the third the PC "
            "restarts" if how == "restarted" else f"the boot {how}"), \
        HELD if how == "restarted" else SKIPPED


def password_file(content, what):
    a = Attack("file-" + what, files={realdos.PASSWORD_FILE: content})
    how = a.end()
    notice = a.saw("No valid boot password is set")
    return (("one line says no valid boot password is set" if notice else "no notice")
            + f"; the boot {how} without a prompt"), SKIPPED if how == "went on" else HELD


def install_line(key):
    """The prompt run from CONFIG.SYS, before COMMAND.COM reads the boot script."""
    config = realdos.CONFIG_SYS + INSTALL + "\r\n"
    a = Attack("install-" + key, config=config)
    lines = a.hold(key, lambda lines: a.prompt(lines), 15)
    if not a.prompt(lines):
        return f"no prompt; the boot {a.end(3)}", SKIPPED
    time.sleep(0.5)
    how = a.end(3)
    return ("the prompt comes up before COMMAND.COM starts and waits; the held key does "
            "nothing there" if how == "still running" else f"prompt, then the boot {how}"), \
        HELD if how == "still running" else SKIPPED


MS_DOS = {
    "break": "Nothing to do.",
    "held": "On FreeDOS no setting closes it (the line first in the boot script, or "
            "`BREAK=OFF` in CONFIG.SYS, changes nothing). MS-DOS's COMMAND.COM asks "
            "\"Terminate batch job (Y/N)?\" the same way. Run the prompt from CONFIG.SYS "
            f"as well: `{INSTALL}` (see the next row), with the keys of "
            "the F5/F8 rows switched off.",
    "install": f"`{INSTALL}` in `C:\\CONFIG.SYS` (MS-DOS 4 and later, "
               "Windows 95/98; not tried on them here), plus the settings of the F5 and F8 "
               "rows. The owner adds it by hand; Quillgate does not.",
    "earlier": f"Move the line `{realdos.BOOT_LINE}` to the top of `C:\\AUTOEXEC.BAT` "
               "(Quillgate finds and removes it there too), so that no earlier line can be "
               "broken off.",
    "bootkeys": "MS-DOS 6: `SWITCHES=/N` in `C:\\CONFIG.SYS`. Windows 95/98: `BootKeys=0` in "
                "the `[Options]` section of `C:\\MSDOS.SYS` (hidden, read-only).",
    "reset": "Nothing to do.",
    "file": "By design: a damaged installation must not lock the owner out. Whoever can "
            "delete the file can already write to the disk: a BIOS setup password and a boot "
            "order that starts only from the hard disk keep boot floppies out.",
}


def screenshot(png):
    """The prompt as the owner sees it at boot, with five characters typed."""
    a = Attack("screenshot")
    a.machine.wait_screen("^Password:", 20)
    a.machine.type("Secre")
    time.sleep(0.5)
    a.machine.screenshot(png)
    a.machine.close()


def main(argv):
    global BIN, TOOLS, WORK
    if len(argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    src, BIN, WORK = argv[1:4]
    out = argv[4] if len(argv) > 4 else None
    png = argv[5] if len(argv) > 5 else None
    if realdos.freedos_dir() is None:
        print("no FreeDOS kernel and FreeCOM (QG_FREEDOS)", file=sys.stderr)
        return realdos.SKIP
    TOOLS = os.path.join(WORK, "tools")
    boot.build_tools(src, TOOLS)
    rows = [
        ("Ctrl+C at the prompt", lambda: at_prompt("ctrl-c"), "break"),
        ("Ctrl+Break at the prompt", lambda: at_prompt("ctrl-pause"), "break"),
        ("Ctrl+C held from power-on", lambda: from_power_on("ctrl-c"), "held"),
        ("Ctrl+Break held from power-on", lambda: from_power_on("ctrl-pause"), "held"),
        (f"Ctrl+C held from power-on, with `{INSTALL}` in CONFIG.SYS",
         lambda: install_line("ctrl-c"), "install"),
        ("Ctrl+C during an earlier boot-script line, answered \"All\"",
         lambda: during_earlier_line("a"), "earlier"),
        ("Ctrl+C during an earlier boot-script line, answered \"Yes\"",
         lambda: during_earlier_line("y"), "earlier"),
        ("F5 during the kernel's start-up wait", lambda: boot_key("f5"), "bootkeys"),
        ("F8 during the kernel's start-up wait", lambda: boot_key("f8"), "bootkeys"),
        ("Ctrl+Alt+Del at the prompt", reset_at_prompt, "reset"),
        ("Three wrong passwords", three_wrong, "reset"),
        ("Password file missing", lambda: password_file(None, "missing"), "file"),
        ("Password file damaged (20 bytes)", lambda: password_file(b"x" * 20, "damaged"),
         "file"),
    ]
    table = ["| Attack | What happened on real DOS | Lock | How the owner closes it on MS-DOS 6 "
             "and Windows 95/98 |", "|---|---|---|---|"]
    for title, attack, advice in rows:
        what, lock = attack()
        print(f"{title}: {lock}: {what}", file=sys.stderr)
        table.append(f"| {title} | {what} | {lock} | {MS_DOS[advice]} |")
    if png:
        screenshot(png)
    text = "\n".join(table) + "\n"
    if out:
        with open(out, "w") as f:
            f.write("# What gets past the boot prompt\n\nMade by `tests/dos/attacks.py SOURCE_DIR "
                    "BIN_DIR WORK_DIR docs/attacks.md` on FreeDOS (kernel build 2040, FreeCOM "
                    "0.82 pl 3) in QEMU: each attack boots a drive C: with the lock installed "
                    "(the line at the end of the boot script, after an earlier line). "
                    "**skipped** means the rest of the boot script ran, or a command prompt "
                    "was had, without the password. MS-DOS 6 and Windows 95/98 were not "
                    "tried.\n\n" + text)
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
