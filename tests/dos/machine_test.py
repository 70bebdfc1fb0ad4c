#!/usr/bin/env python3
"""The machine wrapper (realdos.Machine) against a stand-in emulator whose ending can be timed to
the millisecond: a real guest that restarts closes QEMU's monitor a moment before the process
is gone, and a check that reads the screen just then must read "ended", never fail.

machine_test.py            runs the cases
machine_test.py --qemu ... (internal) the stand-in: serves the monitor as QEMU does
"""
import os
import socket
import sys
import tempfile
import time

import realdos

# The stand-in's behaviour comes through the environment, so the wrapper starts it unchanged.
ANSWERS = "QG_FAKE_ANSWERS"  # monitor commands answered before the monitor closes
LINGER = "QG_FAKE_LINGER"    # seconds the process stays after closing its monitor
REFUSE = "QG_FAKE_REFUSE"    # a start-up complaint: the stand-in exits at once with it


def stand_in(argv):
    """Serves a QEMU human monitor on the unix socket named by -monitor, answers pmemsave with
    zeros and anything else with a prompt, then closes the monitor, lingers and exits 0 (the
    exit status of a guest restart under -no-reboot)."""
    if os.environ.get(REFUSE):
        print(f"qemu-system-i386: {os.environ[REFUSE]}", flush=True)
        return 1
    monitor = argv[argv.index("-monitor") + 1]
    path = monitor[len("unix:"):].split(",")[0]
    server = socket.socket(socket.AF_UNIX)
    server.bind(path)
    server.listen(1)
    conn, _ = server.accept()
    conn.sendall(b"QEMU stand-in monitor\r\n(qemu) ")
    answers = int(os.environ[ANSWERS])
    pending = b""
    while answers > 0:
        chunk = conn.recv(4096)
        if not chunk:
            break
        pending += chunk
        while b"\n" in pending and answers > 0:
            line, pending = pending.split(b"\n", 1)
            words = line.decode().split()
            if words and words[0] == "pmemsave":
                with open(words[3].strip('"'), "wb") as f:
                    f.write(bytes(int(words[2])))
            conn.sendall(line + b"\r\n(qemu) ")
            answers -= 1
    conn.close()
    server.close()
    time.sleep(float(os.environ[LINGER]))
    return 0


# answers, linger, what a check that keeps reading the screen must meet
CASES = [
    # The race of a restart: the monitor closes, the process ends a moment later.
    ("monitor closes, process ends 1.5 s later", 3, 1.5, "ended"),
    ("monitor closes on the first command", 0, 1.0, "ended"),
    ("monitor closes, process ends at once", 5, 0.0, "ended"),
    # A monitor that fails while QEMU keeps running is a fault of the bench, not an ending.
    ("monitor closes, process runs on", 2, 30.0, "error"),
]


def run_case(work, answers, linger, refuse=None):
    os.environ[ANSWERS], os.environ[LINGER] = str(answers), str(linger)
    os.environ.pop(REFUSE, None)
    if refuse:
        os.environ[REFUSE] = refuse
    disk = os.path.join(work, "disk.img")
    open(disk, "wb").close()
    with realdos.Machine(disk, work) as machine:
        try:
            deadline = time.monotonic() + 20
            while machine.screen() is not None:
                if time.monotonic() > deadline:
                    return "still running"
            if machine.wait_end(realdos.ENDING_SECONDS) != realdos.RESTARTED:
                return "ended without a restart's status"
            return "ended"
        except RuntimeError as error:
            return "did not start" if "did not start" in str(error) else "error"


def main():
    # The wrapper starts the stand-in as its emulator.
    realdos.QEMU = os.path.abspath(__file__)
    realdos.ENDING_SECONDS = 5
    failures = 0
    cases = CASES + [("refuses to start", 0, 0.0, "did not start")]
    for name, answers, linger, expected in cases:
        with tempfile.TemporaryDirectory(dir=realdos.short_temp_dir()) as work:
            got = run_case(work, answers, linger,
                           refuse="could not open disk" if expected == "did not start" else None)
        verdict = "ok" if got == expected else "FAILED"
        failures += got != expected
        print(f"{verdict}: {name}: {got} (expected {expected})")
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    if "-monitor" in sys.argv:
        sys.exit(stand_in(sys.argv))
    sys.exit(main())
