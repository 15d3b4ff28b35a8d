#!/usr/bin/env bash
# A packaging step of tools/package: the installers, one MSI file per
# architecture, built with wixl from packaging/QuavPlus.wxs out of what
# dist/x86 and dist/x64 ship, with the custom actions of build/x86 and
# build/x64.
#
#   packaging/msi.sh VERSION OUT_DIR [MODULES_DIR]
#
# writes OUT_DIR/QUAVPlus-VERSION-x86.msi and OUT_DIR/QUAVPlus-VERSION-x64.msi.
# Every file of MODULES_DIR/x86 and MODULES_DIR/x64 is installed beside the
# executables of the matching package (packaging/lib/modules.sh); the folder
# is checked whole before anything is written. When tools/package signs
# (packaging/lib/signing.sh), the launcher's programs and the custom actions
# are signed before they go into a package, and each package once it is
# complete; the modules go in as they are. A package reaches OUT_DIR only
# when it is complete.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tools/lib/common.sh"
source "$here/lib/pe.sh"
source "$here/lib/modules.sh"
source "$here/lib/signing.sh"

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
for arch in x86 x64; do
    [ -f "$DIST_ROOT/$arch/QUAVPlusKDS.exe" ] || die "$DIST_ROOT/$arch holds no build; run tools/package"
    [ -f "$BUILD_ROOT/$arch/bin/InstallerActions.dll" ] || die "build/$arch has no InstallerActions.dll"
done
help_link=$(sed -n 's/^CMAKE_PROJECT_HOMEPAGE_URL:STATIC=//p' "$BUILD_ROOT/x64/CMakeCache.txt")
[ -n "$help_link" ] || die "the project() call of CMakeLists.txt names no HOMEPAGE_URL"
[ -z "$modules_dir" ] || check_modules "$modules_dir"

xml_escape() {
    local s=${1//&/&amp;}
    s=${s//</&lt;}
    s=${s//>/&gt;}
    printf '%s' "${s//\"/&quot;}"
}

# module_guid ARCH NAME: the component GUID of a module file, the same in
# every version and another in each architecture (Windows ignores case).
module_guid() {
    /usr/bin/python3 -c 'import sys, uuid
modules = uuid.UUID("6F3B2C1E-8A4D-4E5F-9B7A-2D1C0E9F8A6B")  # fixed for ever
print(str(uuid.uuid5(modules, sys.argv[1] + "/" + sys.argv[2].lower())).upper())' "$1" "$2"
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
            local path name n=0 win64=no
            [ "$arch" = x64 ] && win64=yes
            while IFS= read -r -d '' path; do
                name=$(basename "$path")
                cp "$path" "$stage/modules/"
                n=$((n + 1))
                echo "    <Component Id=\"UIModule$n\" Guid=\"$(module_guid "$arch" "$name")\" Win64=\"$win64\">"
                echo "      <File Id=\"UIModule$n\" Source=\"modules/$(xml_escape "$name")\" KeyPath=\"yes\" />"
                echo "    </Component>"
            done < <(find "$modules_dir/$arch" -mindepth 1 -maxdepth 1 -print0 | sort -z)
        fi
        echo '  </ComponentGroup>'
        echo '</Fragment></Wix>'
    } >"$stage/modules.wxs"
}

# complete_package MSI STAGE: what wixl 0.101 cannot write. The version (and
# language) of every file that has a version record, so that Windows
# Installer compares versions, not hashes, when it replaces one; and the
# refusal that follows FindFilesInUse (QuavPlus.wxs).
complete_package() {
    local msi=$1 stage=$2 queries=() id name versioned source
    while IFS=$'\t' read -r id _ name _; do
        source="$stage/files/$name"
        [ -f "$source" ] || source="$stage/modules/$name"
        versioned=$(pe_version "$source")
        [ -n "$versioned" ] || continue
        queries+=(-q "UPDATE \`File\` SET \`Version\`='${versioned% *}', \`Language\`='${versioned#* }' WHERE \`File\`='$id'"
            -q "DELETE FROM \`MsiFileHash\` WHERE \`File_\`='$id'")
    done < <(msiinfo export "$msi" File | tr -d '\r' | tail -n +4)
    local refusal='QUAV Plus cannot be changed while it runs: [QUAVPLUS_FILES_IN_USE] in use. Close every QUAV Plus window, then try again.'
    queries+=(-q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Target\`) VALUES ('RefuseWhileInUse', 19, '$refusal')"
        -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('RefuseWhileInUse', 'QUAVPLUS_FILES_IN_USE', 1003)")
    msibuild "$msi" "${queries[@]}" || die "completing $msi failed"
}

staging="$BUILD_ROOT/packages"
rm -rf "$staging/actions"
for arch in x86 x64; do
    mkdir -p "$staging/actions/$arch"
    cp "$BUILD_ROOT/$arch/bin/InstallerActions.dll" "$staging/actions/$arch/"
    "$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$BUILD_ROOT/$arch/CMakeCache.txt")" "$staging/actions/$arch/InstallerActions.dll"
    if signing_enabled; then sign_file "$staging/actions/$arch/InstallerActions.dll"; fi
done
for arch in x86 x64; do
    stage="$staging/$arch"
    rm -rf "$stage"
    mkdir -p "$stage"
    cp -r "$DIST_ROOT/$arch" "$stage/files"
    if signing_enabled; then
        for program in "$stage"/files/*; do sign_file "$program"; done
    fi
    ln -s ../actions "$stage/actions"
    stage_modules "$arch" "$stage"
    # The installed-programs entry shows the icon the executables carry.
    wrestool -x --type=14 --name=128 "$stage/files/QUAVPlusKDS.exe" >"$stage/Product.ico" ||
        die "could not read the icon of $stage/files/QUAVPlusKDS.exe"
    name="QUAVPlus-$version-$arch.msi"
    # wixl finds sources relative to the folder it runs in. It reports the
    # non-advertised shortcuts as "unimplemented" but writes them as asked.
    (cd "$stage" && wixl --arch "$arch" -D Version="$version" -D NextBuild="$next_build" \
        -D Arch="$arch" -D HelpLink="$help_link" -o "$stage/$name" "$here/QuavPlus.wxs" modules.wxs) \
        >"$stage/wixl.log" 2>&1 || { cat "$stage/wixl.log" >&2; die "wixl failed for $arch"; }
    complete_package "$stage/$name" "$stage"
    if signing_enabled; then sign_file "$stage/$name"; fi
    mv "$stage/$name" "$out_dir/"
    log "wrote $out_dir/$name"
done
