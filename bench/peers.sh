#!/usr/bin/env bash
# Jitterforge's stages against their ffmpeg peers on the same raw 1080p frames.
#
#   bench/peers.sh [BUILD_DIR] [RUNS] [THREADS...]
#
# Makes 25 raw 1920x1080 frames with ffmpeg (rgba, and gbrapf32le for the float rows, and one
# 3840x2160 float set), then for each row times `jitterforge stream` over them and the peer
# over the same frames, the two interleaved run by run; prints the median ms per frame of
# each, and their ratio, for every thread count given (default: 1 and 2). A peer that is not
# installed (a frei0r plugin, G'MIC) shows as n/a. Timings are wall clock of whole processes,
# start-up included, as a user meets them; run on a quiet machine.
set -euo pipefail

build=${1:-build/release}
runs=${2:-5}
shift $(($# > 2 ? 2 : $#)) || true
threads=("$@")
[[ ${#threads[@]} -eq 0 ]] && threads=(1 2)

jf=$build/jitterforge
[[ -x $jf ]] || { echo "no $jf: build the command first" >&2; exit 2; }
work=$(mktemp -d -p "$build")  # on disk: the float frames take about 1.5 GB
trap 'rm -rf "$work"' EXIT
frames=25

uhd_frames=5  # 133 MB each
make_frames() {  # size pix_fmt count file
  ffmpeg -v error -f lavfi -i "testsrc2=size=$1:rate=25" -frames:v "$3" \
    -f rawvideo -pix_fmt "$2" "$4"
}
make_frames 1920x1080 rgba $frames "$work/hd8.raw"
make_frames 1920x1080 gbrapf32le $frames "$work/hdf.raw"
make_frames 3840x2160 gbrapf32le $uhd_frames "$work/uhdf.raw"

frei0r_dir=""
for d in /usr/lib/frei0r-1 /usr/lib/x86_64-linux-gnu/frei0r-1 /usr/local/lib/frei0r-1; do
  [[ -e $d/glitch0r.so ]] && frei0r_dir=$d && break
done
filter_dir=$build/frei0r-1  # the build's own filter, alone in its folder

stages=("Basic Blocks" "Pixel Sorter" "Elements Scatter" "Blur Blocks" "Noise" "Warp" "Split RGB")

# The --set options that enable exactly the named stages ("all" for every one, "" for none).
enable() {
  local on=$1 s
  for s in "${stages[@]}"; do
    local v=off
    [[ $on == all || $on == "$s" ]] && v=on
    printf -- '--set\0%s/Enable %s=%s\0' "$s" "$s" "$v"
  done
}

seconds() {  # command...: wall seconds of one run, output discarded
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; return 1; }
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000))  # microseconds
}

median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

run_jf() {  # threads stage size pix_fmt file
  local -a opts
  mapfile -d '' opts < <(enable "$2")
  # The frames come in through the function's own redirection: a shell in between would add
  # its start-up to every figure.
  seconds "$jf" stream --quiet --threads "$1" --size "$3" --pix-fmt "$4" "${opts[@]}" <"$5"
}

run_ffmpeg() {  # threads size pix_fmt file filter
  seconds env FREI0R_PATH="${FREI0R_PATH_OVERRIDE:-$frei0r_dir}" ffmpeg -v error -threads "$1" \
    -filter_threads "$1" -f rawvideo -pix_fmt "$3" -s "$2" -i "$4" -vf "$5" -f rawvideo -
}

boxes=$(for i in $(seq 0 9); do printf 'drawbox=x=%d:y=%d:w=120:h=80:c=red@0.8:t=fill,' \
  $((i * 170)) $((i * 90)); done)
boxes=${boxes%,}

# name | stage | size | pix_fmt | frames file | peer filter ("" for none, "-" when missing)
rows=(
  "no stage (pass-through), stream|none|1920x1080|rgba|hd8|null"
  "Basic Blocks, defaults|Basic Blocks|1920x1080|rgba|hd8|${frei0r_dir:+frei0r=glitch0r}"
  "Pixel Sorter, defaults|Pixel Sorter|1920x1080|rgba|hd8|$(command -v gmic >/dev/null && echo gmic || true)"
  "Elements Scatter, defaults|Elements Scatter|1920x1080|rgba|hd8|$boxes"
  "Blur Blocks, defaults|Blur Blocks|1920x1080|rgba|hd8|gblur=sigma=10"
  "Noise, defaults|Noise|1920x1080|rgba|hd8|noise=alls=20"
  "Warp, defaults|Warp|1920x1080|rgba|hd8|rgbashift=rh=10:bv=10"
  "Split RGB, defaults|Split RGB|1920x1080|rgba|hd8|${frei0r_dir:+frei0r=rgbsplit0r}"
  "all seven, 8-bit|all|1920x1080|rgba|hd8|"
  "all seven, float|all|1920x1080|gbrapf32le|hdf|"
  "all seven, 3840x2160 float|all|3840x2160|gbrapf32le|uhdf|"
)

startup() {  # threads: a stream of no frames is the command's start-up and shut-down
  seconds "$jf" stream --quiet --threads "$1" --size 1920x1080 </dev/null
}
about() {  # the effect's About text: start-up, module load and set-up, no frame
  seconds "$jf" about
}

for t in "${threads[@]}"; do
  echo "== $t thread(s), $runs interleaved runs, median ms/frame over $frames frames"
  printf '%-36s %12s %12s %8s\n' "work" "Jitterforge" "peer" "ratio"
  declare -A ours=() theirs=()
  su=()
  ab=()
  for ((run = 0; run < runs; ++run)); do
    su+=("$(startup "$t")")
    ab+=("$(about)")
    for row in "${rows[@]}"; do
      IFS='|' read -r name stage size fmt file peer <<<"$row"
      ours[$name]+="$(run_jf "$t" "$stage" "$size" "$fmt" "$work/$file.raw") "
      case $peer in
        "") ;;
        gmic)  # G'MIC reads and writes raw frames through ffmpeg's pipes
          theirs[$name]+="$(seconds sh -c 'ffmpeg -v error -f rawvideo -pix_fmt rgba -s 1920x1080 \
            -i "$0" -frames:v 1 -f image2 -c:v png "$1/f.png" && gmic -v - "$1/f.png" \
            -pixelsort + -o "$1/g.png"' "$work/$file.raw" "$work") "
          ;;
        *) theirs[$name]+="$(run_ffmpeg "$t" "$size" "$fmt" "$work/$file.raw" "$peer") " ;;
      esac
    done
    if [[ -e $filter_dir/jitterforge.so && -n $frei0r_dir ]]; then
      ours[frei0r]+="$(FREI0R_PATH_OVERRIDE=$filter_dir run_ffmpeg "$t" 1920x1080 rgba \
        "$work/hd8.raw" frei0r=jitterforge) "
      theirs[frei0r]+="$(run_ffmpeg "$t" 1920x1080 rgba "$work/hd8.raw" frei0r=glitch0r) "
    fi
  done
  ms() { awk -v us="$1" -v n="$2" 'BEGIN {printf "%.1f", us / n / 1000}'; }
  printf '%-36s %12s %12s %8s\n' "start-up of jitterforge stream" \
    "$(ms "$(printf '%s\n' "${su[@]}" | median)" 1) ms" "-" "-"
  printf '%-36s %12s %12s %8s\n' "start-up of jitterforge about" \
    "$(ms "$(printf '%s\n' "${ab[@]}" | median)" 1) ms" "-" "-"
  for row in "${rows[@]}" "frei0r filter in ffmpeg, defaults|||||frei0r"; do
    IFS='|' read -r name _ _ _ _ peer <<<"$row"
    key=$name
    [[ $peer == frei0r ]] && key=frei0r
    [[ -z ${ours[$key]:-} ]] && { printf '%-36s %12s\n' "$name" "n/a"; continue; }
    a=$(tr ' ' '\n' <<<"${ours[$key]}" | grep . | median)
    f=$frames
    [[ $name == *3840x2160* ]] && f=$uhd_frames
    n=$frames
    [[ $peer == gmic ]] && n=1
    if [[ -n ${theirs[$key]:-} ]]; then
      b=$(tr ' ' '\n' <<<"${theirs[$key]}" | grep . | median)
      printf '%-36s %12s %12s %8s\n' "$name" "$(ms "$a" "$f")" "$(ms "$b" "$n")" \
        "$(awk -v a="$a" -v b="$b" -v n="$n" -v f="$f" 'BEGIN {printf "%.2fx", (a / f) / (b / n)}')"
    else
      printf '%-36s %12s %12s %8s\n' "$name" "$(ms "$a" "$f")" "-" "-"
    fi
  done
  unset ours theirs
done
