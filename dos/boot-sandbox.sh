#!/usr/bin/env bash
# Boots the sandbox drive C: of the Wine bench, so the boot prompt can be tried by hand, on real
# DOS in a QEMU window: MS-DOS 4.0 (the files committed in tests/dos/msdos4) by default, or
# FreeDOS (QG_FREEDOS, by default ../shared/freedos beside the project); the boot script and
# boot folder are copied onto a hard disk in BUILD_DIR/sandbox-dos. With "dosbox", DOSBox mounts
# the folder as C: and runs the boot script instead. Needs a display.
# Usage: dos/boot-sandbox.sh BUILD_DIR [msdos4|freedos|dosbox]
set -euo pipefail

die() { echo "boot-sandbox: $*" >&2; exit 1; }

[ $# -ge 1 ] && [ $# -le 2 ] || die "usage: boot-sandbox.sh BUILD_DIR [msdos4|freedos|dosbox]"
system=${2:-msdos4}
case $system in msdos4 | freedos | dosbox) ;; *) die "no such system: $system" ;; esac
[ -d "$1/wineprefix/drive_c" ] ||
    die "no sandbox drive C: in $1 (run the configuration program first)"
drive=$(cd "$1/wineprefix/drive_c" && pwd)
[ -n "$(find "$drive" -maxdepth 1 -iname autoexec.bat -print -quit)" ] ||
    die "no autoexec.bat on the sandbox drive C: (install the lock first)"
[ -n "${DISPLAY:-}" ] || die "a boot window needs a display (DISPLAY is unset)"

root=$(cd "$(dirname "$0")/.." && pwd)
if [ "$system" = freedos ]; then
    freedos=${QG_FREEDOS:-$root/../shared/freedos}
    [ -f "$freedos/KERNEL.SYS" ] && [ -f "$freedos/COMMAND.COM" ] && [ -f "$freedos/BOOTSECT.BIN" ] ||
        die "no FreeDOS files in $freedos (see tests/dos/README.md)"
fi
if [ "$system" != dosbox ]; then
    echo "Booting $drive on $system in QEMU (a restart boots again; close the window to stop)." >&2
    exec python3 "$root/tests/dos/realdos.py" "$drive" "$1/sandbox-dos" "$system"
fi

command -v dosbox >/dev/null || die "dosbox is not installed"
echo "Booting $drive in DOSBox (a restart closes it)." >&2
# A configuration of our own: the user's DOSBox settings stay untouched.
conf=$(mktemp --suffix=.conf)
trap 'rm -f "$conf"' EXIT
cat >"$conf" <<CONF
[sdl]
fullscreen=false
autolock=false
usescancodes=false
[cpu]
cycles=max
[mixer]
nosound=true
[midi]
mpu401=none
mididevice=none
[dos]
keyboardlayout=none
[autoexec]
@echo off
mount c "$drive"
c:
call c:\\autoexec.bat
echo.
echo The boot script has ended; Windows would start now. Type EXIT to leave.
CONF
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} dosbox -conf "$conf"
