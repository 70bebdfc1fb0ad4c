#!/usr/bin/env bash
# The benchmark: builds, then measures in one run under the Wine bench and prints a table of
# ratios and sizes (no pass or fail). With -o FILE it also writes the table, with the machine
# it ran on, as Markdown (docs/bench.md is the committed one). RUNS sets the start-up repeats.
# It uses the build folder's drive C: (boot script, boot folder): do not run it beside ./test.
# Usage: bench/run.sh [-o FILE]
set -euo pipefail
out=
if [ "${1:-}" = -o ]; then out=$2; fi
runs=${RUNS:-9}
. "$(dirname "$0")/../cmake/testbench.sh"
qg_build >/dev/null
cmake --build "$QG_WINE_BUILD" --target bench_tools >/dev/null
trap qg_stop_wine EXIT
qg_start_wine

winpath() { echo "z:$1" | tr / '\\'; }
bench=$(winpath "$QG_WINE_BUILD/bench/qgbench.exe")
floor=$(winpath "$QG_WINE_BUILD/bench/bench_floor.exe")
qg=$(winpath "$QG_WINE_BUILD/bin/quillgate.exe")
results=$(mktemp)
measure() {
    wine "$bench" "$@" </dev/null 2>"$results.err" | tr -d '\r' >>"$results" ||
        { cat "$results.err" >&2; echo "bench: qgbench $1 failed" >&2; exit 1; }
}
measure start "$floor" "$qg" "$runs"
# Processor time from the host's view of the process (Wine's own figures for another process
# are not dependable): all its threads, over 1.8 s inside the 3-second splash.
(cd "$QG_WINE_BUILD/bin" && exec wine quillgate.exe </dev/null >/dev/null 2>&1) &
starter=$!
pid=
for _ in $(seq 100); do
    pid=$(pgrep -f 'quillgate.exe' | grep -v "^$$\$" | tail -1 || true)
    [ -n "$pid" ] && break
    sleep 0.05
done
[ -n "$pid" ] || { echo "bench: quillgate.exe did not start" >&2; exit 1; }
sleep 0.8 # start-up and first paint
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
t0=$(ticks) s0=$(date +%s.%N)
sleep 1.8
t1=$(ticks) s1=$(date +%s.%N)
kill "$pid" 2>/dev/null || true
wait "$starter" 2>/dev/null || true
awk -v d="$((t1 - t0))" -v hz="$(getconf CLK_TCK)" -v s0="$s0" -v s1="$s1" 'BEGIN {
    printf "splash_cpu_pct=%.1f\nsplash_span_s=%.2f\n", 100 * d / hz / (s1 - s0), s1 - s0 }' >>"$results"
measure peak "$qg" "Quillgate v1.0 Build 05" quillgate
measure peak "$floor" "Bench floor" floor
measure remove "$qg" 5000 3
# shellcheck disable=SC1090
. "$results"
rm -f "$results" "$results.err"

strip=$(mktemp)
i686-w64-mingw32-strip -o "$strip" "$QG_BUILD/bin/quillgate.exe"
size() { stat -c %s "$1"; }
kb() { awk -v b="$1" 'BEGIN { printf "%.0f KB", b / 1024 }'; }
table=$(
    awk -v f="$start_floor_ms" -v q="$start_quillgate_ms" -v n="$start_runs" 'BEGIN {
        printf "| Start to splash on screen, against a one-window program | %.2f x (%.0f ms against %.0f ms, median of %d) |\n", q / f, q, f, n }'
    echo "| Processor time while the splash waits, share of one core | ${splash_cpu_pct} % (over ${splash_span_s} s) |"
    awk -v q="$peak_quillgate_kb" -v f="$peak_floor_kb" 'BEGIN {
        printf "| Peak working set with the home window up | %.1f MB, %.1f MB more than the one-window program (%.1f MB) |\n", q / 1024, (q - f) / 1024, f / 1024 }'
    echo "| Size of quillgate.exe | $(kb "$(size "$QG_BUILD/bin/quillgate.exe")") as built, $(kb "$(size "$strip")") stripped (as shipped) |"
    # Sections of the shipped file: the resources (icons, splash picture) are what the windows
    # show; the rest is the program's code and data with the runtime linked in.
    i686-w64-mingw32-size -A "$strip" | awk -v kb=1024 '
        $1 == ".rsrc" { rsrc = $2 } $1 == ".text" { text = $2 }
        $1 ~ /^\./ && $1 != ".rsrc" { rest += $2 }
        END { printf "| quillgate.exe apart from its resources | %.0f KB of code and data (%.0f KB of it code), beside %.0f KB of resources |\n", rest / kb, text / kb, rsrc / kb }'
    python3 "$QG_ROOT/bench/dos.py" "$QG_ROOT" "$QG_BUILD/bin" "$QG_BUILD/bench-dos"
    echo "| Removal on a ${remove_lines}-line boot script, outside the fixed 1 s of pauses | ${remove_net_ms} ms (${remove_total_ms} ms in all, median of ${remove_runs}) |"
)
rm -f "$strip"
machine="$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, $(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo); $(. /etc/os-release && echo "$PRETTY_NAME"), $(wine --version); $(date -u +%Y-%m-%d)"
if [ "$QG_WINE_ARCH" = win64 ]; then
    machine="$machine. Times and working sets are of the 64-bit build (this kernel runs no 32-bit Wine), sizes of the shipping 32-bit build"
fi
report=$(printf '| Figure | Result |\n|---|---|\n%s\n\nMachine: %s. Under Wine, so times include Wine'"'"'s own start-up; the start-up ratio takes that out by comparing with the one-window program, and the working set includes Wine'"'"'s libraries (compare with the one-window program).\n' "$table" "$machine")
echo "$report"
if [ -n "$out" ]; then
    {
        echo "# Benchmark"
        echo
        echo "Made by \`bench/run.sh -o docs/bench.md\` (one run, all figures side by side)."
        echo
        echo "$report"
    } >"$out"
fi
