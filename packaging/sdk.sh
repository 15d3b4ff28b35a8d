#!/usr/bin/env bash
# The module SDK: lays out dist/sdk from both builds (build/x86, build/x64)
# and zips it as dist/packages/QUAVPlus-<version>-sdk.zip, one top folder
# QUAVPlus-<version>-sdk/ inside.
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

for arch in x86 x64; do
    [ -f "$BUILD_ROOT/$arch/CMakeCache.txt" ] || die "packaging the SDK needs build/$arch; build it first"
done
# The version of project() in the top-level CMakeLists.txt.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_ROOT/x64/CMakeCache.txt")
[ -n "$version" ] || die "no project version in build/x64"

rm -rf "${DIST_ROOT:?}/sdk"
for arch in x86 x64; do
    cmake --install "$BUILD_ROOT/$arch" --component sdk --prefix "$DIST_ROOT/sdk" --strip >/dev/null ||
        die "installing the $arch part of the SDK failed"
done

name="QUAVPlus-$version-sdk"
zip="$DIST_ROOT/packages/$name.zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "$DIST_ROOT/sdk" "$stage/$name"
mkdir -p "$DIST_ROOT/packages"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip "$name") || die "zipping the SDK failed"
log "SDK: dist/sdk and dist/packages/$name.zip ($(stat -c %s "$zip") bytes)"
