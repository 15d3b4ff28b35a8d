#!/usr/bin/env bash
# A packaging step of tools/package: the installers, one MSI file per
# architecture, built with wixl from packaging/QuavPlus.wxs out of what
# dist/x86 and dist/x64 ship.
#
#   packaging/msi.sh VERSION OUT_DIR [MODULES_DIR]
#
# writes OUT_DIR/QUAVPlus-VERSION-x86.msi and OUT_DIR/QUAVPlus-VERSION-x64.msi.
# Every file of MODULES_DIR/x86 and MODULES_DIR/x64 is installed beside the
# executables of the matching package.
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

packaging_step_args "$@"

# Windows Installer keeps a version as major.minor.build (at most 255.255.65535)
# and ignores a fourth field; the fourth is carried so that every version
# record reads the same. The upgrade rule needs the next build number too.
[[ "$version" =~ ^([0-9]+)\.([0-9]+)\.([0-9]+)\.([0-9]+)$ ]] ||
    die "version $version does not have four numeric fields"
[ "${BASH_REMATCH[1]}" -le 255 ] && [ "${BASH_REMATCH[2]}" -le 255 ] &&
    [ "${BASH_REMATCH[3]}" -lt 65535 ] ||
    die "version $version is beyond what Windows Installer can compare (255.255.65534)"
next_build="${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.$((BASH_REMATCH[3] + 1))"

xml_escape() {
    local s=${1//&/&amp;}
    s=${s//</&lt;}
    s=${s//>/&gt;}
    printf '%s' "${s//\"/&quot;}"
}

# stage_modules ARCH STAGE: copies the modules into STAGE/modules and writes
# STAGE/modules.wxs, the component group that installs them (empty without).
stage_modules() {
    local arch=$1 stage=$2
    mkdir -p "$stage/modules"
    {
        echo '<?xml version="1.0" encoding="utf-8"?>'
        echo '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi"><Fragment>'
        echo '  <ComponentGroup Id="UIModules" Directory="INSTALLDIR">'
        if [ -n "$modules_dir" ]; then
            [ -d "$modules_dir/$arch" ] || die "$modules_dir/$arch is missing"
            local path name n=0 win64=no
            [ "$arch" = x64 ] && win64=yes
            for path in "$modules_dir/$arch"/*; do
                [ -e "$path" ] || continue
                name=$(basename "$path")
                [ -f "$path" ] || die "$path is not a file: only files are installed"
                [ -e "$stage/files/$name" ] && die "$path has the name of a file the launcher ships"
                cp "$path" "$stage/modules/"
                n=$((n + 1))
                name=$(xml_escape "$name")
                echo "    <Component Id=\"UIModule$n\" Guid=\"*\" Win64=\"$win64\">"
                echo "      <File Id=\"UIModule$n\" Source=\"modules/$name\" KeyPath=\"yes\" />"
                echo "    </Component>"
            done
        fi
        echo '  </ComponentGroup>'
        echo '</Fragment></Wix>'
    } >"$stage/modules.wxs"
}

for arch in x86 x64; do
    files="$DIST_ROOT/$arch"
    [ -f "$files/QUAVPlusKDS.exe" ] || die "$files holds no build; run tools/package"
    stage="$BUILD_ROOT/packages/$arch"
    rm -rf "$stage"
    mkdir -p "$stage"
    cp -r "$files" "$stage/files"
    stage_modules "$arch" "$stage"
    # The installed-programs entry shows the icon the executables carry.
    wrestool -x --type=14 --name=128 "$files/QUAVPlusKDS.exe" >"$stage/Product.ico" ||
        die "could not read the icon of $files/QUAVPlusKDS.exe"
    msi="$out_dir/QUAVPlus-$version-$arch.msi"
    # wixl finds sources relative to the folder it runs in. It reports the
    # non-advertised shortcuts as "unimplemented" but writes them as asked.
    (cd "$stage" && wixl --arch "$arch" -D Version="$version" -D NextBuild="$next_build" \
        -D Arch="$arch" -o "$msi" "$ROOT/packaging/QuavPlus.wxs" modules.wxs) >"$stage/wixl.log" 2>&1 ||
        { cat "$stage/wixl.log" >&2; die "wixl failed for $arch"; }
    log "wrote $msi"
done
