# Shared by the tools/ scripts: packages, builds, the Wine prefix and the X
# display. Source it; it defines functions and a few variables only.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD_ROOT="$ROOT/build"
DIST_ROOT="$ROOT/dist"

# Debian packages the build, the tests and the tools need.
REQUIRED_PACKAGES=(
    cmake ninja-build
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    googletest
    wine wine64 fonts-wine
    xvfb xauth
    clang-format
    icoutils lldb llvm-14
    python3 python3-pil python3-fonttools fonts-dejavu-core
    wixl msitools
    osslsigncode openssl
)

log() { printf '== %s\n' "$*" >&2; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

install_packages() {
    local missing=()
    local pkg
    for pkg in "${REQUIRED_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing Debian packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq >/dev/null
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null || die "apt-get install failed"
}

# configure_and_build ARCH [extra cmake arguments...]   (ARCH: x86 or x64)
configure_and_build() {
    local arch=$1
    shift
    local toolchain
    case "$arch" in
        x86) toolchain="$ROOT/cmake/toolchain-i686-w64-mingw32.cmake" ;;
        x64) toolchain="$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" ;;
        *) die "unknown architecture $arch" ;;
    esac
    local dir="$BUILD_ROOT/$arch"
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" "$@" >/dev/null ||
            die "configuring the $arch build failed"
    fi
    cmake --build "$dir" -j "$(nproc)" || die "building $arch failed"
}

# project_version: the product's version (e.g. 1.0.0.1), as the project()
# call of the top-level CMakeLists.txt defines it, read from a configured build.
project_version() {
    local cache
    for cache in "$BUILD_ROOT"/x86/CMakeCache.txt "$BUILD_ROOT"/x64/CMakeCache.txt; do
        [ -f "$cache" ] && { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$cache"; return; }
    done
    die "no configured build to read the version from"
}

# packaging_step_args VERSION OUT_DIR [MODULES_DIR]: the arguments of every
# packaging step (packaging/*.sh), checked alike. Sets version, out_dir (made,
# and absolute: steps change folders) and modules_dir (absolute, or empty).
packaging_step_args() {
    [ $# -ge 2 ] && [ $# -le 3 ] || die "usage: packaging/$(basename "$0") VERSION OUT_DIR [MODULES_DIR]"
    version=$1
    mkdir -p "$2" || die "cannot make the folder $2"
    out_dir=$(cd "$2" && pwd)
    modules_dir=
    if [ -n "${3:-}" ]; then
        [ -d "$3" ] || die "$3 is not a folder"
        modules_dir=$(cd "$3" && pwd)
    fi
}

# install_dist ARCH: what a user installs, stripped, into dist/ARCH, and its
# programs unstripped, with their debug information, under the same names
# into dist/symbols/ARCH. "strip -p" keeps the time stamp of the PE header
# (plain strip writes a new one): tools/crash-report tells a symbol copy of
# the build a dump came from by that time stamp.
install_dist() {
    local arch=$1
    local symbols="$DIST_ROOT/symbols/$arch"
    rm -rf "${DIST_ROOT:?}/$arch" "$symbols"
    cmake --install "$BUILD_ROOT/$arch" --prefix "$DIST_ROOT/$arch" >/dev/null ||
        die "installing dist/$arch failed"
    local strip
    strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$BUILD_ROOT/$arch/CMakeCache.txt")
    mkdir -p "$symbols"
    local f
    for f in "$DIST_ROOT/$arch"/*.exe "$DIST_ROOT/$arch"/*.dll; do
        cp -p "$f" "$symbols/" && "$strip" -p "$f" || die "stripping $f failed"
    done
}

wine_env() {
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="mscoree,mshtml="
}

# lock_prefix DIR: one tool at a time in a Wine prefix. Tools sharing a prefix
# share its wineserver: a second one's "wineserver -p" would find the first
# one's server and end with status 2 and no word, and its clean-up would end
# the first one's programs. The lock is held until this script and what it
# started have ended; a tool started by one that holds it (tools/test runs
# tools/ctest) goes on under it. The lock file lives beside the build folder
# that holds the prefix, since tools/test deletes that folder.
lock_prefix() {
    local prefix=$1
    local lock
    lock="$BUILD_ROOT/$(basename "$(dirname "$prefix")")-$(basename "$prefix").lock"
    [ "${QUAV_PREFIX_LOCK:-}" = "$lock" ] && return 0
    mkdir -p "$BUILD_ROOT"
    exec {QUAV_PREFIX_LOCK_FD}>>"$lock"
    if ! flock -n "$QUAV_PREFIX_LOCK_FD"; then
        local holder
        holder=$(cat "$lock" 2>/dev/null)
        die "another tool is using the Wine prefix $prefix: ${holder:-unknown}.
Tools that share a prefix cannot run at the same time: wait until it has ended (or
stop it), then run this again. If that process is gone, its Wine programs are left:
'WINEPREFIX=$prefix wineserver -k' ends them."
    fi
    printf '%s (pid %d), started %s\n' "${0#"$ROOT"/}" "$$" "$(date '+%F %T')" >"$lock"
    export QUAV_PREFIX_LOCK="$lock"
}

# Debian's Wine 8 looks for its own fonts in "Z:\usr\share\wine\../fonts", a
# path its file look-up never finds, so none of /usr/share/wine/fonts is
# loaded. Marlett is the one that matters: its glyphs draw the caption
# buttons, which otherwise show the letters "0 1 r". Wine loads the fonts of
# the prefix's own Fonts folder.
install_wine_fonts() {
    local fonts="$1/drive_c/windows/Fonts"
    [ -f "$fonts/marlett.ttf" ] && return 0
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/" || die "cannot copy Wine's Marlett font"
}

# prepare_prefix DIR: a Wine prefix in which a crash never opens a debugger
# or a dialog, windows need no window manager, nothing is installed, and the
# caption buttons have their glyphs. Only this tool may use it until it ends.
prepare_prefix() {
    local prefix=$1
    lock_prefix "$prefix"
    wine_env
    export WINEPREFIX="$prefix"
    if [ ! -f "$prefix/.quav-prepared" ]; then
        log "creating the Wine prefix $prefix"
        rm -rf "$prefix"
        mkdir -p "$prefix"
        wineboot --init >"$prefix.log" 2>&1 || die "wineboot failed (see $prefix.log)"
        wineserver -w
        local reg="$prefix/quav-settings.reg"
        cat >"$reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"=""
"Auto"="1"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"
REG
        wine regedit /S "$reg" >>"$prefix.log" 2>&1 || die "regedit failed (see $prefix.log)"
        wineserver -w
        touch "$prefix/.quav-prepared"
    fi
    install_wine_fonts "$prefix"
}

# start_display: an Xvfb server for this script's lifetime; exports DISPLAY.
start_display() {
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || die "Xvfb did not start"
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

stop_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# One wineserver for the whole run, so that programs start quickly. Wine's
# service processes (explorer, services, winedevice) are started here with
# their output going nowhere: started by a test program instead, they would
# inherit its output pipe and keep it open after the program has ended.
start_wineserver() {
    wineserver -p || die "a Wine server is already running for $WINEPREFIX (not one of these tools: it holds no lock).
End it with 'WINEPREFIX=$WINEPREFIX wineserver -k', then run this again."
    wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}
stop_wineserver() { wineserver -k 2>/dev/null || true; }
