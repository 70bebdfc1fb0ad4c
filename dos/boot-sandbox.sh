#!/usr/bin/env bash
# Boots the sandbox drive C: of the Wine bench in DOSBox: mounts
# BUILD_DIR/wineprefix/drive_c as C: and runs c:\autoexec.bat as a boot
# would, so the boot prompt can be tried by hand. Needs a display.
# Usage: dos/boot-sandbox.sh BUILD_DIR
set -euo pipefail

die() { echo "boot-sandbox: $*" >&2; exit 1; }

[ $# -eq 1 ] || die "usage: boot-sandbox.sh BUILD_DIR"
[ -d "$1/wineprefix/drive_c" ] ||
    die "no sandbox drive C: in $1 (run the configuration program first)"
drive=$(cd "$1/wineprefix/drive_c" && pwd)
[ -n "$(find "$drive" -maxdepth 1 -iname autoexec.bat -print -quit)" ] ||
    die "no autoexec.bat on the sandbox drive C: (install the lock first)"
[ -n "${DISPLAY:-}" ] || die "DOSBox needs a display (DISPLAY is unset)"
command -v dosbox >/dev/null || die "dosbox is not installed"

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
echo "Booting $drive in DOSBox (a restart closes DOSBox)." >&2
SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} dosbox -conf "$conf"
