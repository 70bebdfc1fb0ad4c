"""The real-DOS boot bench: a FAT12 hard disk that a real DOS boots in QEMU, either MS-DOS 4.0
(IO.SYS, MSDOS.SYS and COMMAND.COM built from Microsoft's published source, committed in
tests/dos/msdos4) or the FreeDOS kernel with FreeCOM.

The disk is built and read with mtools and dosfstools, never mounted. QEMU runs headless
(unless a window is asked for), with -no-reboot so that a restart ends it, and with the ISA
debug-exit port, through which the test helper done.com ends it once the boot script is over.
Keys go in through QEMU's human monitor; the 80x25 text screen comes out of video memory.

The FreeDOS files are test fixtures outside the project: QG_FREEDOS names their folder, by
default ../shared/freedos beside the project. Without them the FreeDOS tests skip.
"""
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
FREEDOS_FILES = ("KERNEL.SYS", "COMMAND.COM", "BOOTSECT.BIN")
MSDOS4_FILES = ("IO.SYS", "MSDOS.SYS", "COMMAND.COM", "BOOTSECT.BIN")
MSDOS4_DIR = os.path.join(HERE, "msdos4")
SKIP = 77  # ctest's SKIP_RETURN_CODE for the real-DOS tests
# The systems the bench boots, and what their command interpreters show at an empty prompt.
SYSTEMS = ("msdos4", "freedos")
NAMES = {"msdos4": "MS-DOS 4.0", "freedos": "FreeDOS"}
SHELL_PROMPT = {"msdos4": r"^C>", "freedos": r"^C:\\>"}

# Disk geometry: 16 heads, 63 sectors a track, 32 cylinders (about 16 MB); one FAT12 partition
# from sector 63 on, 8 KB clusters (well under FAT12's 4,085 clusters).
HEADS, SECTORS, CYLINDERS = 16, 63, 32
TOTAL_SECTORS = HEADS * SECTORS * CYLINDERS
PART_START = 63
PART_OFFSET = PART_START * 512
KERNEL_WAIT_OFFSET = 0x0C  # seconds of "Press F8 to trace or F5 to skip"

# What QEMU's exit status says: the guest restarted (-no-reboot), or done.com wrote 0 to the
# debug-exit port (QEMU then exits with (0 << 1) | 1).
RESTARTED, FINISHED = 0, 1
# How long a QEMU whose monitor has closed may take to be gone, on a loaded machine.
ENDING_SECONDS = 10
# The emulator; the wrapper's own test puts a stand-in here.
QEMU = "qemu-system-i386"

CONFIG_SYS = "SHELL=C:\\COMMAND.COM C:\\ /E:512 /P\r\n"


def _contract():
    """The lock's contract as the configuration program defines it (one "#define" a line)."""
    values = {}
    with open(os.path.join(ROOT, "lockconfig", "Contract.h")) as f:
        for line in f:
            match = re.match(r'#define (QG_\w+) (?:"(.*)"|(\d+))$', line.strip())
            if match:
                values[match[1]] = (match[2].replace("\\\\", "\\") if match[2] is not None
                                    else int(match[3]))
    return values


CONTRACT = _contract()
# The line in the boot script, and the boot folder's name on the disk.
BOOT_LINE = CONTRACT["QG_BOOT_FOLDER"] + "\\" + CONTRACT["QG_BOOT_PROGRAM"]
BOOT_DIR = CONTRACT["QG_BOOT_FOLDER"].split("\\")[-1].upper()


def in_boot_folder(name):
    """The DOS path on the disk of a file of the boot folder: "QG_DATA\\VHOD.DLL"."""
    return BOOT_DIR + "\\" + name.upper()


PROMPT_PROGRAM = in_boot_folder(CONTRACT["QG_BOOT_PROGRAM"])
REBOOT_PROGRAM = in_boot_folder(CONTRACT["QG_REBOOT_PROGRAM"])
PASSWORD_FILE = in_boot_folder(CONTRACT["QG_PASSWORD_FILE"])
NEW_PASSWORD_FILE = in_boot_folder(CONTRACT["QG_PASSWORD_NEW_FILE"])
# The CONFIG.SYS line of the strong lock: the prompt before the command interpreter starts.
INSTALL_LINE = CONTRACT["QG_INSTALL_LINE"]


def freedos_dir():
    """The folder of the FreeDOS files, or None where any of them is missing."""
    folder = os.environ.get("QG_FREEDOS") or os.path.join(ROOT, "..", "shared", "freedos")
    folder = os.path.abspath(folder)
    if all(os.path.isfile(os.path.join(folder, name)) for name in FREEDOS_FILES):
        return folder
    return None


def system_dir(system):
    """The folder of a system's files, or None where they are missing."""
    if system == "freedos":
        return freedos_dir()
    if all(os.path.isfile(os.path.join(MSDOS4_DIR, name)) for name in MSDOS4_FILES):
        return MSDOS4_DIR
    return None


def _chs(lba):
    cyl, rest = divmod(lba, HEADS * SECTORS)
    head, sector = divmod(rest, SECTORS)
    return bytes([head, (sector + 1) | ((cyl >> 2) & 0xC0), cyl & 0xFF])


def make_disk(path, files, kernel_wait=0, config_sys=CONFIG_SYS, system="freedos"):
    """Builds a bootable drive C: at path. files maps DOS paths ("QG_DATA\\QG.EXE") to bytes.
    kernel_wait: FreeDOS's start-up wait in seconds (0: none, 2: as shipped; MS-DOS 4.0 has
    none)."""
    folder = system_dir(system)
    with open(path, "wb") as disk:
        disk.truncate(TOTAL_SECTORS * 512)
    mbr = bytearray(512)
    with open("/usr/lib/syslinux/mbr/mbr.bin", "rb") as f:
        mbr[:440] = f.read()[:440]
    # The partition ends on the last sector of a cylinder: QEMU guesses the BIOS geometry from
    # its end, and MS-DOS's boot sector fails on a wrong one.
    last = TOTAL_SECTORS - 1
    mbr[446:462] = (bytes([0x80]) + _chs(PART_START) + bytes([0x01]) + _chs(last)
                    + struct.pack("<II", PART_START, last - PART_START + 1))
    mbr[510:512] = b"\x55\xaa"
    # MS-DOS lays a volume out with one reserved sector, unaligned, and 512 root entries; its
    # boot sector hangs on mkfs.fat's 16 aligned reserved sectors.
    layout = ["-R", "1", "-a", "-r", "512"] if system == "msdos4" else []
    subprocess.run(["mkfs.fat", "--offset", str(PART_START), "-h", str(PART_START),
                    "-g", f"{HEADS}/{SECTORS}", "-F", "12", "-s", "16", *layout, path,
                    str((TOTAL_SECTORS - PART_START) // 2)],
                   check=True, stdout=subprocess.DEVNULL)
    with open(path, "r+b") as disk:
        disk.write(mbr)
        # The system's boot code, with the parameter block that mkfs.fat wrote and drive 80h.
        # MS-DOS's sector keeps its own OEM name too: IO.SYS trusts a parameter block only
        # under a name it knows.
        disk.seek(PART_OFFSET)
        formatted = disk.read(512)
        with open(os.path.join(folder, "BOOTSECT.BIN"), "rb") as f:
            boot = bytearray(f.read())
        boot[0x0B:0x3E] = formatted[0x0B:0x3E]
        boot[0x24] = 0x80
        disk.seek(PART_OFFSET)
        disk.write(boot)
    with open(os.path.join(folder, "COMMAND.COM"), "rb") as f:
        shell = f.read()
    if system == "msdos4":
        # The boot sector wants IO.SYS and MSDOS.SYS as the first two root entries, IO.SYS
        # from the first cluster on: they are copied first, alone.
        for name in ("IO.SYS", "MSDOS.SYS"):
            with open(os.path.join(folder, name), "rb") as f:
                put_files(path, {name: f.read()})
            subprocess.run(["mattrib", "-i", _image(path), "+r", "+h", "+s", "::" + name],
                           check=True)
        system_files = {}
    else:
        with open(os.path.join(folder, "KERNEL.SYS"), "rb") as f:
            kernel = bytearray(f.read())
        kernel[KERNEL_WAIT_OFFSET] = kernel_wait
        system_files = {"KERNEL.SYS": bytes(kernel)}
    put_files(path, {**system_files, "COMMAND.COM": shell,
                     "CONFIG.SYS": config_sys.encode("ascii"), **files})


def make_floppy(path, files, system="freedos"):
    """Builds a 1.44 MB boot floppy of the system at path, its start-up files first, with
    files (DOS paths -> bytes) beside them: the owner's boot disk."""
    folder = system_dir(system)
    if os.path.exists(path):
        os.unlink(path)
    subprocess.run(["mkfs.fat", "-C", "-F", "12", "-R", "1", "-a", "-r", "224", "-s", "1",
                    "-M", "0xF0", "-g", "2/18", path, "1440"],
                   check=True, stdout=subprocess.DEVNULL)
    with open(path, "r+b") as disk:
        formatted = disk.read(512)
        with open(os.path.join(folder, "BOOTSECT.BIN"), "rb") as f:
            boot = bytearray(f.read())
        boot[0x0B:0x3E] = formatted[0x0B:0x3E]
        boot[0x24] = 0x00
        disk.seek(0)
        disk.write(boot)
    names = ("IO.SYS", "MSDOS.SYS") if system == "msdos4" else ("KERNEL.SYS",)
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            _copy_to(path, {name: f.read()})
        if system == "msdos4":
            subprocess.run(["mattrib", "-i", path, "+r", "+h", "+s", "::" + name], check=True)
    with open(os.path.join(folder, "COMMAND.COM"), "rb") as f:
        shell = f.read()
    _copy_to(path, {"COMMAND.COM": shell,
                    "CONFIG.SYS": b"SHELL=A:\\COMMAND.COM A:\\ /E:512 /P\r\n", **files})


def _image(path):
    return f"{path}@@{PART_OFFSET}"


def put_files(path, files):
    """Copies files (DOS path -> bytes) onto the disk, making folders as needed."""
    _copy_to(path, files, _image(path))


def _copy_to(path, files, image=None):
    """put_files onto a volume: mtools' image name, the file itself for a floppy."""
    image = image or path
    staging = path + ".files"
    shutil.rmtree(staging, ignore_errors=True)
    os.makedirs(staging)
    made = set()
    for number, (name, data) in enumerate(sorted(files.items())):
        parts = name.split("\\")
        for i in range(1, len(parts)):
            folder = "::" + "/".join(parts[:i])
            if folder not in made:
                subprocess.run(["mmd", "-D", "s", "-i", image, folder],
                               stderr=subprocess.DEVNULL)
                made.add(folder)
        local = os.path.join(staging, str(number))
        with open(local, "wb") as f:
            f.write(data)
        subprocess.run(["mcopy", "-o", "-i", image, local, "::" + "/".join(parts)],
                       check=True)
    shutil.rmtree(staging)


def set_attributes(path, name, flags):
    """Sets a file's attributes on the disk: flags as mattrib takes them ("+h +s +r")."""
    subprocess.run(["mattrib", "-i", _image(path), *flags.split(),
                    "::" + name.replace("\\", "/")], check=True)


def first_sector(path, name):
    """The number, from the disk's start, of the first sector of a file on the disk."""
    with open(path, "rb") as f:
        f.seek(PART_OFFSET)
        bpb = f.read(512)
    sector_size, cluster, reserved, fats, roots = struct.unpack_from("<HBHBH", bpb, 11)
    fat_size = struct.unpack_from("<H", bpb, 22)[0]
    data = PART_START + reserved + fats * fat_size + roots * 32 // sector_size
    chain = subprocess.run(["mshowfat", "-i", _image(path), "::" + name.replace("\\", "/")],
                           stdout=subprocess.PIPE, check=True).stdout.decode()
    first = int(re.search(r"<(\d+)", chain)[1])
    return data + (first - 2) * cluster


def read_file(path, name):
    """A file from the disk (DOS path), or None when it is not there."""
    result = subprocess.run(["mtype", "-i", _image(path), "::" + name.replace("\\", "/")],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return result.stdout if result.returncode == 0 else None


def copy_tree_to_disk(path, drive_c):
    """Copies what a boot of a host folder (a Wine prefix's drive_c, say) uses onto the disk:
    the boot script and the boot folder. The rest of such a drive is Windows' own."""
    files = {}
    for name in os.listdir(drive_c):
        full = os.path.join(drive_c, name)
        if os.path.isfile(full) and name.lower() == "autoexec.bat":
            with open(full, "rb") as f:
                files["AUTOEXEC.BAT"] = f.read()
        elif os.path.isdir(full) and name.upper() == BOOT_DIR:
            for sub in os.listdir(full):
                subpath = os.path.join(full, sub)
                if os.path.isfile(subpath) and re.fullmatch(r"\w{1,8}(\.\w{1,3})?", sub):
                    with open(subpath, "rb") as f:
                        files[in_boot_folder(sub)] = f.read()
    put_files(path, files)


# Monitor names of the characters a test types.
_KEYS = {" ": "spc", "-": "minus", "=": "equal", ".": "dot", ",": "comma", "/": "slash",
         ";": "semicolon", "'": "apostrophe", "\\": "backslash", "[": "bracket_left",
         "]": "bracket_right", "`": "grave_accent"}
_SHIFTED = {"!": "1", "@": "2", "#": "3", "$": "4", "%": "5", "^": "6", "&": "7", "*": "8",
            "(": "9", ")": "0", "_": "minus", "+": "equal", ">": "dot", "<": "comma",
            "?": "slash", ":": "semicolon", '"': "apostrophe", "|": "backslash",
            "{": "bracket_left", "}": "bracket_right", "~": "grave_accent"}


def key_name(char):
    if char.islower() or char.isdigit():
        return char
    if char.isupper():
        return "shift-" + char.lower()
    if char in _SHIFTED:
        return "shift-" + _SHIFTED[char]
    return _KEYS[char]


def short_temp_dir():
    """A temporary folder whose path is short enough for Unix sockets below it."""
    folder = tempfile.gettempdir()
    return folder if len(folder) <= 40 else "/tmp"


class Machine:
    """One PC booting a disk in QEMU. Use as a context manager: QEMU is ended on leaving."""

    def __init__(self, disk, work, window=False, restart_ends=True, bad_sectors=(),
                 floppy=None):
        self.disk, self.work = disk, work
        # A Unix socket's path must stay under 108 bytes, and the work folder of a clone in a
        # long folder is longer: the monitor's socket goes in a short private folder instead.
        self.socket_dir = tempfile.mkdtemp(prefix="qg-", dir=short_temp_dir())
        self.socket_path = os.path.join(self.socket_dir, "monitor.sock")
        drive = disk
        if bad_sectors:
            # QEMU's blkdebug driver fails every read that covers one of these sectors.
            config = os.path.join(work, "blkdebug.cfg")
            with open(config, "w") as f:
                for sector in bad_sectors:
                    f.write(f'[inject-error]\nevent = "read_aio"\nerrno = "5"\n'
                            f'sector = "{sector}"\nonce = "off"\n\n')
            drive = f"blkdebug:{config}:{disk}"
        command = [QEMU, "-accel", "tcg", "-m", "16", "-nic", "none",
                   "-boot", "a" if floppy else "c",
                   "-drive", f"file={drive},format=raw,if=ide",
                   "-device", "isa-debug-exit,iobase=0xf4,iosize=0x04",
                   "-monitor", f"unix:{self.socket_path},server=on,wait=off"]
        if floppy:
            command += ["-drive", f"file={floppy},format=raw,if=floppy"]
        if restart_ends:
            command += ["-no-reboot"]
        if not window:
            command += ["-display", "none"]
        self.log = open(os.path.join(work, "qemu.log"), "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.monitor = None
        self.answered = False  # the monitor has answered once: QEMU did start
        self.ended = None  # monotonic time QEMU was seen to end

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self.monitor:
            self.monitor.close()
            self.monitor = None
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.log.close()
        shutil.rmtree(self.socket_dir, ignore_errors=True)

    def _never_started(self):
        """QEMU's own complaint when it ended before its monitor ever answered, else None: a
        QEMU that refused to start must fail the test, not read as a machine that restarted."""
        if self.answered or self.process.poll() is None:
            return None
        with open(os.path.join(self.work, "qemu.log"), "rb") as log:
            text = log.read().decode("latin-1")
        errors = [line for line in text.splitlines() if line.startswith("qemu-system-")]
        return "; ".join(errors) or None

    def _connect(self):
        deadline = time.monotonic() + 10
        while self.monitor is None:
            try:
                sock = socket.socket(socket.AF_UNIX)
                sock.connect(self.socket_path)
                self.monitor = sock
                self.answered = True
            except OSError:
                sock.close()
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise RuntimeError("QEMU's monitor did not answer")
                time.sleep(0.02)
        self._read_prompt()

    def _read_prompt(self):
        data = b""
        self.monitor.settimeout(10)
        while not data.endswith(b"(qemu) "):
            chunk = self.monitor.recv(4096)
            if not chunk:
                raise RuntimeError("QEMU's monitor closed")
            data += chunk
        return data

    def command(self, text):
        """Runs a monitor command; False when QEMU has ended meanwhile. A guest that restarts
        under -no-reboot makes QEMU close its monitor a moment before the process is gone: a
        monitor that fails while the process is ending is an end, not an error."""
        if self.process.poll() is not None:
            complaint = self._never_started()
            if complaint:
                raise RuntimeError(f"QEMU did not start: {complaint}")
            return False
        try:
            if self.monitor is None:
                self._connect()
            self.monitor.sendall(text.encode() + b"\n")
            self._read_prompt()
            return True
        except (OSError, RuntimeError):
            if self.monitor is not None:
                self.monitor.close()
                self.monitor = None
            try:
                self.process.wait(ENDING_SECONDS)
            except subprocess.TimeoutExpired:
                raise RuntimeError("QEMU's monitor failed while QEMU kept running") from None
            complaint = self._never_started()
            if complaint:
                raise RuntimeError(f"QEMU did not start: {complaint}")
            return False

    def key(self, name, gap=0.06):
        """Presses one key (a monitor name: ret, ctrl-c, ctrl-pause, shift-a...)."""
        self.command(f"sendkey {name}")
        time.sleep(gap)

    def type(self, text):
        for char in text:
            self.key(key_name(char))

    def memory(self, address, size):
        dump = os.path.join(self.work, "memory.bin")
        if os.path.exists(dump):
            os.unlink(dump)
        if not self.command(f'pmemsave {address:#x} {size} "{dump}"'):
            return None
        with open(dump, "rb") as f:
            return f.read()

    def screen(self):
        """The 80x25 text screen as 25 lines, trailing blanks dropped; None once QEMU ended."""
        raw = self.memory(0xB8000, 4000)
        if raw is None:
            return None
        return [raw[row * 160:(row + 1) * 160:2].decode("cp437").rstrip()
                for row in range(25)]

    def screenshot(self, png):
        """Saves what the screen shows as a PNG (needs ImageMagick's convert)."""
        ppm = os.path.join(self.work, "screen.ppm")
        if not self.command(f'screendump "{ppm}"'):
            return False
        subprocess.run(["convert", ppm, png], check=True)

    def video_mode(self):
        raw = self.memory(0x449, 1)
        return None if raw is None else raw[0]

    def wait_screen(self, pattern, timeout=15):
        """Waits until a screen line matches pattern; the screen, or None."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            lines = self.screen()
            if lines is None:
                return None
            if any(re.search(pattern, line) for line in lines):
                return lines
            time.sleep(0.05)
        return None

    def wait_end(self, timeout=30):
        """Waits for QEMU to end: RESTARTED, FINISHED, or None when it is still running."""
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None
        self.ended = time.monotonic()
        return code

    def cpu_seconds(self):
        """Processor time QEMU has used, all its threads."""
        with open(f"/proc/{self.process.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def idle_share(self, seconds):
        """QEMU's share of one core over the next seconds."""
        cpu0, t0 = self.cpu_seconds(), time.monotonic()
        time.sleep(seconds)
        return (self.cpu_seconds() - cpu0) / (time.monotonic() - t0)


def screen_text(lines):
    return "\n".join(lines or [])


def main(argv):
    """realdos.py DRIVE_C WORK [SYSTEM]: boots a copy of a host folder's boot script and boot
    folder (the sandbox drive C: of ./run) on SYSTEM (msdos4, the default, or freedos) in a
    QEMU window; a restart boots it again."""
    if len(argv) not in (3, 4):
        print("usage: realdos.py DRIVE_C WORK [msdos4|freedos]", file=sys.stderr)
        return 2
    drive, work = argv[1:3]
    system = argv[3] if len(argv) > 3 else "msdos4"
    if system not in SYSTEMS or system_dir(system) is None:
        print(f"realdos.py: no files for {system}", file=sys.stderr)
        return 2
    os.makedirs(work, exist_ok=True)
    disk = os.path.join(work, "sandbox.img")
    make_disk(disk, {}, system=system)
    copy_tree_to_disk(disk, drive)
    with Machine(disk, work, window=True, restart_ends=False) as machine:
        machine.process.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
