# The UI modules given to tools/package --modules DIR (source it after
# tools/lib/common.sh and packaging/lib/pe.sh). Every file of DIR/x86 and
# DIR/x64 is installed beside the executables of the matching package, dot
# files included (Windows does not hide them), as their authors shipped them.

# check_modules DIR: returns when DIR can be packaged whole; otherwise one
# line naming the file and the reason, and the script ends. Runs before
# anything is written. Needs dist/x86 and dist/x64, whose files a module must
# not replace.
check_modules() {
    local dir=$1 arch path name machine
    for arch in x86 x64; do
        [ -d "$dir/$arch" ] || die "$dir/$arch is missing: a modules folder holds x86/ and x64/"
    done
    for arch in x86 x64; do
        # Windows ignores letter case in file names: so does every comparison.
        local -A taken=()
        for path in "$DIST_ROOT/$arch"/*; do
            taken[$(basename "${path,,}")]="the launcher's $(basename "$path")"
        done
        while IFS= read -r -d '' path; do
            name=$(basename "$path")
            [ -f "$path" ] || die "$path is not a file: the modules folders hold files only"
            [[ ! "$name" =~ [\\:*?\"\<\>|] && ! "$name" =~ [.\ ]$ ]] ||
                die "$path: Windows cannot hold a file of that name"
            [ -z "${taken[${name,,}]:-}" ] ||
                die "$path has the name of ${taken[${name,,}]} (Windows ignores letter case)"
            taken[${name,,}]=$path
            case ${name,,} in
                *.dll | *.exe)
                    machine=$(pe_machine "$path")
                    [ -n "$machine" ] || die "$path is not a Windows program or library"
                    [ "$machine" = "$arch" ] || die "$path is built for ${machine}, not for $arch"
                    ;;
            esac
        done < <(find "$dir/$arch" -mindepth 1 -maxdepth 1 -print0 | sort -z)
        unset taken
    done
}
