#!/usr/bin/env bash
# A packaging step of tools/package: the symbol archives. dist/symbols/<arch>,
# the unstripped copies of the programs dist/<arch> ships, under the same
# names, zipped as OUT_DIR/QUAVPlus-VERSION-symbols-<arch>.zip with the files
# at the top. Unpacked into a folder, they serve tools/crash-report --symbols.
#
#   packaging/symbols.sh VERSION OUT_DIR [MODULES_DIR]   (the modules are not part of them)
set -euo pipefail
source "$(dirname "$0")/../tools/lib/common.sh"

packaging_step_args "$@"
for arch in x86 x64; do
    symbols="$DIST_ROOT/symbols/$arch"
    [ -d "$symbols" ] || die "$symbols is missing; install dist/ first"
    archive="$out_dir/QUAVPlus-$version-symbols-$arch.zip"
    rm -f "$archive"
    /usr/bin/python3 - "$symbols" "$archive" <<'PY'
import os, sys, zipfile
folder, archive = sys.argv[1:]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in sorted(os.listdir(folder)):
        z.write(os.path.join(folder, name), name)
PY
    echo "$(basename "$archive"): $(stat -c %s "$archive") bytes"
done
