#!/usr/bin/env bash
# Runs one test under Wine with a machine of its own: a copy of the bench's prepared Wine prefix
# (so its own drive C:, registry and wineserver) and an X display of its own (so no other
# suite's windows take the focus from its windows). Tests that each have one can run side by
# side; the copy is removed afterwards.
#   wine-alone.sh NAME COMMAND...
# WINEPREFIX names the prepared prefix (./test's qg_start_wine sets it up); the copy lives
# beside it as <prefix>.NAME.
set -euo pipefail
name=$1
shift
base=${WINEPREFIX:?the Wine bench of ./test (WINEPREFIX) is needed}
own="$base.$name"
xvfb=

stop() {
    WINEPREFIX=$own wineserver -k </dev/null >/dev/null 2>&1 || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$own"
}
trap stop EXIT

rm -rf "$own"
cp -a "$base" "$own"
export WINEPREFIX=$own
# The program's windows open in a Wine virtual desktop, as on a PC's screen. On a bare X
# display (no window manager) Wine waits up to two seconds for each captioned window it
# hides or closes to be withdrawn, a notice that never comes: a third of a window test's time.
cat >>"$own/user.reg" <<'REG'

[Software\\Wine\\Explorer]
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops]
"Default"="1024x768"
REG

fifo=$(mktemp -u) && mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
export DISPLAY=":$display"

# A persistent wineserver, and Wine's services started, with their outputs on /dev/null: a
# service started by the test's first program would inherit its output pipe and keep whoever
# reads it (ctest, a test script) waiting after the program has ended.
wineserver -p </dev/null >/dev/null 2>&1 || true
wine wineboot </dev/null >/dev/null 2>&1
"$@"
