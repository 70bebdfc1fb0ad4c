# Shared set-up for ./run and ./test (sourced, not run): installs what is missing, builds the
# cross build, and prepares the Wine bench whose drive C: is the test machine's C:.
# Everything lives under the build folder; the user's own ~/.wine is never touched.

QG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QG_BUILD=${QG_BUILD:-$QG_ROOT/build}

QG_PACKAGES="cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 nasm
  dosbox xvfb xdotool x11-utils imagemagick googletest nsis python3 unzip"

qg_say() { printf '== %s\n' "$*" >&2; }

# Installs the Debian packages that are missing; does nothing when all are there.
qg_install_deps() {
    local missing=() p
    for p in $QG_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    qg_say "installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if printf '%s\n' "${missing[@]}" | grep -q ':i386'; then
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

qg_build() {
    cmake -S "$QG_ROOT" -B "$QG_BUILD" -DCMAKE_TOOLCHAIN_FILE="$QG_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$QG_BUILD" -j"$(nproc)"
}

QG_XVFB_PID=

# Starts Xvfb on a free display when there is no display.
qg_ensure_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fifo
    fifo=$(mktemp -u) && mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
    QG_XVFB_PID=$!
    local num
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
}

# Wine bench: a 32-bit prefix inside the build folder, and a persistent wineserver started with
# its outputs on /dev/null, so no Wine service inherits a caller's pipes (ctest would hang).
qg_start_wine() {
    export WINEPREFIX="$QG_BUILD/wineprefix" WINEARCH=win32 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    qg_ensure_display
    # wineserver wants the prefix folder to exist; wineboot fills it on the first run.
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot </dev/null >/dev/null 2>&1
}

qg_stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    [ -n "$QG_XVFB_PID" ] && kill "$QG_XVFB_PID" 2>/dev/null
    QG_XVFB_PID=
}
