# Authenticode signing of a release, for the packaging steps (source it after
# tools/lib/common.sh). tools/package --sign exports:
#   QUAVPLUS_SIGN_PKCS12     the certificate with its private key (PKCS#12);
#                            unset: nothing is signed
#   QUAVPLUS_SIGN_PASSWORD   its password (empty when unset)
#   QUAVPLUS_SIGN_TIMESTAMP  an RFC 3161 time-stamp server, or empty
# Everything is signed with SHA-256 by osslsigncode.

signing_enabled() { [ -n "${QUAVPLUS_SIGN_PKCS12:-}" ]; }

# openssl reads the password from the environment (never from the command
# line, where other users would see it). Certificates exported by Windows
# often use the old RC2 and 3DES ciphers, which OpenSSL 3 only reads with
# -legacy.
_read_pkcs12() {
    local output
    output=$(QUAVPLUS_SIGN_PASSWORD=${QUAVPLUS_SIGN_PASSWORD:-} openssl pkcs12 -in "$1" -nodes \
        -passin env:QUAVPLUS_SIGN_PASSWORD 2>&1) && { printf '%s\n' "$output"; return 0; }
    grep -q 'unsupported' <<<"$output" || { printf '%s\n' "$output"; return 1; }
    QUAVPLUS_SIGN_PASSWORD=${QUAVPLUS_SIGN_PASSWORD:-} openssl pkcs12 -legacy -in "$1" -nodes \
        -passin env:QUAVPLUS_SIGN_PASSWORD 2>&1
}

# check_signing_certificate FILE: returns when FILE can sign; otherwise one
# line naming the file and the reason, and the script ends.
check_signing_certificate() {
    local pfx=$1 contents
    [ -e "$pfx" ] || die "$pfx: no such certificate file"
    [ -f "$pfx" ] || die "$pfx: not a file"
    [ -r "$pfx" ] || die "$pfx: cannot be read"
    if ! contents=$(_read_pkcs12 "$pfx"); then
        grep -q 'Mac verify error' <<<"$contents" || die "$pfx: not a PKCS#12 (.pfx) certificate file"
        [ -n "${QUAVPLUS_SIGN_PASSWORD:-}" ] || die "$pfx: wrong password (QUAVPLUS_SIGN_PASSWORD is not set)"
        die "$pfx: wrong password (the one in QUAVPLUS_SIGN_PASSWORD)"
    fi
    grep -q -- '-----BEGIN .*PRIVATE KEY-----' <<<"$contents" || die "$pfx: holds no private key"
    grep -q -- '-----BEGIN CERTIFICATE-----' <<<"$contents" || die "$pfx: holds no certificate"
}

# signing_subject: whom the certificate names, for the tools' last lines.
signing_subject() {
    _read_pkcs12 "$QUAVPLUS_SIGN_PKCS12" | openssl x509 -noout -subject 2>/dev/null | sed 's/^subject=//'
}

# sign_file FILE: signs a program or an MSI package in place. A failure ends
# the script and leaves FILE as it was.
sign_file() {
    local file=$1 pass=()
    # An empty password cannot be read from a file; it is no secret either.
    if [ -n "${QUAVPLUS_SIGN_PASSWORD:-}" ]; then
        pass=(-readpass /dev/stdin)
    else
        pass=(-pass '')
    fi
    local timestamp=()
    [ -z "${QUAVPLUS_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$QUAVPLUS_SIGN_TIMESTAMP")
    local output
    rm -f "$file.signed"
    output=$(printf '%s' "${QUAVPLUS_SIGN_PASSWORD:-}" |
        osslsigncode sign -pkcs12 "$QUAVPLUS_SIGN_PKCS12" "${pass[@]}" -h sha256 -n "QUAV Plus" \
            "${timestamp[@]}" -in "$file" -out "$file.signed" 2>&1) || {
        rm -f "$file.signed"
        # osslsigncode's first line that says what went wrong.
        die "signing $file failed: $(grep -m1 -iE 'fail|error|unable|invalid' <<<"$output")"
    }
    mv "$file.signed" "$file"
}
