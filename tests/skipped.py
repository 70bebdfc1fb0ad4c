"""Says, one line per group, which tests of the last ctest run skipped themselves and why.

A test that skips prints "SKIPPED: REASON" and exits with the skip code; ctest's log keeps the
output of each test. Tests with the same reason form a group, named by what their names share
(dos.freedos.* for every FreeDOS case).
    python3 skipped.py BUILD_FOLDER
"""
import os
import re
import sys


def skipped_tests(log_text):
    """(test name, reason) for each test whose output has a SKIPPED: line."""
    found = []
    for block in re.split(r"\n-{58}\n\n", log_text):
        name = re.search(r"^\d+/\d+ Test: (.+)$", block, re.M)
        reason = re.search(r"^SKIPPED: (.+)$", block, re.M)
        if name and reason:
            found.append((name.group(1).strip(), reason.group(1).strip()))
    return found


def group_name(names):
    if len(names) == 1:
        return names[0]
    parts = [name.split(".") for name in names]
    shared = []
    for column in zip(*parts):
        if len(set(column)) != 1:
            break
        shared.append(column[0])
    return ".".join(shared + ["*"])


def summary(log_text):
    groups = {}
    for name, reason in skipped_tests(log_text):
        groups.setdefault(reason, []).append(name)
    lines = []
    for reason, names in groups.items():
        count = f"{len(names)} tests" if len(names) > 1 else "1 test"
        lines.append(f"skipped: {group_name(names)} ({count}): {reason}")
    return lines


def main(argv):
    log = os.path.join(argv[1], "Testing", "Temporary", "LastTest.log")
    if not os.path.exists(log):
        return 0
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in summary(f.read()):
            print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
