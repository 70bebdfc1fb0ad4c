#!/usr/bin/env bash
# Builds the installer's stub (lzma_solid-x86-ansi: the program that unpacks and runs the
# installer, and that the uninstaller is made of) from NSIS's source, with every C file
# compiled for a 386, and checks that it is byte for byte the stub committed beside this script.
# Debian's stub is built for a Pentium Pro (cmov), which most PCs that ran Windows 95 lack.
# Exit status 0: identical; 1: the build failed or the stub differs; 77: no source folder.
# Usage: rebuild.sh [WORK_DIR] [--install]   (the source: QG_NSIS_SOURCE, by default
# ../shared/nsis-3.08). --install copies the new stub over the committed one instead.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
source=${QG_NSIS_SOURCE:-$root/../shared/nsis-3.08}
work=${1:-$(mktemp -d)}
stub=lzma_solid-x86-ansi
if [ ! -f "$source/SConstruct" ] || [ ! -d "$source/Source/exehead" ]; then
    echo "SKIPPED: no NSIS source in $source (set QG_NSIS_SOURCE)"
    exit 77
fi
command -v scons >/dev/null || { echo "FAIL: scons is not installed"; exit 1; }

# The source folder stays untouched: scons writes its state and objects beside the source.
rm -rf "$work"
mkdir -p "$work/wrap"
cp -r "$source" "$work/src"
chmod -R u+w "$work/src"
# The cross compiler, wrapped: every compile for an 80386, and no link time in the PE header,
# so that the same source gives the same bytes. The real compiler by its full path: scons puts
# the wrapper's folder first on the PATH.
prefix=i686-w64-mingw32-
for tool in gcc g++; do
    real=$(command -v "$prefix$tool") || { echo "FAIL: $prefix$tool is not installed"; exit 1; }
    printf '#!/bin/sh\nexec %s -march=i386 -Wl,--no-insert-timestamp "$@"\n' \
        "$real" >"$work/wrap/$prefix$tool"
    chmod +x "$work/wrap/$prefix$tool"
done
for tool in ar ranlib windres strip as ld; do
    ln -s "$(command -v "$prefix$tool")" "$work/wrap/$prefix$tool"
done

built=build/release/stub_lzma_solid-x86-ansi/stub_lzma.exe
(cd "$work/src" && scons -Q XGCC_W32_PREFIX="$work/wrap/$prefix" UNICODE=no \
    SKIPSTUBS=bzip2,zlib SKIPPLUGINS=all SKIPUTILS=all SKIPMISC=all SKIPDOC=all \
    VERSION=3.08 "$built" >"$work/scons.log" 2>&1) ||
    { tail -20 "$work/scons.log"; echo "FAIL: the stub did not build"; exit 1; }
built=$work/src/$built
if [ "${2:-}" = --install ]; then
    cp "$built" "$here/$stub"
    echo "installed $here/$stub ($(stat -c %s "$built") bytes)"
    exit 0
fi
if cmp "$built" "$here/$stub"; then
    echo "PASS: $stub rebuilt byte for byte ($(stat -c %s "$built") bytes)"
else
    echo "FAIL: the rebuilt $stub differs from the committed one"
    exit 1
fi
