#!/usr/bin/env python3
"""Tries each known way past the boot prompt on real DOS (MS-DOS 4.0 and FreeDOS, in QEMU) and
writes what happened as a Markdown table with a column per system: docs/attacks.md is the
committed one. With --check it measures one system and fails where a verdict differs from that
table's (an attack that starts to get past the lock, or one that no longer does).

    attacks.py SOURCE_DIR BIN_DIR WORK_DIR [OUTPUT.md [SCREENSHOT.png]]
    attacks.py SOURCE_DIR BIN_DIR WORK_DIR --check msdos4|freedos

Every attack boots a drive C: on which the lock is installed as the configuration program
leaves it (boot folder, password file, the line at the end of the boot script after an earlier
line), then presses keys as an intruder would; rows ending in "strong lock" boot it with the
CONFIG.SYS lines of the strong lock as well. It reports, it does not judge: the verdict says
whether the rest of the boot script ran, or a command prompt was had, without the right
password. A verdict needs proof that the keys reached DOS (the "^C" or the question on the
screen, the BIOS's break flag, or typed characters that did arrive): without it the row reads
"key lost", which no committed table holds.
"""
import multiprocessing
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import boot  # noqa: E402
import realdos  # noqa: E402

# How long a wait for something the boot is to show may last: a busy machine runs the
# emulated PC slowly. Waits end as soon as the screen shows it, so only a failure waits long.
PATIENCE = 60
# A screen unchanged this long has stopped where it is, even on a busy machine.
QUIET_SECONDS = 10
# Boots of one system's table that run at once.
WORKERS = 2
PASSWORD = "Secret7"
# The prompt run from CONFIG.SYS as well, by a line written by hand.
INSTALL = "INSTALL=C:\\" + realdos.PROMPT_PROGRAM
# The strong lock: what the configuration program writes into CONFIG.SYS on each system when
# the owner answers Yes to closing the start-up keys (SWITCHES=/N only where DOS takes it
# without an error line: MS-DOS 4.0 reports one at every boot).
STRONG_LINES = {"msdos4": [realdos.INSTALL_LINE],
                "freedos": ["SWITCHES=/N", realdos.INSTALL_LINE]}
STRONG = ", strong lock"
LINE = realdos.BOOT_LINE
HELD = "holds"
SKIPPED = "**skipped**"
LOST = "key lost"
NOT_MEASURED = "not measured here"
NO_SUCH = "does not apply"
BREAK_FLAG = 0x471  # the BIOS sets bit 7 at Ctrl+Break
BUSY_RUNNING = 0x4F0  # busy.com keeps a "B" there while it runs
QUESTION = {"msdos4": "Terminate batch job (Y/N)?", "freedos": "Terminate batch file"}


def boot_script(earlier=("PATH C:\\",)):
    return boot.boot_script(list(earlier) + [LINE, "c:\\t\\probe.com > c:\\t\\after.txt",
                                             "c:\\t\\done.com"])


class Attack:
    """One boot of a locked drive C:, watched from power-on."""

    def __init__(self, name, files=None, script=None, kernel_wait=0, config=None):
        self.dir = boot.fresh_dir(WORK, SYSTEM + "." + name)
        drive = boot.lock_files(BIN, TOOLS)
        drive[realdos.PASSWORD_FILE] = boot.scrambled(TOOLS, self.dir, PASSWORD)
        drive["AUTOEXEC.BAT"] = script or boot_script()
        drive.update(files or {})
        if SYSTEM == "freedos" and config and realdos.INSTALL_LINE in config:
            # As the configuration program writes the strong lock for a FreeDOS that has
            # FDCONFIG.SYS, which the kernel reads instead of CONFIG.SYS.
            drive["FDCONFIG.SYS"] = config.encode("ascii")
            config = None
        self.disk = os.path.join(self.dir, "disk.img")
        realdos.make_disk(self.disk, {k: v for k, v in drive.items() if v is not None},
                          kernel_wait=kernel_wait, config_sys=config or realdos.CONFIG_SYS,
                          system=SYSTEM)
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

    def booting(self):
        """Waits for the BIOS to start the boot: keys sent earlier can lose their Ctrl while
        the BIOS sets the keyboard up."""
        self.machine.wait_screen("Booting from Hard Disk", 10)

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

    def stars(self):
        line = next((line for line in self.machine.screen() or [] if
                     line.startswith("Password:")), "")
        return line.count("*")

    def wait_somewhere(self, there):
        """Waits (PATIENCE) until the boot has got somewhere: a screen that there(lines) takes,
        a command prompt, or the boot's end. Whether it has."""
        def somewhere():
            lines = self.look()
            return lines is None or there(lines) or self.at_command_prompt()
        return self.wait(somewhere, PATIENCE)

    def wait(self, done, seconds):
        """Polls done() until it holds or time is up: a loaded machine answers slowly, a fixed
        pause would read it too early. Whether it held."""
        deadline = time.monotonic() + seconds
        while not done():
            if time.monotonic() > deadline or self.machine.process.poll() is not None:
                return done()
            time.sleep(0.1)
        return True

    def prompts(self):
        """How many "Password:" lines the screen shows."""
        return sum(1 for line in self.look() or [] if line.startswith("Password:"))

    def break_flag(self):
        raw = self.machine.memory(BREAK_FLAG, 1)
        return raw is not None and raw[0] & 0x80 != 0

    def busy_running(self):
        return self.machine.memory(BUSY_RUNNING, 1) == b"B"

    def keys_reach_prompt(self):
        """Whether typed keys reach the prompt: an x shows a "*" (then Esc clears it)."""
        before = self.stars()
        self.machine.key("x")
        arrived = self.wait(lambda: self.stars() == before + 1, 20)
        self.machine.key("esc")
        self.wait(lambda: self.stars() == before, 20)
        return arrived

    def shell_open(self):
        """Whether the intruder has a command prompt: a command typed now runs. A held break
        key can leave a question or a half line behind, so Enter comes first. A further
        "Wrong password." answers at once: the lock's prompt has the keyboard, no shell."""
        def count(start):
            return sum(1 for line in self.machine.screen() or [] if line.startswith(start))

        before = count("Wrong password.")
        for _ in range(2):
            self.machine.key("ret")
            time.sleep(0.5)
            self.machine.type("echo shell open")
            self.machine.key("ret")
            # Generous: on a loaded machine the emulated PC runs slowly.
            self.wait(lambda: count("shell open") or count("Wrong password.") > before, 20)
            if count("Wrong password.") > before:
                return False
            if count("shell open"):
                return True
        return False

    def last_line(self):
        """The screen's last line that shows anything (the cursor's line); "" when none."""
        lines = [line for line in self.look() or [] if line]
        return lines[-1] if lines else ""

    def at_command_prompt(self):
        """Whether the cursor's line is a bare command prompt: the command interpreter waits
        for a command. (A boot script with ECHO on shows its prompt with the command after
        it.)"""
        return re.match(realdos.SHELL_PROMPT[SYSTEM] + "$", self.last_line()) is not None

    def wait_end(self, seconds):
        """Waits up to seconds for the boot to end (QEMU's status), or for it to stop at a
        command prompt, seen on two looks a second apart (None, as when time is up): nothing
        ends a boot that waits for a command, so there is no need to wait out the time."""
        deadline = time.monotonic() + seconds
        prompts = 0
        while True:
            status = self.machine.wait_end(min(1, max(0, deadline - time.monotonic())))
            if status is not None or time.monotonic() >= deadline:
                return status
            prompts = prompts + 1 if self.at_command_prompt() else 0
            if prompts == 2:
                return None

    def end(self, seconds=PATIENCE):
        """How the boot ended: 'went on', 'restarted', 'stopped at a command prompt' or 'still
        running'. The last screen is kept in screen.txt."""
        status = self.wait_end(seconds)
        if status is None:
            how = "stopped at a command prompt" if self.shell_open() else "still running"
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


def config(strong):
    """CONFIG.SYS of the drive: the bench's, plus the strong lock's lines."""
    if not strong:
        return None
    return realdos.CONFIG_SYS + "".join(line + "\r\n" for line in STRONG_LINES[SYSTEM])


def named(name, strong):
    return ("strong-" if strong else "") + name


def shell_name():
    return "MS-DOS's COMMAND.COM" if SYSTEM == "msdos4" else "FreeCOM"


def asks(a):
    return a.saw(QUESTION[SYSTEM])


def answer(a, key):
    """Answers the break question with key. MS-DOS's COMMAND.COM shows the question and only
    then empties the keyboard buffer and reads: a key typed in between goes with the buffer
    (and so does one typed while a held Ctrl+C is still buffered). A busy machine can stop
    the emulated PC in that gap for long, so while the question still waits for its answer
    the key goes in again, as a user facing the question would type it again."""
    if SYSTEM != "msdos4":
        a.machine.key(key)
        return
    question = QUESTION[SYSTEM]

    def answered():
        line = a.last_line()
        return not line.startswith(question) or line[len(question):] in (key, key.upper())

    for _ in range(5):
        a.wait(lambda: a.last_line() == question, 5)
        a.machine.key(key)
        if a.wait(answered, 10):
            return


def at_prompt(key):
    a = Attack("prompt-" + key)
    if a.machine.wait_screen("^Password:", PATIENCE) is None:
        return "no prompt", SKIPPED
    reached = a.keys_reach_prompt()
    for _ in range(10):
        a.machine.key(key)
    time.sleep(1)
    a.look()
    # A Ctrl+C whose Ctrl got lost would type a c: a "*"; a Ctrl+Break sets the BIOS's flag.
    reached = reached and a.stars() == 0 and (key != "ctrl-pause" or a.wait(a.break_flag, 5))
    still = a.machine.process.poll() is None
    marks = a.saw("^C") or sum(1 for line in a.machine.screen() if "Password:" in line) > 1
    a.machine.type(PASSWORD)
    a.machine.key("ret")
    how = a.end()
    if not reached:
        return "the key did not reach the prompt", LOST
    told = ("ten presses reach the prompt (" + ("no \"*\"" if key == "ctrl-c" else
            "the BIOS's break flag is set") + "): the prompt stays, "
            + ("with a mark on the screen" if marks else "no mark on the screen")
            + "; the boot goes on after the right password")
    return told, HELD if still and how == "went on" and not marks else SKIPPED


def settled(a):
    """Waits until the answered question has led somewhere: a command prompt, the lock's
    prompt, the end of the boot, or a screen that has stopped changing (FreeCOM under a held
    Ctrl+Break waits for a command below a column of "^C", its prompt scrolled away). A busy
    machine runs the emulated PC slowly, and a look taken too early reads a boot still on its
    way as one that holds."""
    pattern = realdos.SHELL_PROMPT[SYSTEM] + "|^Password:"
    last = {"lines": None, "since": time.monotonic()}

    def there():
        lines = a.look()
        if lines is None or any(re.search(pattern, line) for line in lines):
            return True
        if lines != last["lines"]:
            last.update(lines=lines, since=time.monotonic())
        return time.monotonic() - last["since"] >= QUIET_SECONDS
    a.wait(there, PATIENCE)


# Boots a held-key row may take: the intruder powers on again after a start that crashed.
BOOTS = 3


def from_power_on(key, earlier=None, strong=False):
    """A key held from power-on. About once in 400 boots a held Ctrl+Break crashes the
    emulated PC before DOS has shown anything (in its BIOS: the processor left on the BIOS's
    own stack, running its 32-bit code in real mode, the interrupt table zeroed). Such a start says
    nothing about the lock, and the intruder would simply power on again, so the row does too."""
    name = named("held-" + key + ("-echo" if earlier else ""), strong)
    for crashed in range(BOOTS):
        a = Attack(name + (f"-{crashed + 1}" if crashed else ""),
                   script=boot_script(earlier) if earlier else None, config=config(strong))
        result = held_from_power_on(a, key)
        if result is not None:
            text, verdict = result
            return text + (f" (at the boot after {crashed} that crashed)" if crashed else ""), \
                verdict
    return f"the PC crashed before any prompt at each of {BOOTS} boots", LOST


def held_from_power_on(a, key):
    """One boot of from_power_on: (text, verdict), or None for a start that crashed."""
    def there(lines):
        return a.prompt(lines) or asks(a)

    a.booting()
    lines = a.hold(key, there, 30)
    if not there(lines):
        # The key let go: a slow boot still gets somewhere, a crashed one never does.
        if not a.wait_somewhere(there):
            how = a.end(3)
            return None if how == "still running" else (
                f"no question and no prompt; the boot {how}", LOST)
        lines = a.look()
    if a.prompt(lines):
        a.hold(key, lambda lines: False, 1)
        held = a.stars() == 0 and (key != "ctrl-pause" or a.wait(a.break_flag, 5))
        reached = held and a.keys_reach_prompt()
        how = a.end(3)
        if not reached:
            return "the prompt comes up; the key did not reach it", LOST
        return ("the prompt comes up and waits; the held key reaches it and does nothing"
                if how == "still running" else f"the prompt comes up, then: {how}"), \
            HELD if how == "still running" else SKIPPED
    if not asks(a):
        return f"no question and no prompt; the boot {a.end(3)}", LOST
    if SYSTEM == "msdos4":
        # Each further break asks again; the intruder lets go and answers Y.
        a.hold(key, lambda lines: False, 1)
        answer(a, "y")
        settled(a)
        how = a.end(3)
        text = ("COMMAND.COM " + ("shows \"^C\" and " if a.saw("^C") else "")
                + f"asks \"{QUESTION[SYSTEM]}\" during the first lines; answered \"Y\": ")
    else:
        a.hold(key, lambda lines: False, 1)  # the key is still held a moment
        settled(a)
        how = a.end(3)
        text = ("FreeCOM asks \"Terminate batch file 'C:\\AUTOEXEC.BAT' (Yes/No/All) ?\" "
                "before the first line and the held key answers it: ")
    return text + ("the boot script ends, qg.exe never runs, the intruder has a command prompt"
                   if how.startswith("stopped") else f"the boot {how} without the prompt"), \
        SKIPPED if how != "still running" else HELD


def during_earlier_line(reply, strong=False):
    a = Attack(named("earlier-" + reply, strong), script=boot_script(["c:\\t\\busy.com"]),
               config=config(strong))
    if strong:
        return before_earlier_line(a, reply)
    # busy.com writes four lines a second apart: the key goes in after the first, however
    # slowly a loaded machine boots, and DOS sees it at the next.
    a.machine.wait_screen("^busy.com:", PATIENCE)
    a.machine.key("ctrl-c")
    lines = a.machine.wait_screen(re.escape(QUESTION[SYSTEM]), 30)
    if lines is None:
        how = a.end()
        return f"no question; the boot {how}", LOST
    answer(a, reply)
    # The boot script goes on to the lock's prompt, or ends at a command prompt.
    a.wait(lambda: a.prompt(a.look()) or a.at_command_prompt(), PATIENCE)
    if a.prompt(a.look()):
        a.machine.type(PASSWORD)
        a.machine.key("ret")
        how = a.end()
        return (f"{shell_name()} asks \"{QUESTION[SYSTEM]}...\", answered "
                f"\"{reply.upper()}\": the boot script goes on to the prompt, and on after the "
                "right password"), HELD if how == "went on" else SKIPPED
    how = a.end(3)
    return (f"{shell_name()} asks \"{QUESTION[SYSTEM]}...\", answered \"{reply.upper()}\": "
            "the whole boot script ends, qg.exe never runs"
            + (", the intruder has a command prompt" if how.startswith("stopped")
               else f" ({how})")), SKIPPED


def before_earlier_line(a, reply):
    """The strong lock: the prompt is to come up before the boot script's earlier line
    (busy.com, which writes a line a second) ever runs, so that the Ctrl+C and the reply
    reach the prompt instead."""
    if a.machine.wait_screen("^Password:", PATIENCE) is None:
        return f"no prompt; the boot {a.end(3)}", SKIPPED
    reached = a.keys_reach_prompt()
    a.machine.key("ctrl-c")
    time.sleep(0.5)
    a.machine.key(reply)
    a.wait(lambda: a.stars() >= 1, 5)
    time.sleep(0.5)
    a.look()
    # The reply is a typed character there: one "*", and no lost Ctrl typed a "c".
    reached = reached and a.stars() == 1
    a.machine.key("esc")
    still = a.machine.process.poll() is None
    early = not a.saw("busy.com") and not asks(a)
    how = a.end(3)
    if not reached:
        return "the prompt comes up; the keys did not reach it", LOST
    if not early:
        return f"the earlier line ran before the prompt; the boot {how}", SKIPPED
    return (f"the prompt asks before the boot script's first line runs, so there is no line "
            f"to break off: Ctrl+C there does nothing, \"{reply.upper()}\" is one typed "
            "character, and the prompt waits"), HELD if still and how == "still running" \
        else SKIPPED


def break_during_quiet_line():
    """A Ctrl+Break while an earlier line runs without writing to the screen, so that no DOS
    call acts on it there; then the right password. MS-DOS's console driver keeps the break as
    a Ctrl+C of its own, and the first DOS call after the prompt that checks acts on it."""
    a = Attack("quiet-break", script=boot_script(["echo quiet line next",
                                                  "c:\\t\\busy.com > nul"]))
    # The key goes in while busy.com runs (3 seconds), however slowly a loaded machine starts
    # it: a break while FreeCOM is still starting a line that writes to NUL halts the PC, with
    # its message sent to NUL too.
    a.machine.wait_screen("^quiet line next", PATIENCE)
    a.wait(a.busy_running, PATIENCE)
    a.machine.key("ctrl-pause")
    reached = a.wait(a.break_flag, 2)
    question = QUESTION[SYSTEM]
    lines = a.machine.wait_screen("^Password:|" + re.escape(question), 8)
    a.look()
    early = lines is not None and not a.prompt(lines)
    # FreeDOS acts on the break at once and clears the BIOS's flag: the question is the proof.
    reached = reached or early
    if early:
        # Asked before the prompt, as in the rows of an earlier line: "No" goes on to it.
        answer(a, "n")
        lines = a.machine.wait_screen("^Password:", 5)
    if lines is None:
        how = a.end(3)
        return f"no prompt; the boot {how}", SKIPPED if reached else LOST
    a.machine.type(PASSWORD)
    a.machine.key("ret")
    stuck = a.machine.wait_end(6) is None
    if stuck:
        a.look()
        # The question after the right password: "Y" ends the owner's boot script.
        answer(a, "y")
        time.sleep(0.5)
    how = a.end(3)
    if not reached:
        return "the break did not reach the BIOS", LOST
    text = ((f"{shell_name()} asks \"{question}...\" before the prompt, answered \"N\"; "
             if early else "the BIOS's break flag is set; ")
            + "the prompt comes up and, after the right password, ")
    if stuck:
        return (text + f"{shell_name()} " + ("shows \"^C\" and " if a.saw("^C") else "")
                + f"asks \"{question}\"; answered \"Y\": the rest of the boot script ends"
                + (", the intruder has a command prompt" if how.startswith("stopped")
                   else f" ({how})")), SKIPPED
    mark = a.saw("^C") and not early
    return text + f"the boot {how}" + (", with \"^C\" on the screen" if mark
                                       else " with no mark on the screen"), \
        HELD if how == "went on" and not mark else SKIPPED


def boot_key(key, strong=False):
    a = Attack(named("bootkey-" + key, strong), kernel_wait=2, config=config(strong))
    question = lambda lines: [line for line in lines if "[Y,N]?" in line or  # noqa: E731
                              "[Yes=ENTER, No=ESC]" in line]

    def pending(lines):
        return [line for line in question(lines) if line.rstrip().endswith("?")]

    def moved_on(answered):
        """The prompt or a question other than the one answered is on the screen, or the
        machine has ended."""
        lines = a.look()
        return (lines is None or a.prompt(lines) or pending(lines) not in ([], answered)
                or a.at_command_prompt())

    def somewhere(lines):
        return a.prompt(lines) or question(lines) or any("Skipping" in line for line in lines)

    a.booting()
    lines = a.hold(key, somewhere, 3)
    # A busy machine can still be in the kernel when the key is let go: the look waits until
    # the boot has got somewhere (the prompt, a question, a command prompt or its end).
    a.wait_somewhere(somewhere)
    lines = a.look()
    asked = []
    # Answered, a question stays on the screen: a command prompt below it ends the questions.
    while (lines is not None and not a.prompt(lines) and not a.at_command_prompt()
           and len(asked) < 10):
        waiting = pending(lines)
        if not waiting:
            break
        # Every start-up step yes, but the boot script no.
        asked.append(waiting[-1])
        a.machine.key("esc" if "autoexec" in waiting[-1].lower() else "y")
        a.wait(lambda: moved_on(waiting), 5)
        lines = a.look()
    if a.prompt(lines) and strong and not a.saw("Skipping") and not asked:
        # Switched off, the key leaves no trace: the held key's proof is the same key at the
        # same time in the row above, and the keyboard working at the prompt.
        reached = a.keys_reach_prompt()
        how = a.end(3)
        if not reached:
            return "the prompt comes up; typed keys do not reach it", LOST
        wait = "the kernel's start-up wait " + ("is shown" if a.saw("F5") else "is not shown")
        return (f"{wait}; {key.upper()}, pressed for 3 s from the start of the boot as in "
                "the row above, changes nothing: the prompt asks and waits"), \
            HELD if how == "still running" else SKIPPED
    if a.prompt(lines):
        a.machine.type(PASSWORD)
        a.machine.key("ret")
        how = a.end()
        if not a.saw("Skipping") and not asked:
            return "the boot script runs and the prompt asks; the key was not seen", LOST
        return "the boot script runs and the prompt asks as usual", \
            HELD if how == "went on" else SKIPPED
    how = a.end(3)
    if not a.saw("Skipping") and not asked:
        return f"the key was not seen; the boot {how}", LOST
    what = {"f5": "the kernel says \"Skipping CONFIG.SYS/AUTOEXEC.BAT\"",
            "f8": "the kernel asks before each CONFIG.SYS line, then FreeCOM before the boot "
                  "script (\"[Yes=ENTER, No=ESC]\"); Esc skips it"}[key]
    # The boot script was skipped before the prompt ever came: whatever the screen shows
    # next, the lock did not ask (a slow machine can still be starting its command prompt).
    return what + (": qg.exe never runs, the intruder has a command prompt"
                   if how.startswith("stopped") else f": qg.exe never runs ({how})"), SKIPPED


def reset_at_prompt():
    a = Attack("ctrl-alt-del")
    a.machine.wait_screen("^Password:", PATIENCE)
    a.machine.key("ctrl-alt-delete")
    how = a.end()
    return ("the PC restarts; the next boot asks again" if how == "restarted"
            else f"the boot {how}"), HELD if how == "restarted" else SKIPPED


def three_wrong():
    a = Attack("three-wrong")
    a.machine.wait_screen("^Password:", PATIENCE)
    guesses = ("secret7", "Secret", "Secret77")
    for number, guess in enumerate(guesses, 1):
        # Keys typed during the pause after a wrong one do not count: each guess waits for
        # the prompt to ask again. After the last one the PC restarts instead.
        asked = a.prompts()
        a.machine.type(guess)
        a.machine.key("ret")
        if number < len(guesses):
            a.wait(lambda: a.prompts() > asked, PATIENCE)
    how = a.end()
    wrong = a.saw("Wrong password.")
    return ("\"Wrong password.\" twice with a pause of 1, then 2 s; after the third the PC "
            "restarts" if how == "restarted" and wrong else f"the boot {how}"), \
        HELD if how == "restarted" else SKIPPED


def password_file(content, what, strong=False):
    a = Attack(named("file-" + what, strong), files={realdos.PASSWORD_FILE: content},
               config=config(strong))
    how = a.end()
    notice = a.saw("No valid boot password is set")
    return (("one line says no valid boot password is set" if notice else "no notice")
            + f"; the boot {how} without a prompt"), SKIPPED if how == "went on" else HELD


def install_line(key):
    """The prompt run from CONFIG.SYS by a line written by hand, before COMMAND.COM reads the
    boot script; after the right password there, the boot script's line is not to ask
    again."""
    a = Attack("install-" + key, config=realdos.CONFIG_SYS + INSTALL + "\r\n")
    a.booting()
    lines = a.hold(key, lambda lines: a.prompt(lines) or asks(a), 15)
    if not a.prompt(lines):
        return f"no prompt; the boot {a.end(3)}", SKIPPED
    a.hold(key, lambda lines: False, 1)
    reached = a.stars() == 0 and a.keys_reach_prompt()
    still = a.machine.process.poll() is None
    a.machine.type(PASSWORD)
    a.machine.key("ret")
    # The boot script's line either asks again or ends at once and the boot goes on to its end.
    a.wait(lambda: a.prompts() > 1, 6)
    again = a.prompts() > 1
    if again:
        a.machine.type(PASSWORD)
        a.machine.key("ret")
    how = a.end()
    if not reached:
        return "the prompt comes up; the held key did not reach it", LOST
    error = a.saw("Error in CONFIG.SYS")
    return ("the prompt comes up before COMMAND.COM starts; the held key reaches it and does "
            "nothing; after the right password " + ("\"Error in CONFIG.SYS line 2\", then "
                                                    if error else "no error, ")
            + ("the boot script's line asks again" if again else
               "the boot script's line ends at once, without asking again")
            + (", and the boot goes on" if how == "went on" else f"; the boot {how}")), \
        HELD if still and how == "went on" else SKIPPED


# What the owner is told to do: since the configuration program closes these ways itself,
# mostly to answer Yes to its question.
YES = "Answer Yes when Quillgate asks \"Close these ways as well?\""
ADVICE = {
    "break": "Nothing to do.",
    "held": f"{YES}: with the strong lock (next row) the prompt asks from `C:\\CONFIG.SYS`, "
            "before the command interpreter starts and before any boot-script line.",
    "install": f"{YES}: the strong lock writes `{realdos.INSTALL_LINE}` into `C:\\CONFIG.SYS` "
               "itself; a line written by hand without `/I` works the same. Started so, "
               "`qg.exe` stays resident in 112 bytes (its program prefix), or MS-DOS would "
               "report an error in CONFIG.SYS.",
    "earlier": f"{YES}: with the strong lock (next row) the prompt asks before the boot "
               "script's first line, so no earlier line is left to break off.",
    "earlier-no": "Nothing to do.",
    "bootkeys": f"{YES}: the strong lock (next row) also writes `SWITCHES=/N` into "
                "`C:\\CONFIG.SYS` where DOS takes it without an error (FreeDOS; MS-DOS 4.0 "
                "has no such keys and reports an error for it at every boot), and `BootKeys=0` "
                "into the `[Options]` section of a text `C:\\MSDOS.SYS` (Windows 95/98).",
    "strong": "Nothing to do: this is the strong lock.",
    "reset": "Nothing to do.",
    "file": "By design: a damaged installation must not lock the owner out. Whoever can "
            "delete the file can already write to the disk: a BIOS setup password and a boot "
            "order that starts only from the hard disk keep boot floppies out.",
    "windows": f"{YES}: the strong lock (next row).",
}

NO_WAIT = "MS-DOS 4.0 has no start-up wait (the F5/F8 keys came with MS-DOS 6)"
WINDOWS_STRONG = ("Quillgate writes `BootKeys=0` and `BootWarn=0` into the `[Options]` "
                  "section of the text `MSDOS.SYS` that starts the PC, and `"
                  + realdos.INSTALL_LINE + "` into `C:\\CONFIG.SYS`; Windows 95/98 could not "
                  "be booted here, so what these settings do is not measured")
# Per row, what the public documentation leaves open and nothing here could boot.
WINDOWS_KEYS_UNKNOWN = (WINDOWS_STRONG + ". `BootKeys=0` is documented to switch off F5 and F8; "
                        "whether it also closes the Ctrl key that Windows 98 takes for its "
                        "Startup menu is not documented clearly")
WINDOWS_WARN_UNKNOWN = (WINDOWS_STRONG + ". Whether `BootWarn=0` makes Windows start normally or "
                        "silently in Safe mode (which skips the boot script) after a start that "
                        "did not finish is not documented clearly")
ECHO_LINES = ["ECHO Starting the drivers of this computer, please wait.",
              "ECHO Mouse driver and keyboard layout loaded."]
# Title, what each system runs (a function, or the reason it does not apply), the advice.
# A row that a Ctrl+C, a break or a start-up key gets past is followed by the same attack on
# the strong lock.
ROWS = [
    ("Ctrl+C at the prompt", lambda: at_prompt("ctrl-c"), None, "break"),
    ("Ctrl+Break at the prompt", lambda: at_prompt("ctrl-pause"), None, "break"),
    ("Ctrl+Break during a quiet earlier line, then the right password",
     break_during_quiet_line, None, "break"),
    ("Ctrl+C held from power-on", lambda: from_power_on("ctrl-c"), None, "held"),
    ("Ctrl+C held from power-on" + STRONG, lambda: from_power_on("ctrl-c", strong=True), None,
     "strong"),
    ("Ctrl+Break held from power-on", lambda: from_power_on("ctrl-pause"), None, "held"),
    ("Ctrl+Break held from power-on" + STRONG,
     lambda: from_power_on("ctrl-pause", strong=True), None, "strong"),
    ("Ctrl+C held from power-on, earlier boot-script lines writing 64 characters or more to "
     "the screen (two `ECHO` lines, as a driver's banner)",
     lambda: from_power_on("ctrl-c", ECHO_LINES), None, "held"),
    ("Ctrl+C held from power-on, earlier boot-script lines writing 64 characters or more to "
     "the screen" + STRONG, lambda: from_power_on("ctrl-c", ECHO_LINES, strong=True), None,
     "strong"),
    (f"Ctrl+C held from power-on, with `{INSTALL}` in CONFIG.SYS",
     lambda: install_line("ctrl-c"), None, "install"),
    ("Ctrl+C during an earlier boot-script line, answered \"All\"",
     lambda: during_earlier_line("a"),
     {"msdos4": "COMMAND.COM asks Y/N, with no \"All\""}, "earlier"),
    ("Ctrl+C during an earlier boot-script line, answered \"All\"" + STRONG,
     lambda: during_earlier_line("a", strong=True),
     {"msdos4": "COMMAND.COM asks Y/N, with no \"All\""}, "strong"),
    ("Ctrl+C during an earlier boot-script line, answered \"Yes\"",
     lambda: during_earlier_line("y"), None, "earlier"),
    ("Ctrl+C during an earlier boot-script line, answered \"Yes\"" + STRONG,
     lambda: during_earlier_line("y", strong=True), None, "strong"),
    ("Ctrl+C during an earlier boot-script line, answered \"No\"",
     lambda: during_earlier_line("n"), None, "earlier-no"),
    ("F5 during the kernel's start-up wait", lambda: boot_key("f5"), {"msdos4": NO_WAIT},
     "bootkeys"),
    ("F5 during the kernel's start-up wait" + STRONG, lambda: boot_key("f5", strong=True),
     {"msdos4": NO_WAIT}, "strong"),
    ("F8 during the kernel's start-up wait", lambda: boot_key("f8"), {"msdos4": NO_WAIT},
     "bootkeys"),
    ("F8 during the kernel's start-up wait" + STRONG, lambda: boot_key("f8", strong=True),
     {"msdos4": NO_WAIT}, "strong"),
    ("Ctrl+Alt+Del at the prompt", reset_at_prompt, None, "reset"),
    ("Three wrong passwords", three_wrong, None, "reset"),
    ("Password file missing", lambda: password_file(None, "missing"), None, "file"),
    ("Password file missing" + STRONG, lambda: password_file(None, "missing", strong=True),
     None, "file"),
    ("Password file damaged (20 bytes)", lambda: password_file(b"x" * 20, "damaged"), None,
     "file"),
    ("Password file damaged (20 bytes)" + STRONG,
     lambda: password_file(b"x" * 20, "damaged", strong=True), None, "file"),
    ("Windows 95/98: F5 or F8 at \"Starting Windows\"", None,
     "F5 skips the start-up files; F8 offers step-by-step confirmation (N to the prompt's "
     "line) and Safe mode, which skips the boot script: the lock is skipped", "windows"),
    ("Windows 95/98: F5 or F8 at \"Starting Windows\"" + STRONG, None, WINDOWS_KEYS_UNKNOWN,
     "strong"),
    ("Windows 95/98: the boot after one that did not finish (a restart at the prompt, three "
     "wrong passwords, Ctrl+Alt+Del)", None,
     "Windows opens its Startup menu, whose Safe mode skips the boot script without any key "
     "pressed: the lock is skipped", "windows"),
    ("Windows 95/98: the boot after one that did not finish" + STRONG, None,
     WINDOWS_WARN_UNKNOWN, "strong"),
]


def verdict(cell):
    """The verdict at the start of a table cell."""
    for word in (SKIPPED, HELD, LOST, NOT_MEASURED, NO_SUCH):
        if cell.startswith(word):
            return word
    return cell


def measure(system, row):
    """(verdict, text) of a row on a system."""
    global SYSTEM
    SYSTEM = system
    title, attack, other, _ = row
    if attack is None:
        return NOT_MEASURED, other
    if isinstance(other, dict) and system in other:
        return NO_SUCH, other[system]
    what, lock = attack()
    return lock, what


def measure_row(job):
    """measure() for a pool's worker: (system, index of the row in ROWS)."""
    system, index = job
    return measure(system, ROWS[index])


def committed_verdicts(src, system):
    """Row title -> verdict of a system's column in docs/attacks.md."""
    with open(os.path.join(src, "docs", "attacks.md")) as f:
        lines = [line for line in f if line.startswith("| ")]
    column = 1 + realdos.SYSTEMS.index(system)
    verdicts = {}
    for line in lines[1:]:  # after the heading
        cells = [c.strip() for c in line.strip().strip("|").split(" | ")]
        verdicts[cells[0]] = verdict(cells[column])
    return verdicts


def screenshot(png):
    """The prompt as the owner sees it at boot, with five characters typed."""
    a = Attack("screenshot")
    a.machine.wait_screen("^Password:", PATIENCE)
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
    TOOLS = os.path.join(WORK, "tools")
    if len(argv) > 4 and argv[4] == "--check":
        system = argv[5]
        if realdos.system_dir(system) is None:
            print(f"SKIPPED: no {realdos.NAMES[system]} files (see tests/dos/README.md)")
            return realdos.SKIP
        boot.build_tools(src, TOOLS)
        want = committed_verdicts(src, system)
        failed = 0
        # QG_ATTACKS_ONLY=TEXT measures only the rows whose attack names hold TEXT.
        only = os.environ.get("QG_ATTACKS_ONLY", "")
        rows = [row for row in ROWS if only in row[0]]
        # Each row boots a PC of its own, and most of a boot is the guest waiting: rows run
        # WORKERS at a time, each in a process of its own (SYSTEM is per process).
        with multiprocessing.get_context("fork").Pool(WORKERS) as pool:
            results = pool.map(measure_row, [(system, ROWS.index(row)) for row in rows],
                               chunksize=1)
        for row, (lock, what) in zip(rows, results):
            expected = want.get(row[0], "a row missing from docs/attacks.md")
            ok = lock == expected and lock != LOST
            failed += not ok
            print(f"{'PASS' if ok else 'FAIL'}: {row[0]}: {lock} (table: {expected}): {what}")
        return 1 if failed else 0
    out = argv[4] if len(argv) > 4 else None
    png = argv[5] if len(argv) > 5 else None
    systems = [s for s in realdos.SYSTEMS if realdos.system_dir(s) is not None]
    if systems != list(realdos.SYSTEMS):
        print("the table needs both systems (QG_FREEDOS)", file=sys.stderr)
        return realdos.SKIP
    boot.build_tools(src, TOOLS)
    table = ["| Attack | " + " | ".join(f"What happened on {realdos.NAMES[s]}" for s in systems)
             + " | How the owner closes it |", "|---" * (len(systems) + 2) + "|"]
    for row in ROWS:
        cells = []
        for system in systems:
            lock, what = measure(system, row)
            print(f"{system}: {row[0]}: {lock}: {what}", file=sys.stderr)
            cells.append(f"{lock}: {what}")
        table.append(f"| {row[0]} | " + " | ".join(cells) + f" | {ADVICE[row[3]]} |")
    if png:
        global SYSTEM
        SYSTEM = "msdos4"
        screenshot(png)
    text = "\n".join(table) + "\n"
    if out:
        with open(out, "w") as f:
            f.write("# What gets past the boot prompt\n\nMade by `tests/dos/attacks.py SOURCE_DIR "
                    "BIN_DIR WORK_DIR docs/attacks.md` on MS-DOS 4.0 (built from Microsoft's "
                    "published source) and FreeDOS (kernel build 2040, FreeCOM 0.82 pl 3), in "
                    "QEMU: each attack boots a drive C: with the lock installed (the line at the "
                    "end of the boot script, after an earlier line). Each cell starts with the "
                    "verdict: **skipped** means the rest of the boot script ran, or a command "
                    "prompt was had, without the password; holds means it did not, and the "
                    "keys were seen to reach DOS. `./test` measures every row again "
                    "(`dos.msdos4.attacks`, `dos.freedos.attacks`) and fails where a verdict "
                    "changes. Rows ending in \"strong lock\" boot a drive on which the owner "
                    "answered Yes to closing the start-up keys: on FreeDOS `C:\\FDCONFIG.SYS`, "
                    "which its kernel reads instead of `C:\\CONFIG.SYS`, holds the bench's "
                    "lines and "
                    + " and ".join(f"`{line}`" for line in STRONG_LINES["freedos"]) + "; on "
                    "MS-DOS 4.0 `C:\\CONFIG.SYS` also holds "
                    + " and ".join(f"`{line}`" for line in STRONG_LINES["msdos4"])
                    + ": the lines of the configuration program's strong lock. Windows 95/98 "
                    "could not be booted here.\n\n" + text)
    print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
