#!/bin/sh
# Signs a Windows file in place with Authenticode, SHA-256 digests, using
# osslsigncode: sign-file.sh <certificate.pfx> <password file> <file> [timestamp URL]
# The package build calls it for every file it ships, and makensis for the
# setup and the uninstaller it writes.
set -eu
pfx="$1"; password_file="$2"; file="$3"; timestamp_url="${4:-}"
set -- -pkcs12 "$pfx" -readpass "$password_file" -h sha256 -n Quarantine
[ -z "$timestamp_url" ] || set -- "$@" -ts "$timestamp_url"
# A signed copy an interrupted run left would make osslsigncode refuse.
rm -f "$file.signed"
osslsigncode sign "$@" -in "$file" -out "$file.signed" >/dev/null
mv -f "$file.signed" "$file"
