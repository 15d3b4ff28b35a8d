#!/usr/bin/env bash
# The symbol archives: dist/symbols/<arch>, the unstripped copies of the
# programs dist/<arch> ships, under the same names, zipped as
# dist/packages/QUAVPlus-<version>-symbols-<arch>.zip with the files at the
# top. Unpacked into a folder, they serve tools/crash-report --symbols.
# Called by tools/package.
set -euo pipefail
: "${DIST_ROOT:?}" "${VERSION:?}"
for arch in x86 x64; do
    symbols="$DIST_ROOT/symbols/$arch"
    [ -d "$symbols" ] || { echo "symbols.sh: $symbols is missing" >&2; exit 1; }
    archive="$DIST_ROOT/packages/QUAVPlus-$VERSION-symbols-$arch.zip"
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
