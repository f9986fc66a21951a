#!/usr/bin/env bash
# The README's looks gallery and seed sheet: every shipped look on one photograph, and one look
# across 12 seeds, written to docs/looks/ and docs/seeds.jpg.
#   bash scripts/looks_gallery.sh [path/to/jitterforge]
#
# The photograph is "coffee" from scikit-image's sample data, by Rachel Michetti, released CC0
# (no rights reserved). It is taken from Debian's python3-skimage package, downloaded but not
# installed, so the pictures can be made again on any Debian machine.
set -euo pipefail
cd "$(dirname "$0")/.."
jitterforge=${1:-build/release/jitterforge}
out=docs/looks
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && apt-get download -q python3-skimage >/dev/null 2>&1) \
  || { echo "could not download Debian's python3-skimage (run apt-get update first)" >&2; exit 1; }
dpkg-deb --fsys-tarfile "$work"/python3-skimage_*.deb \
  | tar -x -C "$work" --wildcards '*/skimage/data/coffee.png'
photo=$(find "$work" -name coffee.png)

# The looks are made for full HD frames (their sizes are in pixels), so the 600x400 photograph is
# enlarged to 1620x1080 before rendering and each result shown at a sixth of that, 270x180.
scene=$work/scene.png
rendered=$work/rendered.png
ffmpeg -loglevel error -y -i "$photo" -vf scale=1620:1080:flags=lanczos "$scene"
ffmpeg -loglevel error -y -i "$scene" -vf scale=270:180:flags=area "$out/input.png"

# Each look at frame 50 (two seconds in) at the depth it is made for.
for file in looks/*.json; do
  name=$(basename "$file" .json)
  depth=$(sed -n 's/.*"depth": *\([0-9]*\).*/\1/p' "$file")
  "$jitterforge" render "$scene" "$rendered" --look "$name" --frame 50 --depth "${depth:-8}"
  ffmpeg -loglevel error -y -i "$rendered" -vf scale=270:180:flags=area -pix_fmt rgb24 \
    "$out/$name.png"
done

# One look across 12 seeds of its block layout, each tile labelled with its seed; the sheet is
# shown at half its size.
"$jitterforge" sheet "$scene" "$work/seeds.png" --look block-burst \
  --vary "Basic Blocks/Position Random Seed=1..12"
ffmpeg -loglevel error -y -i "$work/seeds.png" -vf scale=iw/2:-1:flags=area -q:v 3 docs/seeds.jpg
echo "Wrote $out/input.png, one picture per look and docs/seeds.jpg"
