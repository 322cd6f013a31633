#!/usr/bin/env bash
# Renders the application icon, res/Quarantine.ico, from the vector drawings
# beside this script: a shield with a padlock. 256, 48 and 32 pixels come from
# the large drawing; 16 pixels has its own drawing with heavier strokes so
# that it stays legible. Needs ImageMagick's convert.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
convert -background none "mvg:$here/Quarantine-icon.mvg" "$work/256.png"
for size in 48 32; do
    convert "$work/256.png" -filter Lanczos -resize "${size}x${size}" "$work/$size.png"
done
convert -background none "mvg:$here/Quarantine-icon-16.mvg" "$work/16.png"
convert "$work/16.png" "$work/32.png" "$work/48.png" "$work/256.png" -depth 8 "$here/Quarantine.ico"
