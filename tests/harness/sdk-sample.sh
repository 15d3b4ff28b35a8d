#!/usr/bin/env bash
# The module SDK as an author receives it. The zip from dist/packages is
# unpacked into a temporary folder far from the source tree, with a space in
# its name; the sample module is built there on its own, for x86 with the
# SDK README's own command, for x64 like any module; a module whose code
# reaches the framework only through a static library that links it
# privately still gets its resource link; the package refuses a build
# without a Windows toolchain and a compiler of another thread model, saying
# why and what to do; and the x64 module runs under the launcher from
# dist/x64, where its window and its About box (from the module's own dialog
# template and string table) must appear. The packaging steps also take a
# relative output folder.
#
# The x86 module is kept in build/sdk-sample-x86 for the static x86 checks.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"

zips=("$DIST_ROOT"/packages/QUAVPlus-*-sdk.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || die "expected one SDK zip in dist/packages"
work=$(mktemp -d "/tmp/quav sdk author.XXXXXX")
cleanup() {
    stop_wineserver
    stop_display
    rm -rf "$work" "${run:-}"
}
trap cleanup EXIT
fail() {
    echo "sdk: $*" >&2
    exit 1
}

(cd "$work" && cmake -E tar xf "${zips[0]}") || fail "cannot unpack ${zips[0]}"
[ "$(ls "$work")" = "$(basename "${zips[0]}" .zip)" ] || fail "the zip must hold one top folder"
sdk="$work/$(basename "${zips[0]}" .zip)"

configure() { # NAME SOURCE [cmake arguments...]: configures into $work/build-NAME
    local name=$1 source=$2
    shift 2
    cmake -S "$source" -B "$work/build-$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$sdk" "$@" >"$work/configure-$name.log" 2>&1
}
build() { # NAME SOURCE TOOLCHAIN
    configure "$1" "$2" -DCMAKE_TOOLCHAIN_FILE="$sdk/cmake/$3" &&
        cmake --build "$work/build-$1" >"$work/build-$1.log" 2>&1 ||
        { cat "$work/configure-$1.log" "$work/build-$1.log" >&2 2>/dev/null; fail "$1 did not build"; }
}
# The log's words with its line breaks taken out: CMake wraps long messages.
words_of() { tr -s ' \n' ' ' <"$work/configure-$1.log"; }
needs_only_windows() { # DLL OBJDUMP
    local needs
    needs=$($2 -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' |
        grep -vxE 'kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll|afxframework.dll' || true)
    [ -z "$needs" ] || fail "$1 needs more than Windows and the framework: $needs"
}

# x86 with the command the SDK's README gives, run as it stands in the
# unpacked folder (whose path has a space).
command=$(sed -n '/^Build the sample/,$p' "$sdk/README.md" | sed -n 's/^    //p')
[ -n "$command" ] || fail "the SDK README shows no command to build the sample"
(cd "$sdk" && CMAKE_GENERATOR=Ninja bash -euc "$command") >"$work/readme-command.log" 2>&1 ||
    { cat "$work/readme-command.log" >&2; fail "the SDK README's command did not build the sample"; }
needs_only_windows "$sdk/build-x86/SampleUIModule.dll" i686-w64-mingw32-objdump
log "sdk: the README's command builds the sample for x86 in a folder with a space in its path"
build x64 "$sdk/samples/SampleUIModule" toolchain-x86_64-w64-mingw32.cmake
needs_only_windows "$work/build-x64/SampleUIModule.dll" x86_64-w64-mingw32-objdump
log "sdk: the sample builds standalone for x64"
rm -rf "$BUILD_ROOT/sdk-sample-x86"
mkdir -p "$BUILD_ROOT/sdk-sample-x86"
cp "$sdk/build-x86/SampleUIModule.dll" "$BUILD_ROOT/sdk-sample-x86/"

# A module whose own code is a static library that links the framework
# privately: the resource link must still go into the module, once.
mkdir -p "$work/graph"
cat >"$work/graph/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(GraphProbe LANGUAGES CXX)
find_package(QuavPlusSDK CONFIG REQUIRED)
add_library(ModuleCode STATIC code.cpp)
target_link_libraries(ModuleCode PRIVATE QuavPlus::Framework)
add_library(ViaPrivateStatic SHARED module.cpp)
target_link_libraries(ViaPrivateStatic PRIVATE ModuleCode)
set_target_properties(ViaPrivateStatic PROPERTIES PREFIX "")
CMAKE
echo '#include <afxwin.h>
int ModuleLineLength() { CString s; s.LoadString(30100); return s.GetLength(); }' >"$work/graph/code.cpp"
echo 'int ModuleLineLength();
extern "C" __declspec(dllexport) int LineLength() { return ModuleLineLength(); }' >"$work/graph/module.cpp"
build graph "$work/graph" toolchain-x86_64-w64-mingw32.cmake
links=$(x86_64-w64-mingw32-objdump -t "$work/build-graph/ViaPrivateStatic.dll" |
    grep -c ' afxModuleResourceLink$' || true)
[ "$links" = 1 ] || fail "a module reaching the framework through a private static library has $links resource links"
log "sdk: the resource link goes into a module once also through a static library"

# No Windows toolchain at all: the package's message comes first and says
# what to do, not CMake's about a missing resource compiler.
if configure native "$sdk/samples/SampleUIModule"; then
    fail "the package accepted a build that does not target Windows"
fi
words_of native | grep -q "QuavPlusSDK: this build does not target Windows with MinGW-w64 .*Configure with one of the toolchain files" &&
    ! grep -q CMAKE_RC_COMPILER "$work/configure-native.log" ||
    { cat "$work/configure-native.log" >&2; fail "no clear message for a build without a Windows toolchain"; }
# The SDK's own x64 toolchain, but the compiler of the posix thread model.
cat >"$sdk/cmake/toolchain-posix-threads.cmake" <<'CMAKE'
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-x86_64-w64-mingw32.cmake)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
CMAKE
if configure posix "$sdk/samples/SampleUIModule" \
    -DCMAKE_TOOLCHAIN_FILE="$sdk/cmake/toolchain-posix-threads.cmake"; then
    fail "the package accepted a compiler with posix threads"
fi
words_of posix | grep -qE "QuavPlusSDK: the x64 framework was built with GNU [0-9.]+ \(win32 threads\), but this build uses [^ ]*-g\+\+-posix \(GNU [0-9.]+, posix threads\)\. .*Configure with one of the toolchain files" ||
    { cat "$work/configure-posix.log" >&2; fail "no whole message for the wrong compiler"; }
log "sdk: the package refuses a build without a Windows toolchain and a compiler of another thread model, and says why"

# The packaging steps write where a relative OUT_DIR says, from anywhere.
version=$(basename "${zips[0]}" -sdk.zip)
version=${version#QUAVPlus-}
(cd "$work" && "$ROOT/packaging/sdk.sh" "$version" "relative out" >/dev/null 2>&1 &&
    "$ROOT/packaging/symbols.sh" "$version" "relative out" >/dev/null) ||
    fail "a packaging step failed with a relative OUT_DIR"
for f in sdk symbols-x86 symbols-x64; do
    [ -s "$work/relative out/QUAVPlus-$version-$f.zip" ] || fail "no $f zip in the relative OUT_DIR"
done
log "sdk: the packaging steps take a relative OUT_DIR"

run=$(mktemp -d /tmp/quav-sdk-run.XXXXXX)
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
