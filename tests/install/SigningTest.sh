#!/usr/bin/env bash
# Signing as the package build does it, with a throw-away code-signing
# certificate made here under a throw-away root: the programs, the stand-ins,
# a setup made by the build's script (which signs the uninstaller it writes
# into it, or fails) and an MSI each verify against that root with SHA-256
# digests, and a file changed by one byte after signing is refused.
# Arguments: the source tree, the build tree.
set -euo pipefail
src="$1"; build="$2"
for tool in openssl osslsigncode makensis; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (tools/setup installs it)"; exit 77; }
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
    -subj "/CN=Quarantine test root" -addext basicConstraints=critical,CA:TRUE \
    -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr \
    -subj "/CN=Quarantine test signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -CAcreateserial -days 2 \
    -extfile signer.ext -out signer.pem 2>/dev/null
printf 'throw-away' >password.txt
openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile root.pem -out signer.pfx \
    -passout file:password.txt
sign=("$src/installer/sign-file.sh" "$work/signer.pfx" "$work/password.txt")

mkdir -p files/standin
cp "$build/bin/Quarantine.exe" "$build/bin/Quarantine.com" files/
cp "$build/bin/standin/ZEBQt.dll" "$build/bin/standin/ZEBScanP.dll" files/standin/
for file in files/Quarantine.exe files/Quarantine.com files/standin/ZEBQt.dll files/standin/ZEBScanP.dll; do
    sh "${sign[@]}" "$file"
done
arch=amd64
grep -q 'CMAKE_SIZEOF_VOID_P:INTERNAL=4' "$build/CMakeCache.txt" && arch=x86
cmake -DMAKENSIS="$(command -v makensis)" -DVERSION=1.0.0 -DARCH=$arch -DBINDIR="$work/files" \
    -DSRCDIR="$src" -DOUTFILE="$work/setup.exe" -DSIGN_PFX="$work/signer.pfx" \
    -DSIGN_PASSWORD_FILE="$work/password.txt" -DSIGN_TIMESTAMP_URL= \
    -P "$src/installer/MakeSetup.cmake" >/dev/null
signed=(files/Quarantine.exe files/Quarantine.com files/standin/ZEBQt.dll files/standin/ZEBScanP.dll setup.exe)
if command -v wixl >/dev/null; then
    printf 'readme\r\n' >README.txt
    msi_arch=x64; [ $arch = x86 ] && msi_arch=x86
    cmake -DWIXL="$(command -v wixl)" -DWXS="$src/installer/Quarantine.wxs" -DVERSION=1.0.0 \
        -DARCH=$msi_arch -DBINDIR="$work/files" -DREADME="$work/README.txt" \
        -DICON="$src/res/Quarantine.ico" -DOUTFILE="$work/Quarantine.msi" -DWORKDIR="$work" \
        -P "$src/installer/MakeMsi.cmake"
    sh "${sign[@]}" Quarantine.msi
    signed+=(Quarantine.msi)
fi

failed=0
for file in "${signed[@]}"; do
    if out="$(osslsigncode verify -CAfile root.pem -in "$file" 2>&1)" &&
        echo "$out" | grep -qi 'digest algorithm *: *SHA256'; then
        echo "verified: $file"
    else
        echo "NOT verified: $file"; echo "$out"; failed=1
    fi
done

# One byte changed in the middle of the signed program.
cp files/Quarantine.exe changed.exe
size=$(stat -c %s changed.exe)
offset=$((size / 2))
byte=$(dd if=changed.exe bs=1 skip=$offset count=1 2>/dev/null | od -An -tu1 | tr -d ' ')
printf "$(printf '\\%03o' $(((byte + 1) % 256)))" | dd of=changed.exe bs=1 seek=$offset conv=notrunc 2>/dev/null
if osslsigncode verify -CAfile root.pem -in changed.exe >/dev/null 2>&1; then
    echo "a file changed after signing was accepted"; failed=1
else
    echo "refused: a file changed by one byte after signing"
fi
exit $failed
