#!/usr/bin/env bash
# The installers, proven by installing them under Wine with msiexec, as a user
# would. Every scenario runs in a fresh Wine prefix of its own: a copy of one
# newly created prefix that nothing has run in.
#
#   tests/installer/installer-tests.sh [SCENARIO...]
#
# Scenarios: x64 (install with a UI module, start an edition from the install
# folder, refuse to uninstall while it runs, uninstall and find nothing left
# behind), x86 (install into the 32-bit Program Files and registry view,
# beside the x64 package; remove both), upgrade (into a custom folder: newer
# packages replace the installed one in place, repair restores a deleted
# file, an older one is refused), modules (modules folders that cannot be
# packaged are refused whole, before any package is written), signed
# (tools/package --sign: bad certificates refused, every signature verified,
# the signed launcher installed, started and its crash read with its
# symbols). Needs both builds and dist/ (tools/test or tools/package make
# them); exits non-zero on a failure.
set -euo pipefail
source "$(dirname "$0")/../../tools/lib/common.sh"

work="$BUILD_ROOT/installer-tests"
version=$(project_version)
bin64="$BUILD_ROOT/x64/bin"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
failures=0
scenario=

fail() {
    echo "installer tests, $scenario: $*" >&2
    failures=$((failures + 1))
}

# Wine's output goes to files: a pipe can be held open by Wine's services.
run_wine() { wine "$@" </dev/null >>"$dir/wine.log" 2>&1; }

# squished GUID: the form Windows Installer keys its registry entries by.
squished() {
    /usr/bin/python3 -c 'import sys, uuid
h = uuid.UUID(sys.argv[1]).hex.upper()
print(h[7::-1] + h[11:7:-1] + h[15:11:-1] + "".join(h[i + 1] + h[i] for i in range(16, 32, 2)))' "$1"
}

msi_property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }
product_code() { msi_property "$1" ProductCode; }

# reg_query KEY VIEW [reg arguments...]: the key's listing, or failure.
reg_query() {
    local key=$1 view=$2
    shift 2
    wine reg query "$key" "$@" "/reg:$view" </dev/null 2>/dev/null | tr -d '\r'
}

reg_value() { # KEY NAME VIEW: the value, or nothing
    { reg_query "$1" "$3" /v "$2" || true; } | sed -n "s/^    $2    REG_[A-Z_]*    //p"
}

# installed_entries VIEW: how many installed-programs entries are ours.
installed_entries() {
    reg_query "$uninstall_key" "$1" /s | grep -c '^    DisplayName    REG_SZ    QUAV Plus$' || true
}

# msi_install PACKAGE [PROPERTY=VALUE...]: a silent install, logged; returns
# msiexec's result.
msi_install() {
    local started=$SECONDS package=$1
    shift
    run_wine msiexec /i "$(winepath -w "$package")" "$@" /qn /l*v "$(winepath -w "$dir/msiexec.log")" || return
    log "installed $(basename "$package") in $((SECONDS - started)) s"
}

begin() {
    scenario=$1
    dir="$work/$scenario"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp -a "$template" "$dir/prefix"
    export WINEPREFIX="$dir/prefix"
    start_wineserver
    drive_c="$WINEPREFIX/drive_c"
    log "installer scenario: $scenario"
}

finish() {
    stop_wineserver
    wineserver -w
    [ "$failures" -eq 0 ] && rm -rf "$WINEPREFIX"
    return 0
}

# Start-menu folders a per-machine install may use: Wine 8 puts the
# shortcuts in the user's, Windows in the common one.
start_menu_folders() {
    printf '%s\n' "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/QUAV Plus" \
        "$drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/QUAV Plus"
}

# check_installed ARCH PACKAGE EXPECTED_FILES...: the files in the install
# folder of ARCH (or $install_win when set), the three shortcuts and the
# entry in ARCH's registry view.
check_installed() {
    local arch=$1 package=$2
    shift 2
    local folder=Program\ Files view=64 other_view=32 code
    [ "$arch" = x86 ] && { folder="Program Files (x86)"; view=32; other_view=64; }
    local install_win=${install_win:-"C:\\$folder\\QUAV Plus"}
    local install
    install=$(winepath -u "$install_win")
    install=${install%/}

    [ "$(cd "$install" 2>/dev/null && ls -A | sort)" = "$(printf '%s\n' "$@" | sort)" ] ||
        fail "the install folder $install holds $(ls -A "$install" 2>&1 | tr '\n' ' ')"
    [ "$arch" = x86 ] && cmp -s "$DIST_ROOT/x86/QUAVPlusKDS.exe" "$drive_c/Program Files/QUAV Plus/QUAVPlusKDS.exe" &&
        fail "the 32-bit package installed into the 64-bit Program Files"
    local f source
    for f in "$@"; do
        source="$DIST_ROOT/$arch/$f"
        [ -f "$source" ] || source="$work/modules/$arch/$f"
        cmp -s "$source" "$install/$f" || fail "the installed $f differs from $source"
    done

    local menu found=0 edition lnk
    while read -r menu; do
        [ -d "$menu" ] || continue
        found=1
        [ "$(ls "$menu" | wc -l)" = 3 ] || fail "the Start-menu folder holds $(ls "$menu" | tr '\n' ' ')"
        for edition in "KDS=QUAV Plus KDS" "LXKDS=QUAV Plus LX KDS" "RDKDS=QUAV Plus RD KDS"; do
            lnk="$menu/${edition#*=}.lnk"
            [ -f "$lnk" ] || { fail "no shortcut $lnk"; continue; }
            mapfile -t shortcut < <(/usr/bin/python3 "$ROOT/tests/installer/read_shortcut.py" "$lnk")
            [ "${shortcut[0]}" = "$install_win\\QUAVPlus${edition%%=*}.exe" ] ||
                fail "$lnk starts ${shortcut[0]}"
            [ "${shortcut[1]%\\}" = "$install_win" ] || fail "$lnk works in ${shortcut[1]}"
        done
    done < <(start_menu_folders)
    [ "$found" = 1 ] || fail "no Start-menu folder QUAV Plus"

    code=$(product_code "$package")
    local entry="$uninstall_key\\$code"
    [ "$(reg_value "$entry" DisplayName "$view")" = "QUAV Plus" ] ||
        fail "no entry \"QUAV Plus\" in the $view-bit registry view"
    [ "$(reg_value "$entry" DisplayVersion "$view")" = "$version" ] ||
        fail "the entry's version is not $version"
    [ "$(reg_value "$entry" Publisher "$view")" = KVR ] || fail "the entry names no publisher"
    [ "$(reg_value "$entry" InstallLocation "$view")" = "$install_win\\" ] ||
        fail "the entry's install location is $(reg_value "$entry" InstallLocation "$view")"
    [ "$(reg_value "$entry" HelpLink "$view")" = "$(msi_property "$package" ARPHELPLINK)" ] ||
        fail "the entry has no help link"
    reg_query "$entry" "$other_view" >/dev/null && fail "the entry is in the $other_view-bit view too"
    # Windows Installer keeps the product's icon with the product's registration.
    local icon
    icon=$(reg_value "HKLM\\Software\\Classes\\Installer\\Products\\$(squished "$code")" ProductIcon 64)
    [ -n "$icon" ] && [ -s "$(winepath -u "$icon")" ] || fail "the entry has no icon ($icon)"
}

# uninstall PACKAGE: as the installed-programs entry's uninstall command does
# it, silently.
uninstall() {
    local code view=64 started=$SECONDS
    code=$(product_code "$1")
    [[ "$1" == *-x86.msi ]] && view=32
    local command
    command=$(reg_value "$uninstall_key\\$code" UninstallString "$view")
    [ "${command,,}" = "msiexec.exe /x${code,,}" ] || fail "the entry uninstalls with \"$command\""
    run_wine msiexec /x"$code" /qn || fail "uninstall failed"
    log "uninstalled in $((SECONDS - started)) s"
    local folder="Program Files/QUAV Plus"
    [ "$view" = 32 ] && folder="Program Files (x86)/QUAV Plus"
    [ -e "$drive_c/$folder" ] && fail "$folder is left after uninstall: $(ls "$drive_c/$folder")"
    local menu
    while read -r menu; do
        [ -e "$menu" ] && fail "$menu is left after uninstall"
    done < <(start_menu_folders)
    reg_query "$uninstall_key\\$code" 64 >/dev/null && fail "the 64-bit entry is left after uninstall"
    reg_query "$uninstall_key\\$code" 32 >/dev/null && fail "the 32-bit entry is left after uninstall"
    return 0
}

# snapshot NAME: every file of drive C and every registry key, for comparing.
snapshot() {
    (cd "$drive_c" && find . | sort) >"$dir/$1.files"
    cat "$WINEPREFIX"/*.reg | sed -n 's/^\(\[.*\]\) [0-9]*$/\1/p' | sort >"$dir/$1.keys"
}

scenario_x64() {
    begin x64
    local package="$work/packages/QUAVPlus-$version-x64.msi" code
    code=$(product_code "$package")
    stop_wineserver && wineserver -w # the registry files are current when the server ends
    snapshot before
    start_wineserver

    msi_install "$package" || fail "msiexec /i failed"
    local files=(.quavplusui.ini AfxFramework.dll QUAVPlusKDS.exe QUAVPlusLXKDS.exe QUAVPlusRDKDS.exe
        QuavPlusUI.dll)
    check_installed x64 "$package" "${files[@]}"

    # The installed edition, started from its folder, hosts the module.
    local install='C:\Program Files\QUAV Plus'
    wine "$bin64/observer.exe" --timeout 600000 --cwd "$install" -- "$install\\QUAVPlusKDS.exe" \
        </dev/null >"$dir/observer.txt" 2>&1 &
    local observer=$!
    run_wine "$bin64/CaptureWindow.exe" "Sample UI module" "$(winepath -w "$dir/window.bmp")" ||
        fail "the sample module's window did not appear"
    # While it runs it is not removed: a message names the files in use, and
    # nothing changes.
    wine "$bin64/observer.exe" --timeout 600000 -- msiexec /x "$(winepath -w "$package")" /qb \
        </dev/null >"$dir/in-use.txt" 2>&1 || true
    tr -d '\r' <"$dir/in-use.txt" | grep -q "^BOX [^|]*|QUAV Plus cannot be changed while it runs: \
AfxFramework.dll, QUAVPlusKDS.exe, QuavPlusUI.dll in use. Close every QUAV Plus window, then try again.$" ||
        fail "uninstalling while an edition runs showed no refusal: $(cat "$dir/in-use.txt")"
    tr -d '\r' <"$dir/in-use.txt" | grep -qx 'EXIT 1603' || fail "uninstalling while an edition runs did not fail"
    [ "$(cd "$drive_c/Program Files/QUAV Plus" && ls -A | sort)" = "$(printf '%s\n' "${files[@]}" | sort)" ] &&
        [ "$(installed_entries 64)" = 1 ] || fail "the refused uninstall changed the installation"
    run_wine "$bin64/CaptureWindow.exe" "Sample UI module" "$(winepath -w "$dir/window.bmp")" --close \
        --settle 0 || fail "the sample module's window went away"
    wait "$observer" || true
    [ "$(tr -d '\r' <"$dir/observer.txt")" = "EXIT 0" ] ||
        fail "QUAVPlusKDS.exe: $(tr -d '\r' <"$dir/observer.txt")"

    uninstall "$package"
    # Nothing left behind, nothing else removed: drive C holds what it held
    # before (and Windows Installer's own folder), the registry every key it
    # had, and no file or registry entry names the product any more.
    stop_wineserver && wineserver -w
    snapshot after
    local extra
    extra=$(comm -13 "$dir/before.files" "$dir/after.files" | grep -vx './windows/Installer' || true)
    [ -z "$extra" ] && comm -23 "$dir/before.files" "$dir/after.files" | grep -q . &&
        fail "uninstall removed files it did not install"
    [ -z "$extra" ] || fail "left behind: $extra"
    comm -23 "$dir/before.keys" "$dir/after.keys" | grep -q . &&
        fail "registry keys went missing: $(comm -23 "$dir/before.keys" "$dir/after.keys" | head -5)"
    grep -i -l -e 'QUAV' -e "${code//[\{\}]/}" -e "$(squished "$code")" \
        -e "$(squished "$(msiinfo export "$package" Property | tr -d '\r' | sed -n 's/^UpgradeCode\t//p')")" \
        "$WINEPREFIX"/*.reg && fail "the registry still names the product after uninstall"
    start_wineserver
    finish
}

# components PACKAGE: "Component<TAB>GUID" lines.
components() { msiinfo export "$1" Component | tr -d '\r' | tail -n +4 | cut -f1,2 | sort; }

scenario_x86() {
    begin x86
    local package="$work/packages/QUAVPlus-$version-x86.msi"
    local x64_package="$work/packages/QUAVPlus-$version-x64.msi"
    # Windows Installer counts a component's users by its GUID: each
    # architecture has its own, and keeps them from version to version.
    local shared
    shared=$(comm -12 <(components "$package" | cut -f2 | sort) <(components "$x64_package" | cut -f2 | sort))
    [ -z "$shared" ] || fail "the x86 and x64 packages share components: $shared"
    [ "$(components "$work/packages-third/QUAVPlus-$third_version-x64.msi")" = \
        "$(components "$x64_package" | grep -v '^UIModule')" ] || fail "the components' GUIDs changed with the version"

    # Installed beside the x64 package, and both removed: nothing is left.
    msi_install "$x64_package" || fail "msiexec /i of the x64 package failed"
    msi_install "$package" || fail "msiexec /i failed"
    check_installed x86 "$package" AfxFramework.dll QUAVPlusKDS.exe QUAVPlusLXKDS.exe \
        QUAVPlusRDKDS.exe QuavPlusUI.dll
    uninstall "$package"
    uninstall "$x64_package"
    finish
}

scenario_upgrade() {
    begin upgrade
    local base="$work/packages/QUAVPlus-$version-x64.msi"
    local fourth="$work/packages-fourth/QUAVPlus-$fourth_version-x64.msi"
    local third="$work/packages-third/QUAVPlus-$third_version-x64.msi"
    # Installed where the administrator says, and upgraded there.
    local install_win='C:\Tools\QP' install="$drive_c/Tools/QP"
    msi_install "$base" INSTALLDIR="$install_win\\" || fail "installing $version failed"
    check_installed x64 "$base" .quavplusui.ini AfxFramework.dll QUAVPlusKDS.exe QUAVPlusLXKDS.exe \
        QUAVPlusRDKDS.exe QuavPlusUI.dll

    # Newer packages replace the installed one in its folder: one entry
    # remains, and the old package's files go (these packages hold no module).
    local package expected
    for package in "$fourth" "$third"; do
        expected=$(basename "$package" -x64.msi)
        expected=${expected#QUAVPlus-}
        msi_install "$package" || fail "installing $expected over the installed package failed"
        [ "$(installed_entries 64)" = 1 ] || fail "$(installed_entries 64) entries after installing $expected"
        [ "$(reg_value "$uninstall_key\\$(product_code "$package")" DisplayVersion 64)" = "$expected" ] ||
            fail "the entry is not the one of $expected"
        [ -e "$install/QuavPlusUI.dll" ] && fail "the replaced package's module is left after installing $expected"
        [ -f "$install/QUAVPlusKDS.exe" ] && [ ! -e "$drive_c/Program Files/QUAV Plus" ] ||
            fail "$expected did not replace the installation in $install_win"
    done

    # A repair restores a deleted file, in the same folder. Wine's msiexec
    # leaves /f out (a FIXME for a product code; a package's path it passes
    # on as one), so the repair is asked for by the properties that
    # "msiexec /fa" sets.
    rm "$install/QUAVPlusLXKDS.exe"
    run_wine msiexec /i "$(product_code "$third")" REINSTALL=ALL REINSTALLMODE=a /qn || fail "the repair failed"
    cmp -s "$install/QUAVPlusLXKDS.exe" "$DIST_ROOT/x64/QUAVPlusLXKDS.exe" ||
        fail "the repair did not restore QUAVPlusLXKDS.exe"

    # An older one is refused with a message, and changes nothing. With the
    # basic interface, as a user starting the package would see it (a silent
    # install says nothing; Wine's log leaves the message out as well).
    wine "$bin64/observer.exe" --timeout 60000 -- msiexec /i "$(winepath -w "$base")" /qb \
        </dev/null >"$dir/refusal.txt" 2>&1 || true
    tr -d '\r' <"$dir/refusal.txt" | grep -q '^BOX [^|]*|A newer version of QUAV Plus is already installed' ||
        fail "refusing $version showed no message: $(cat "$dir/refusal.txt")"
    tr -d '\r' <"$dir/refusal.txt" | grep -qx 'EXIT 1603' || fail "$version installed over $third_version"
    [ "$(installed_entries 64)" = 1 ] || fail "$(installed_entries 64) entries after the refusal"
    [ -f "$install/QUAVPlusKDS.exe" ] || fail "the refusal removed files"
    finish
}

# refused OUTPUT EXPECTED COMMAND...: COMMAND must fail with one line on
# stderr, "error: EXPECTED...", and write no package into OUTPUT.
refused() {
    local output=$1 expected=$2
    shift 2
    "$@" >"$dir/refused.out" 2>"$dir/refused.err" && fail "accepted: $expected"
    [ "$(wc -l <"$dir/refused.err")" = 1 ] && grep -qF "error: $expected" "$dir/refused.err" ||
        fail "expected one line \"error: $expected\", got: $(cat "$dir/refused.err")"
    ! ls "$output"/*.msi >/dev/null 2>&1 || fail "a package was written although \"$expected\""
}

# Modules folders that cannot be packaged whole are refused before any
# package is written (no Wine needed).
scenario_modules() {
    scenario=modules
    dir="$work/modules-refused"
    rm -rf "$dir"
    mkdir -p "$dir"
    local case bad=$dir/modules
    # "what is done to a copy of the good modules folder|what the refusal says"
    local cases=(
        "rm -r x86|$bad/x86 is missing"
        "mkdir x64/resources|$bad/x64/resources is not a file"
        "cp x86/QuavPlusUI.dll x64/Helper.dll|$bad/x64/Helper.dll is built for x86, not for x64"
        "cp x64/QuavPlusUI.dll x64/afxframework.dll|$bad/x64/afxframework.dll has the name of the launcher's AfxFramework.dll"
        "cp x86/QuavPlusUI.dll x86/quavpluskds.EXE|$bad/x86/quavpluskds.EXE has the name of the launcher's QUAVPlusKDS.exe"
    )
    for case in "${cases[@]}"; do
        rm -rf "$bad" "$dir/packages"
        cp -r "$work/modules" "$bad"
        (cd "$bad" && eval "${case%%|*}")
        refused "$dir/packages" "${case#*|}" "$ROOT/packaging/msi.sh" "$version" "$dir/packages" "$bad"
    done
}

# make_certificates DIR: a throwaway CA (DIR/ca.pem) and a code-signing
# certificate it issued, with its key, as DIR/signer.pfx (password
# $signing_password).
make_certificates() {
    local keys=$1
    mkdir -p "$keys"
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=QUAV Plus test CA" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
        -keyout "$keys/ca.key" -out "$keys/ca.pem" 2>/dev/null &&
        openssl req -newkey rsa:2048 -nodes -subj "/CN=QUAV Plus test publisher" \
            -keyout "$keys/signer.key" -out "$keys/signer.csr" 2>/dev/null &&
        printf 'keyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$keys/signer.ext" &&
        openssl x509 -req -in "$keys/signer.csr" -CA "$keys/ca.pem" -CAkey "$keys/ca.key" \
            -CAcreateserial -days 2 -extfile "$keys/signer.ext" -out "$keys/signer.pem" 2>/dev/null &&
        openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.pem" -certfile "$keys/ca.pem" \
            -passout env:signing_password -out "$keys/signer.pfx" || die "openssl could not make the certificates"
}

# verify FILE: the signature holds against the test CA.
verify() { osslsigncode verify -CAfile "$keys/ca.pem" -in "$1" >"$dir/verify.txt" 2>&1; }

# A release signed with tools/package --sign: bad certificates are refused,
# a failure while signing leaves no package, every signature holds, and the
# signed launcher, installed, starts and crashes into a dump that the symbol
# copies of the unsigned build still explain.
scenario_signed() {
    begin signed
    local keys="$dir/keys" packages="$DIST_ROOT/packages"
    export signing_password="test-$RANDOM"
    make_certificates "$keys"
    # tools/package replaces dist/packages and dist/sdk: the unsigned ones
    # tools/test made come back at the end.
    cp -a "$packages" "$dir/unsigned-packages"
    cp -a "$DIST_ROOT/sdk" "$dir/unsigned-sdk"
    local before
    before=$(cd "$packages" && md5sum ./*)
    local bad_modules="$dir/bad-modules"
    cp -r "$work/modules" "$bad_modules"
    cp "$bad_modules/x64/QuavPlusUI.dll" "$bad_modules/x64/afxframework.dll"
    local case password certificate modules expected
    # "password|certificate|modules folder|what the refusal says"
    for case in "$signing_password|$keys/missing.pfx||$keys/missing.pfx: no such certificate file" \
        "$signing_password|$keys/ca.pem||$keys/ca.pem: not a PKCS#12 (.pfx) certificate file" \
        "wrong|$keys/signer.pfx||$keys/signer.pfx: wrong password" \
        "$signing_password|$keys/signer.pfx|$bad_modules|$bad_modules/x64/afxframework.dll has the name"; do
        IFS='|' read -r password certificate modules expected <<<"$case"
        refused "$dir/none" "$expected" env QUAVPLUS_SIGN_PASSWORD="$password" "$ROOT/tools/package" \
            --sign "$certificate" ${modules:+--modules "$modules"}
        [ "$(cd "$packages" && md5sum ./*)" = "$before" ] || fail "refusing \"$expected\" changed $packages"
    done
    # Signing fails when the time-stamp server cannot be reached.
    QUAVPLUS_SIGN_PASSWORD=$signing_password "$ROOT/tools/package" --sign "$keys/signer.pfx" \
        --timestamp http://127.0.0.1:9/ >"$dir/package.out" 2>&1 && fail "signing without a time stamp succeeded"
    ! ls "$packages"/* >/dev/null 2>&1 || fail "a failed signing left packages: $(ls "$packages")"

    # The launcher with a UI module that crashes at start-up, unstripped in
    # its own symbols folder and stripped (keeping its time stamp) in the package.
    local modules="$dir/modules" strip
    strip=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$BUILD_ROOT/x64/CMakeCache.txt")
    mkdir -p "$modules/x86" "$modules/x64" "$dir/module-symbols"
    cp "$work/modules/x86/QuavPlusUI.dll" "$modules/x86/"
    cp "$BUILD_ROOT/x64/bin/CrashTestModule.dll" "$dir/module-symbols/QuavPlusUI.dll"
    "$strip" -p -o "$modules/x64/QuavPlusUI.dll" "$dir/module-symbols/QuavPlusUI.dll"
    QUAVPLUS_SIGN_PASSWORD=$signing_password "$ROOT/tools/package" --sign "$keys/signer.pfx" \
        --modules "$modules" >"$dir/package.out" 2>&1 || fail "signing failed: $(tail -n 3 "$dir/package.out")"
    tail -n 1 "$dir/package.out" | grep -qx '== signed by: CN = QUAV Plus test publisher' ||
        fail "tools/package does not say who signed"

    # Both packages, the programs in them (the modules as they were given),
    # and the SDK's libraries, zipped and unpacked.
    local arch program
    for arch in x86 x64; do
        verify "$packages/QUAVPlus-$version-$arch.msi" || fail "the $arch package: $(tail -n 3 "$dir/verify.txt")"
        mkdir -p "$dir/extracted/$arch"
        (cd "$dir/extracted/$arch" && msiextract "$packages/QUAVPlus-$version-$arch.msi" >/dev/null) ||
            fail "msiextract failed on the $arch package"
        for program in AfxFramework.dll QUAVPlusKDS.exe QUAVPlusLXKDS.exe QUAVPlusRDKDS.exe; do
            program=$(find "$dir/extracted/$arch" -name "$program")
            verify "$program" || fail "$arch/$(basename "$program"): $(tail -n 3 "$dir/verify.txt")"
        done
        cmp -s "$(find "$dir/extracted/$arch" -name QuavPlusUI.dll)" "$modules/$arch/QuavPlusUI.dll" ||
            fail "the $arch package changed the module"
    done
    mkdir -p "$dir/sdk"
    (cd "$dir/sdk" && cmake -E tar xf "$packages/QUAVPlus-$version-sdk.zip") || fail "the SDK zip does not unpack"
    for program in "$dir"/sdk/*/lib/x86/AfxFramework.dll "$dir"/sdk/*/lib/x64/AfxFramework.dll \
        "$DIST_ROOT"/sdk/lib/x86/AfxFramework.dll "$DIST_ROOT"/sdk/lib/x64/AfxFramework.dll; do
        verify "$program" || fail "${program#"$dir"/}: $(tail -n 3 "$dir/verify.txt")"
    done

    # Installed and started, the signed launcher crashes in the module; the
    # report names the launcher's and the framework's frames from the symbol
    # copies of the unsigned build: signing kept their time stamps and sizes.
    msi_install "$packages/QUAVPlus-$version-x64.msi" || fail "installing the signed package failed"
    local install='C:\Program Files\QUAV Plus'
    mkdir -p "$dir/dumps"
    QUAV_TEST_CRASH=main QUAV_TEST_DUMP_FOLDER="$(winepath -w "$dir/dumps")" \
        wine "$bin64/observer.exe" --timeout 600000 --cwd "$install" -- "$install\\QUAVPlusKDS.exe" \
        </dev/null >"$dir/observer.txt" 2>&1 || true
    tr -d '\r' <"$dir/observer.txt" | grep -qx 'EXIT 3221225477' ||
        fail "the signed launcher did not crash as the module asked: $(cat "$dir/observer.txt")"
    local dump
    dump=$(ls "$dir"/dumps/QPLSCrash_*.dmp 2>/dev/null | head -n 1)
    if [ -z "$dump" ]; then
        fail "the signed launcher wrote no dump"
    else
        "$ROOT/tools/crash-report" "$dump" --symbols "$dir/module-symbols" >"$dir/report.txt" 2>&1 ||
            fail "tools/crash-report failed: $(cat "$dir/report.txt")"
        for program in QUAVPlusKDS.exe AfxFramework.dll; do
            grep -qE "^  0x[0-9a-f]+  $program .*symbols: dist/symbols/x64/$program\$" "$dir/report.txt" ||
                fail "the report does not match the signed $program with its symbols: $(cat "$dir/report.txt")"
        done
        grep -qE ' QUAVPlusKDS\.exe\+0x[0-9a-f]+ +CQuavPlusApp::InitInstance\(\) at Code/APPLICATION/QuavPlusApp\.cpp:[0-9]+$' \
            "$dir/report.txt" || fail "the report names no frame of the signed launcher: $(cat "$dir/report.txt")"
    fi

    rm -rf "$packages" "$DIST_ROOT/sdk"
    mv "$dir/unsigned-packages" "$packages"
    mv "$dir/unsigned-sdk" "$DIST_ROOT/sdk"
    finish
}

# Its prefixes and packages are its own, but two runs would share them.
mkdir -p "$work"
exec 9>"$work/.lock"
flock -n 9 || die "another run of the installer tests is using $work; wait for it to end"

scenarios=("$@")
[ ${#scenarios[@]} -gt 0 ] || scenarios=(modules x64 x86 upgrade signed)
for s in "${scenarios[@]}"; do
    declare -F "scenario_$s" >/dev/null || die "no installer scenario $s"
done

# The packages: this version with the sample module as each architecture's
# QuavPlusUI.dll, and, for the upgrade, two newer ones (fourth, then third
# field raised) without it.
rm -rf "$work/packages"* "$work/modules"
mkdir -p "$work/modules/x86" "$work/modules/x64"
cp "$BUILD_ROOT/x86/bin/SampleUIModule.dll" "$work/modules/x86/QuavPlusUI.dll"
cp "$BUILD_ROOT/x64/bin/SampleUIModule.dll" "$work/modules/x64/QuavPlusUI.dll"
echo '; a dot file is installed like any other' >"$work/modules/x64/.quavplusui.ini"
"$ROOT/packaging/msi.sh" "$version" "$work/packages" "$work/modules"
IFS=. read -r major minor build revision <<<"$version"
fourth_version="$major.$minor.$build.$((revision + 1))"
third_version="$major.$minor.$((build + 1)).0"
"$ROOT/packaging/msi.sh" "$fourth_version" "$work/packages-fourth"
"$ROOT/packaging/msi.sh" "$third_version" "$work/packages-third"

# One prefix made here; each scenario copies it. Start-menu entries stay out
# of the Linux desktop's menus.
template="$work/template-prefix"
prepare_prefix "$template"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
start_display
trap 'stop_wineserver; stop_display' EXIT

for s in "${scenarios[@]}"; do
    "scenario_$s"
done
[ "$failures" -eq 0 ] || die "installer tests: $failures failed checks"
log "installer tests passed: ${scenarios[*]}"
