#!/usr/bin/env bash
# The README's looks gallery: every shipped look on one picture made here by ffmpeg (a sunset
# drawn with lavfi's geq, so no one's photograph and no licence), written to docs/looks/.
#   bash scripts/looks_gallery.sh [path/to/jitterforge]
set -euo pipefail
cd "$(dirname "$0")/.."
jitterforge=${1:-build/release/jitterforge}
out=docs/looks
mkdir -p "$out"
scene=$(mktemp --suffix=.png)
rendered=$(mktemp --suffix=.png)
trap 'rm -f "$scene" "$rendered"' EXIT

# Sky with soft clouds, a sun with a bright core, striped fields, drawn at 960x540 and enlarged to full HD with a little grain.
sun="hypot(X-W*0.68,Y-H*0.42)"
cloud="(0.5+0.25*sin(X/37+2*sin(Y/23))+0.25*sin(Y/11+X/91))"
field="lt(mod(X+3*(Y-H*0.6),120),60)"
ffmpeg -loglevel error -y -f lavfi -i "color=c=black:s=960x540,format=rgb24" -frames:v 1 -vf "\
geq=r='if(lt($sun,90),255-($sun/90)^2*40,if(lt(Y,H*0.6),30+200*Y/(H*0.6)+40*$cloud*(Y/H),if($field,70,40)+30*sin(X/40)))'\
:g='if(lt($sun,90),245-($sun/90)*90,if(lt(Y,H*0.6),20+110*Y/(H*0.6)+50*$cloud*(Y/H),if($field,90,60)))'\
:b='if(lt($sun,90),200-($sun/90)*120,if(lt(Y,H*0.6),90+60*Y/(H*0.6)-40*(Y/(H*0.6))^2+30*$cloud,if($field,60,40)))',\
scale=1920:1080,noise=alls=10:allf=u" "$scene"
ffmpeg -loglevel error -y -i "$scene" -vf scale=320:180:flags=area "$out/input.png"

# Each look at frame 50 (two seconds in) at the depth it is made for, rendered at full HD and
# shown at a sixth of that.
for file in looks/*.json; do
  name=$(basename "$file" .json)
  depth=$(sed -n 's/.*"depth": *\([0-9]*\).*/\1/p' "$file")
  "$jitterforge" render "$scene" "$rendered" --look "$name" --frame 50 \
    --depth "${depth:-8}"
  ffmpeg -loglevel error -y -i "$rendered" -vf scale=320:180:flags=area -pix_fmt rgba \
    "$out/$name.png"
done
echo "Wrote $out/input.png and one picture per look"
