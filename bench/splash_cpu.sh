#!/usr/bin/env bash
# Measures the processor time quillgate.exe uses while its splash waits, as a share of one
# core (a busy wait would be 100%). Runs under the Wine bench of ./test.
set -euo pipefail
. "$(dirname "$0")/../cmake/testbench.sh"
qg_build >/dev/null
trap qg_stop_wine EXIT
qg_start_wine
cd "$QG_BUILD/bin"
wine quillgate.exe </dev/null >/dev/null 2>&1 &
pid=
for _ in $(seq 100); do
    pid=$(pgrep -f 'quillgate.exe' | grep -v "^$$\$" | tail -1 || true)
    [ -n "$pid" ] && break
    sleep 0.05
done
[ -n "$pid" ] || { echo "quillgate.exe did not start" >&2; exit 1; }
sleep 0.8 # start-up and first paint
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
t0=$(ticks); s0=$(date +%s.%N)
sleep 1.8 # inside the 3-second splash
t1=$(ticks); s1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
wineserver -k >/dev/null 2>&1 || true
awk -v d="$((t1 - t0))" -v hz="$hz" -v s0="$s0" -v s1="$s1" 'BEGIN {
    printf "splash wait: %.1f%% of one core over %.2f s (%d ticks at %d Hz)\n", 100 * d / hz / (s1 - s0), s1 - s0, d, hz }'
