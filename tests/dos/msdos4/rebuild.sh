#!/usr/bin/env bash
# Builds MS-DOS 4.0's IO.SYS, MSDOS.SYS, COMMAND.COM and boot sector from Microsoft's published
# source under DOSBox, and checks that they are byte for byte the files committed beside this
# script. Exit status 0: identical; 1: a build failed or a file differs; 77: no source folder.
# Usage: rebuild.sh [WORK_DIR]   (the source: QG_MSDOS_SOURCE, by default ../shared/msdos4)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
source=${QG_MSDOS_SOURCE:-$root/../shared/msdos4}
work=${1:-$(mktemp -d)}
if [ ! -d "$source/src/DOS" ] || [ ! -d "$source/src/TOOLS" ]; then
    echo "SKIPPED: no MS-DOS 4.0 source in $source (set QG_MSDOS_SOURCE)"
    exit 77
fi
command -v dosbox >/dev/null || { echo "FAIL: dosbox is not installed"; exit 1; }

rm -rf "$work/c"
mkdir -p "$work/c"
cp -r "$source/src" "$work/c/SRC"
chmod -R u+w "$work/c"
# The tools read CR LF text; the published files have LF ends. Binaries (anything with a NUL
# byte) are left alone, and so is a last line without an end (a closing Ctrl+Z): NOSRVBLD
# misreads a skeleton file that ends in Ctrl+Z CR, and takes the wrong yes/no messages.
find "$work/c/SRC" -type f ! -iname '*.exe' ! -iname '*.com' ! -iname '*.obj' \
    ! -iname '*.lib' ! -iname '*.bin' -print0 |
    while IFS= read -r -d '' f; do
        if ! grep -qaP '\x00' "$f"; then
            perl -pi -e 's/\r?\n/\r\n/' "$f"
        fi
    done

# Each step's output goes to a log of its own; DOSBox has no exit status worth reading.
# DOS's message file must exist before INC's objects (MSDOSME.ASM includes it), and of INC only
# the objects MSDOS.SYS links are built: INC's default target also compiles C files that this
# tree cannot (no dos.h).
conf="$work/dosbox.conf"
cat >"$conf" <<CONF
[sdl]
fullscreen=false
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
mount c "$work/c"
c:
set PATH=C:\\SRC\\TOOLS
set INIT=C:\\SRC\\TOOLS
set INCLUDE=C:\\SRC\\TOOLS\\BLD\\INC
set LIB=C:\\SRC\\TOOLS\\BLD\\LIB
set COUNTRY=usa-ms
cd \\SRC\\MESSAGES
nmake > C:\\1MSG.LOG
cd \\SRC\\BOOT
nmake > C:\\2BOOT.LOG
cd \\SRC\\BIOS
nmake > C:\\3BIOS.LOG
cd \\SRC\\DOS
nmake msdos.cl1 > C:\\4CL1.LOG
cd \\SRC\\INC
nmake nibdos.obj const2.obj msdata.obj msdosme.obj mstable.obj > C:\\5INC.LOG
cd \\SRC\\DOS
nmake > C:\\6DOS.LOG
cd \\SRC\\CMD\\COMMAND
nmake > C:\\7CMD.LOG
exit
CONF
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 300 dosbox -conf "$conf" -exit \
    >"$work/dosbox.out" 2>&1 || { echo "FAIL: DOSBox did not finish (see $work/dosbox.out)"; exit 1; }
if grep -aHE 'error A[0-9]|fatal error|^NMAKE :' "$work"/c/*.LOG; then
    echo "FAIL: the build reported errors (logs in $work/c)"
    exit 1
fi

out="$work/out"
mkdir -p "$out"
src="$work/c/SRC"
cp "$src/BIOS/IO.SYS" "$src/DOS/MSDOS.SYS" "$src/CMD/COMMAND/COMMAND.COM" "$out/" 2>/dev/null ||
    { echo "FAIL: a product is missing (logs in $work/c)"; exit 1; }
# EXE2BIN of the boot code, which starts at 7C00h, leaves the sector at the end of the file.
tail -c 512 "$src/BOOT/MSBOOT.BIN" >"$out/BOOTSECT.BIN"
status=0
for f in IO.SYS MSDOS.SYS COMMAND.COM BOOTSECT.BIN; do
    if cmp -s "$out/$f" "$here/$f"; then
        echo "same: $f ($(stat -c %s "$out/$f") bytes)"
    else
        echo "FAIL: $f differs from the committed one (built: $out/$f)"
        status=1
    fi
done
exit $status
