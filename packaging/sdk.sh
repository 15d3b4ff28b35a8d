#!/usr/bin/env bash
# A packaging step of tools/package: the module SDK. Lays out dist/sdk from
# both builds (build/x86, build/x64) and zips it as
# OUT_DIR/QUAVPlus-VERSION-sdk.zip, one top folder QUAVPlus-VERSION-sdk/ inside.
#
#   packaging/sdk.sh VERSION OUT_DIR [MODULES_DIR]   (the modules are not part of it)
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

packaging_step_args "$@"
for arch in x86 x64; do
    [ -f "$BUILD_ROOT/$arch/CMakeCache.txt" ] || die "packaging the SDK needs build/$arch; build it first"
done

rm -rf "${DIST_ROOT:?}/sdk"
for arch in x86 x64; do
    cmake --install "$BUILD_ROOT/$arch" --component sdk --prefix "$DIST_ROOT/sdk" --strip >/dev/null ||
        die "installing the $arch part of the SDK failed"
done

name="QUAVPlus-$version-sdk"
zip="$out_dir/$name.zip"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp -r "$DIST_ROOT/sdk" "$stage/$name"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip "$name") || die "zipping the SDK failed"
log "SDK: dist/sdk and $zip ($(stat -c %s "$zip") bytes)"
