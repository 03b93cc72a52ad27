#!/usr/bin/env bash
# Signing with a throw-away self-signed certificate made here: the programs (PEM certificate and
# key), the installer, its uninstaller and the MSI (PKCS#12 file and its password file) verify
# with osslsigncode against that certificate, and a signed file changed afterwards does not.
# Without a certificate, files are left as they are and the build's notice is one line.
#
# usage: signing.sh SIGN WINE-RUN STAGE-DIR MAKE-MSI ICON WORK-DIR NSIS-SCRIPT MAKENSIS-COMMAND...
#   (the installer's makensis command but for its -DOUTFILE and script)
set -euo pipefail

sign=$1
wine_run=$2
stage=$3
make_msi=$4
icon=$5
work=$6
script=$7
shift 7

rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
source "$(dirname "$0")/wine_display.sh"
unset MORVEX_SIGN_CERT MORVEX_SIGN_KEY MORVEX_SIGN_PKCS12 MORVEX_SIGN_PASSWORD_FILE \
    MORVEX_SIGN_TIMESTAMP_URL

# Whether FILE verifies against the test's certificate: "verified" or "refused".
verified() {
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$1" > "$work/verify.log" 2>&1; then
        echo verified
    else
        echo refused
    fi
}

# Unsigned: nothing changes, and the notice is one line.
cp "$stage/morvex-cli.exe" "$work/unsigned.exe"
"$sign" "$work/unsigned.exe"
cmp -s "$stage/morvex-cli.exe" "$work/unsigned.exe" || expect "the unsigned program" unchanged changed
expect "the notice's lines" 1 "$("$sign" --notice | wc -l)"
expect "the unsigned program's verification" refused "$(verified "$work/unsigned.exe")"

openssl req -x509 -newkey rsa:2048 -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
    -subj "/CN=MORVEX test signer" -passout pass:secret-of-the-test 2> "$work/openssl.log"
printf 'secret-of-the-test\n' > "$work/password"
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -passin pass:secret-of-the-test \
    -out "$work/signer.p12" -passout file:"$work/password" 2>> "$work/openssl.log"

# The programs, with the PEM certificate and its encrypted key.
cp "$stage/morvex.exe" "$stage/morvex-cli.exe" "$work/"
MORVEX_SIGN_CERT=$work/cert.pem MORVEX_SIGN_KEY=$work/key.pem MORVEX_SIGN_PASSWORD_FILE=$work/password \
    "$sign" "$work/morvex.exe" "$work/morvex-cli.exe"
for program in morvex.exe morvex-cli.exe; do
    expect "$program's signature" verified "$(verified "$work/$program")"
done

# The installer (and through it its uninstaller) and the MSI, with the PKCS#12 file.
export MORVEX_SIGN_PKCS12=$work/signer.p12 MORVEX_SIGN_PASSWORD_FILE=$work/password
"$@" "-DOUTFILE=$work/setup.exe" "$script" > "$work/makensis.log"
SOURCE_DATE_EPOCH=1700000000 "$make_msi" "$work/morvex.msi" 1.0.0 "$stage" "$icon" 2> /dev/null
"$sign" "$work/morvex.msi"
unset MORVEX_SIGN_PKCS12 MORVEX_SIGN_PASSWORD_FILE
expect "the installer's signature" verified "$(verified "$work/setup.exe")"
expect "the MSI's signature" verified "$(verified "$work/morvex.msi")"

# The uninstaller is written by the installer: installed under Wine, in a prefix of its own.
MORVEX_WINE_PREFIX=$work/prefix
export MORVEX_WINE_PREFIX
unset MORVEX_WINE_DISPLAY
"$wine_run" --setup
trap '"$wine_run" --stop > /dev/null 2>&1 || true' EXIT
"$wine_run" "$work/setup.exe" /S /NOPATH
uninstaller=$(find "$MORVEX_WINE_PREFIX/drive_c/users" -path '*/Programs/MORVEX/uninstall.exe')
expect "the uninstaller's signature" verified "$(verified "$uninstaller")"

# One byte changed after signing, in the code and in the MSI's tables.
for file in morvex-cli.exe morvex.msi; do
    size=$(stat -c %s "$work/$file")
    printf 'X' | dd of="$work/$file" bs=1 seek=$((size / 3)) conv=notrunc status=none
    expect "$file changed after signing" refused "$(verified "$work/$file")"
done

[ "$failed" = 0 ] && echo "signing: signed files verify, changed and unsigned ones do not"
exit $failed
