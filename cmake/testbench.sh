# Shared set-up for ./run and ./test (sourced, not run): installs what is missing, builds the
# cross build, and prepares the Wine bench whose drive C: is the test machine's C:.
# Everything lives under the build folder; the user's own ~/.wine is never touched.

QG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QG_BUILD=${QG_BUILD:-$QG_ROOT/build}

QG_PACKAGES="cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 nasm
  dosbox xvfb xdotool x11-utils imagemagick googletest nsis scons python3 unzip
  qemu-system-x86 qemu-system-gui mtools dosfstools syslinux-common
  wine64 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64"

qg_say() { printf '== %s\n' "$*" >&2; }

# Whether the kernel runs 32-bit Linux programs at all: a 93-byte i386 program that only
# exits. Some kernels have that switched off ("Exec format error"); there 32-bit Wine cannot
# run, and installing it (with the i386 architecture and its package lists) is time lost.
qg_kernel_runs_32bit() {
    local probe rc
    probe=$(mktemp) || return 1
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    return $rc
}

# Installs the Debian packages that are missing; does nothing when all are there.
qg_install_deps() {
    local missing=() p
    for p in $QG_PACKAGES; do
        # 32-bit packages only where the kernel can run them.
        case $p in *:i386) qg_kernel_runs_32bit || continue ;; esac
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    qg_say "installing: ${missing[*]}"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if printf '%s\n' "${missing[@]}" | grep -q ':i386'; then
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
    fi
    # A mirror caught mid-sync fails one index now and then ("File has unexpected size"): try
    # again after a pause, and go on with what did arrive; the install says if that is short.
    local try
    for try in 1 2; do
        $sudo apt-get update -q -o Acquire::Retries=3 >/dev/null && break
        [ "$try" -lt 2 ] && { qg_say "apt-get update failed, again in 15 s"; sleep 15; }
    done
    qg_apt_install "${missing[@]}" && return 0
    # Seen: a mirror whose i386 index of security updates stayed stale, so no 32-bit library
    # matched its 64-bit twin. The 64-bit bench needs none of the 32-bit packages.
    local native=()
    for p in "${missing[@]}"; do
        case $p in *:i386) ;; *) native+=("$p") ;; esac
    done
    [ ${#native[@]} -lt ${#missing[@]} ] || return 1
    qg_say "the 32-bit packages cannot be installed: the Wine tests will use a 64-bit build"
    [ ${#native[@]} -eq 0 ] || qg_apt_install "${native[@]}"
}

qg_apt_install() {
    DEBIAN_FRONTEND=noninteractive ${sudo:-} apt-get install -y -q -o Acquire::Retries=3 \
        --no-install-recommends "$@" >/dev/null
}

# Whether this machine runs 32-bit Linux programs, and so 32-bit Wine. Some kernels have their
# 32-bit emulation switched off (seen: "Exec format error" from /usr/lib/wine/wine).
qg_runs_32bit() {
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# QG_BUILD is the shipping 32-bit build. Where 32-bit Wine runs, its tests run there too.
# Elsewhere the same sources are also built for 64-bit Windows in QG_BUILD/wine64, and the tests
# that run programs under Wine run there instead; the checks of the shipping files (imports,
# zip, resources, DOS side) stay with QG_BUILD. QG_WINE_BUILD is the build that Wine runs.
qg_build() {
    local host_tests=ON
    if qg_runs_32bit; then
        QG_WINE_BUILD=$QG_BUILD QG_WINE_ARCH=win32
    else
        QG_WINE_BUILD=$QG_BUILD/wine64 QG_WINE_ARCH=win64
    fi
    local wine_tests=ON twin=
    [ "$QG_WINE_BUILD" = "$QG_BUILD" ] || wine_tests=OFF twin=$QG_WINE_BUILD
    cmake -S "$QG_ROOT" -B "$QG_BUILD" -DCMAKE_TOOLCHAIN_FILE="$QG_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DQG_HOST_TESTS=$host_tests -DQG_WINE_TESTS=$wine_tests \
        -DQG_TWIN_BUILD="$twin" >/dev/null
    cmake --build "$QG_BUILD" -j"$(nproc)"
    if [ "$wine_tests" = OFF ]; then
        qg_say "32-bit Wine does not run here: the Wine tests use a 64-bit build in $QG_WINE_BUILD"
        cmake -S "$QG_ROOT" -B "$QG_WINE_BUILD" \
            -DCMAKE_TOOLCHAIN_FILE="$QG_ROOT/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
            -DQG_HOST_TESTS=OFF -DQG_WINE_TESTS=ON -DQG_WINE="$QG_WINE_BUILD/winebin/wine" >/dev/null
        cmake --build "$QG_WINE_BUILD" -j"$(nproc)"
    fi
    qg_wine_shims
}

# Debian's `wine` and `wineserver` scripts take the 32-bit programs whenever they are installed,
# even where they cannot run; for a 64-bit bench, shims first on PATH take the 64-bit ones.
qg_wine_shims() {
    [ "$QG_WINE_ARCH" = win64 ] || return 0
    mkdir -p "$QG_WINE_BUILD/winebin"
    local name
    for name in wine wineserver; do
        printf '#!/bin/sh\nexec /usr/lib/wine/%s64 "$@"\n' "$name" >"$QG_WINE_BUILD/winebin/$name"
        chmod +x "$QG_WINE_BUILD/winebin/$name"
    done
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

# Wine bench: a prefix inside the Wine build folder, and a persistent wineserver started with
# its outputs on /dev/null, so no Wine service inherits a caller's pipes (ctest would hang).
qg_start_wine() {
    # Callers that skipped qg_build (a shell that only runs tests) get the shipping build.
    if [ -z "${QG_WINE_BUILD:-}" ]; then
        QG_WINE_BUILD=$QG_BUILD QG_WINE_ARCH=win32
        qg_runs_32bit || QG_WINE_BUILD=$QG_BUILD/wine64 QG_WINE_ARCH=win64
    fi
    if [ "$QG_WINE_ARCH" = win64 ]; then
        export PATH="$QG_WINE_BUILD/winebin:$PATH"
        export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    fi
    export WINEPREFIX="$QG_WINE_BUILD/wineprefix" WINEARCH=$QG_WINE_ARCH WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    qg_ensure_display
    # wineserver wants the prefix folder to exist; wineboot fills it on the first run.
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot </dev/null >/dev/null 2>&1
    # The suites that run side by side copy this prefix (tests/wine-alone.sh): end the server
    # once so that it writes the registry out, then start it and Wine's services again for the
    # rest, their outputs on /dev/null as above.
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot </dev/null >/dev/null 2>&1
}

qg_stop_wine() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    [ -n "$QG_XVFB_PID" ] && kill "$QG_XVFB_PID" 2>/dev/null
    QG_XVFB_PID=
}
