#!/usr/bin/env bash
# Boots qg.exe and rb.com in DOSBox and types at them, one case of cases.txt
# a run: run.sh SOURCE_DIR BIN_DIR WORK_DIR tools|all|CASE...
# "tools" builds the helpers into WORK_DIR (ctest runs it first); "all" does
# that and runs every case.
set -euo pipefail

src=$1 bin=$2 work=$3
shift 3
here=$src/tests/dos
tools=$work/tools

fail() { echo "FAIL: $*" >&2; exit 1; }

build_tools() {
    mkdir -p "$tools"
    g++ -std=c++17 -Wall -Wextra -I"$src" "$src/lockconfig/Password.cpp" \
        "$here/make_password_file.cpp" -o "$tools/make_password_file"
    local helper
    for helper in probe breaker ran; do
        nasm -f bin -w+all -o "$tools/$helper.com" "$here/$helper.asm"
    done
}

# A display for DOSBox: the caller's, or an Xvfb of our own.
xvfb_pid= pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    true
}
trap cleanup EXIT
ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fifo num
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" \
        </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
}

# DOS makes files with names in capitals: BEFORE.TXT, MARKER.TXT.
# Waits up to $2 tenths of a second for command $1 to succeed.
wait_for() {
    local i
    for ((i = 0; i < $2; i++)); do eval "$1" && return 0; sleep 0.1; done
    return 1
}

# Boots drive $c in DOSBox: the boot script, then a marker file, then the end. Types $keys
# once the boot script waits (c:\t\BEFORE.TXT is there), and waits for DOSBox to end.
boot() {
    cat >"$dir/dosbox.conf" <<EOF
[sdl]
usescancodes=false
waitonerror=false
[cpu]
cycles=max
[mixer]
nosound=true
[midi]
mpu401=none
[dos]
keyboardlayout=none
[autoexec]
mount c "$c"
c:
call c:\\autoexec.bat
echo done > c:\\t\\marker.txt
exit
EOF

    # Now and then Xlib's connect to Xvfb fails (EAGAIN) and DOSBox gives up
    # at start-up; that is no fault of ours, so it gets another try.
    local attempt
    for attempt in 1 2 3 4 5; do
        HOME=$dir/home SDL_AUDIODRIVER=dummy \
            dosbox -conf "$dir/dosbox.conf" >"$dir/dosbox.log" 2>&1 &
        pid=$!
        wait_for '[ -s "$c/t/BEFORE.TXT" ] ||
            ! kill -0 $pid 2>/dev/null' 200
        grep -q "Can't init SDL" "$dir/dosbox.log" || break
        wait "$pid" || true
        pid=
        sleep 0.5
    done
    [ -n "$pid" ] || fail "$want: DOSBox did not start"
    if [ -n "$keys" ]; then
        kill -0 "$pid" 2>/dev/null || fail "$want: qg.exe did not wait"
        local win
        win=$(timeout 20 xdotool search --sync --pid "$pid" | head -1) || true
        [ -n "$win" ] || fail "$want: no DOSBox window"
        timeout 10 xdotool windowfocus --sync "$win"
        local key
        for key in $keys; do
            case $key in
            t:*) xdotool type --delay 40 "${key#t:}" ;;
            w:*) sleep "${key#w:}" ;;
            *) xdotool key --delay 40 "$key" ;;
            esac
        done
        [ "$outcome" = reboot ] && [ "$extras" != no-rb ] && rb_delay
    fi
    # A boot that hangs leaves a picture of its screen for the failure report.
    if ! wait_for '! kill -0 $pid 2>/dev/null' 300; then
        import -window root "$dir/stuck.png" 2>/dev/null || true
        fail "$want: DOSBox did not finish in 30 s (its screen: $dir/stuck.png)"
    fi
    wait "$pid" || true
    pid=
    return 0
}

run_case() {
    local want=$1 line name file extras keys outcome checks rb_after=
    line=$(grep -E "^$want " "$here/cases.txt" | sed 's/ *| */|/g; s/ *$//')
    [ -n "$line" ] || fail "no case $want"
    IFS='|' read -r name file extras keys outcome checks <<<"$line"

    local dir=$work/$want
    rm -rf "$dir"
    local c=$dir/c
    mkdir -p "$c/Qg_Data" "$c/t" "$dir/home"
    cp "$bin/qg.exe" "$bin/rb.com" "$c/Qg_Data/"
    cp "$tools/probe.com" "$tools/breaker.com" "$c/t/"
    case $extras in
    no-rb) rm "$c/Qg_Data/rb.com" ;;
    rb-returns) cp "$tools/ran.com" "$c/Qg_Data/rb.com" ;;
    esac
    case $file in
    pw:*) "$tools/make_password_file" "$c/Qg_Data/vhod.dll" "${file#pw:}" ;;
    empty) : >"$c/Qg_Data/vhod.dll" ;;
    esac
    {
        echo '@echo off'
        [ "$extras" = breaker ] && echo 'c:\t\breaker.com'
        echo 'c:\t\probe.com > c:\t\before.txt'
        echo 'c:\Qg_Data\qg.exe'
        echo 'if errorlevel 1 echo 1 > c:\t\failed.txt'
        echo 'c:\t\probe.com > c:\t\after.txt'
    } | sed 's/$/\r/' >"$c/autoexec.bat"
    boot
    check_outcome
    echo "PASS: $want"
}

# Sets rb_after to the seconds from now until rb.com starts, told by the
# window title, which names the running program, or by the file that the
# stand-in for rb.com leaves (it may end before the title shows it).
rb_delay() {
    local from title
    from=$(date +%s.%N)
    wait_for '[ -e "$c/RAN.TXT" ] ||
        { title=$(xdotool getwindowname "$win" 2>/dev/null) &&
        [[ $title == *RB ]]; }' 150 || fail "$want: rb.com was not started"
    rb_after=$(awk -v a="$from" -v b="$(date +%s.%N)" \
        'BEGIN { printf "%.1f", b - a }')
}

check_outcome() {
    local marker= rebooted=
    [ -e "$c/t/MARKER.TXT" ] && marker=1
    grep -q 'Reboot requested' "$dir/dosbox.log" && rebooted=1
    if [ "$outcome" = reboot ]; then
        [ -z "$marker" ] || fail "$want: the boot script went on"
        [ -n "$rebooted" ] || fail "$want: no reboot"
        if [ -n "$rb_after" ]; then
            # The pause after the third wrong password: at least 4 seconds.
            awk -v t="$rb_after" 'BEGIN { exit !(t >= 4) }' ||
                fail "$want: rb.com started ${rb_after}s after the last key"
        fi
        return 0
    fi
    [ -z "$rebooted" ] || fail "$want: rebooted"
    [ -n "$marker" ] || fail "$want: the boot script did not go on"
    # The shell makes the redirected file even when the "if" fails.
    local failed=
    [ -s "$c/t/FAILED.TXT" ] && failed=1
    # The probe's last 4 bytes are INT 1Bh, which DOS does not restore.
    cmp -s <(tail -c 4 "$c/t/BEFORE.TXT") <(tail -c 4 "$c/t/AFTER.TXT") ||
        fail "$want: INT 1Bh not restored"
    local screen=$dir/screen.txt
    head -c -4 "$c/t/AFTER.TXT" | tr -d '\r' >"$screen"
    if [ "$outcome" = accepted ]; then
        [ -z "$failed" ] || fail "$want: exit code not 0"
        checks="1:^Password accepted\.$;$checks"
    else
        [ -n "$failed" ] || fail "$want: exit code 0"
        checks="1:^No valid boot password is set;0:Password:;$checks"
    fi
    local check count
    IFS=';' read -ra checks <<<"$checks"
    for check in "${checks[@]}"; do
        [ -n "$check" ] || continue
        count=$(grep -cE -- "${check#*:}" "$screen" || true)
        [ "$count" = "${check%%:*}" ] || {
            cat "$screen" >&2
            fail "$want: $count lines match ${check#*:}, not ${check%%:*}"
        }
    done
}

# The whole chain: the configuration program under Wine installs the lock on the Wine
# prefix's drive C: through its windows, then that drive boots in DOSBox, once with the
# right password and once with three wrong ones. Needs the Wine bench of ./test (WINEPREFIX,
# a running wineserver) and QGDRIVE, the driver program.
run_chain() {
    local want=chain rb_after= extras=- keys outcome
    [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] ||
        fail "chain: no Wine prefix (run it through ./test)"
    [ -n "${QGDRIVE:-}" ] || fail "chain: QGDRIVE is not set"
    dir=$work/chain
    c=$WINEPREFIX/drive_c
    rm -rf "$dir"
    mkdir -p "$dir/home"
    clean_chain
    trap 'clean_chain; cleanup' EXIT
    mkdir -p "$c/t"
    cp "$tools/probe.com" "$c/t/"
    printf '@echo off\r\nc:\\t\\probe.com > c:\\t\\before.txt\r\n' >"$c/autoexec.bat"
    wine "$QGDRIVE" install Sesame42 </dev/null >"$dir/qgdrive.log" 2>&1 || {
        cat "$dir/qgdrive.log" >&2
        fail "chain: the installation through the windows failed"
    }
    grep -qxF $'c:\\Qg_Data\\qg.exe\r' "$c/autoexec.bat" ||
        fail "chain: no boot-script line after the installation"

    keys="t:sesame42 Return w:2.5 t:Sesame42 Return" outcome=accepted
    boot
    [ -e "$c/t/MARKER.TXT" ] || fail "chain: the right password did not let the boot go on"
    grep -q 'Reboot requested' "$dir/dosbox.log" && fail "chain: rebooted after the right one"

    rm -f "$c/t/MARKER.TXT" "$c/t/BEFORE.TXT"
    keys="t:a1 Return w:2.5 t:b2 Return w:4 t:c3 Return" outcome=reboot
    boot
    [ ! -e "$c/t/MARKER.TXT" ] || fail "chain: three wrong passwords got through"
    grep -q 'Reboot requested' "$dir/dosbox.log" || fail "chain: no reboot after three"
    echo "PASS: chain"
}

# Takes the lock and the probe off the Wine prefix's drive C: (DOS wrote some names in
# capitals).
clean_chain() {
    find "$c" -maxdepth 1 \( -iname autoexec.bat -o -iname qg_data -o -iname autotemp \
        -o -iname autoexec.qgb -o -iname t \) -exec rm -rf {} +
}

[ $# -gt 0 ] ||
    fail "usage: run.sh SOURCE_DIR BIN_DIR WORK_DIR tools|all|CASE..."
if [ "$1" = tools ] || [ "$1" = all ]; then
    build_tools
    if [ "$1" = all ]; then
        set -- $(grep -oE '^[a-z][a-z0-9-]*' "$here/cases.txt")
    else
        shift
    fi
fi
[ $# -gt 0 ] || exit 0
ensure_display
for name in "$@"; do
    if [ "$name" = chain ]; then run_chain; else run_case "$name"; fi
done
