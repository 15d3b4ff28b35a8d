#!/usr/bin/env bash
# A packaging step of tools/package: the module SDK. Lays out dist/sdk from
# both builds (build/x86, build/x64) and zips it as
# OUT_DIR/QUAVPlus-VERSION-sdk.zip, one top folder QUAVPlus-VERSION-sdk/ inside.
# When tools/package signs, the SDK's libraries (the framework's
# AfxFramework.dll of each architecture) are signed in both.
#
#   packaging/sdk.sh VERSION OUT_DIR [MODULES_DIR]   (the modules are not part of it)
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"
source "$(dirname "$0")/lib/signing.sh"

packaging_step_args "$@"
for arch in x86 x64; do
    [ -f "$BUILD_ROOT/$arch/CMakeCache.txt" ] || die "packaging the SDK needs build/$arch; build it first"
done

# Laid out and signed apart; dist/sdk is replaced once the zip is written.
name="QUAVPlus-$version-sdk"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
for arch in x86 x64; do
    cmake --install "$BUILD_ROOT/$arch" --component sdk --prefix "$stage/$name" --strip >/dev/null ||
        die "installing the $arch part of the SDK failed"
done
if signing_enabled; then
    while IFS= read -r -d '' library; do sign_file "$library"; done < <(find "$stage/$name" -name '*.dll' -print0)
fi

zip="$out_dir/$name.zip"
rm -f "$zip"
(cd "$stage" && cmake -E tar cf "$zip" --format=zip "$name") || die "zipping the SDK failed"
rm -rf "${DIST_ROOT:?}/sdk"
cp -r "$stage/$name" "$DIST_ROOT/sdk"
log "SDK: dist/sdk and $zip ($(stat -c %s "$zip") bytes)"
