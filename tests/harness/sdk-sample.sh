#!/usr/bin/env bash
# The module SDK as an author receives it. The zip from dist/packages is
# unpacked into a temporary folder far from the source tree; the sample
# module is built there on its own for x86 and x64 against the SDK; the
# package must refuse a compiler of another thread model; and the x64 module
# runs under the launcher from dist/x64, where its window and its About box
# (from the module's own dialog template and string table) must appear.
#
# The x86 module is kept in build/sdk-sample-x86 for the static x86 checks.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"

zips=("$DIST_ROOT"/packages/QUAVPlus-*-sdk.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || die "expected one SDK zip in dist/packages"
work=$(mktemp -d /tmp/quav-sdk-author.XXXXXX)
cleanup() {
    stop_wineserver
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "sdk: $*" >&2
    exit 1
}

(cd "$work" && cmake -E tar xf "${zips[0]}") || fail "cannot unpack ${zips[0]}"
[ "$(ls "$work")" = "$(basename "${zips[0]}" .zip)" ] || fail "the zip must hold one top folder"
sdk="$work/$(basename "${zips[0]}" .zip)"

build_sample() { # ARCH TOOLCHAIN [cmake arguments...]
    local arch=$1 toolchain=$2
    shift 2
    cmake -S "$sdk/samples/SampleUIModule" -B "$work/build-$arch" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$sdk/cmake/$toolchain" \
        -DCMAKE_PREFIX_PATH="$sdk" "$@" >"$work/configure-$arch.log" 2>&1 &&
        cmake --build "$work/build-$arch" >"$work/build-$arch.log" 2>&1
}
for arch in x86 x64; do
    case $arch in
        x86) toolchain=toolchain-i686-w64-mingw32.cmake objdump=i686-w64-mingw32-objdump ;;
        x64) toolchain=toolchain-x86_64-w64-mingw32.cmake objdump=x86_64-w64-mingw32-objdump ;;
    esac
    build_sample $arch $toolchain ||
        { cat "$work/configure-$arch.log" "$work/build-$arch.log" >&2 2>/dev/null; fail "the $arch sample did not build"; }
    needs=$($objdump -p "$work/build-$arch/SampleUIModule.dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' |
        grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|afxframework.dll' || true)
    [ -z "$needs" ] || fail "the $arch sample needs more than Windows and the framework: $needs"
    log "sdk: the sample builds standalone for $arch"
done
rm -rf "$BUILD_ROOT/sdk-sample-x86"
mkdir -p "$BUILD_ROOT/sdk-sample-x86"
cp "$work/build-x86/SampleUIModule.dll" "$BUILD_ROOT/sdk-sample-x86/"

# The SDK's own x64 toolchain, but the compiler of the posix thread model.
cat >"$sdk/cmake/toolchain-posix-threads.cmake" <<'CMAKE'
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-x86_64-w64-mingw32.cmake)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
CMAKE
if build_sample posix toolchain-posix-threads.cmake; then
    fail "the package accepted a compiler with posix threads"
fi
grep -q "QuavPlusSDK: the x64 framework was built with" "$work/configure-posix.log" ||
    { cat "$work/configure-posix.log" >&2; fail "no clear message for the wrong compiler"; }
log "sdk: the package refuses a compiler of another thread model"

run="$work/run"
mkdir -p "$run"
cp "$DIST_ROOT"/x64/* "$run/"
cp "$work/build-x64/SampleUIModule.dll" "$run/QuavPlusUI.dll"
prepare_prefix "$BUILD_ROOT/x64/wineprefix"
start_display
start_wineserver
bin="$BUILD_ROOT/x64/bin"
wine "$bin/observer.exe" --timeout 120000 --cwd "$(winepath -w "$run")" -- \
    "$(winepath -w "$run/QUAVPlusKDS.exe")" </dev/null >"$work/launcher.txt" 2>&1 &
launcher=$!
wine "$bin/ModuleDialogProbe.exe" "Sample UI module" 30100 "About the sample UI module" \
    </dev/null >"$work/probe.txt" 2>&1 || true
wait "$launcher" || true
tr -d '\r' <"$work/probe.txt" >"$work/probe.clean"
tr -d '\r' <"$work/launcher.txt" >"$work/launcher.clean"
expected="WINDOW Sample UI module
DIALOG About the sample UI module
OWNER Sample UI module
TEXT Sample UI module, built with the QUAV Plus module SDK.
TEXT This box and this line come from the module's own resources.
TEXT OK
CLOSED"
if [ "$(cat "$work/probe.clean")" != "$expected" ] || [ "$(cat "$work/launcher.clean")" != "EXIT 0" ]; then
    echo "--- what the probe saw:" >&2
    cat "$work/probe.clean" >&2
    echo "--- the launcher:" >&2
    cat "$work/launcher.clean" >&2
    fail "the standalone sample did not show its window and its own About box"
fi
log "sdk: the standalone x64 sample runs under dist/x64 and shows its About box from its own template"
