#!/usr/bin/env bash
# The same frames from two builds of the command: renders every preset in presets/ at 8, 16 and
# 32 bits through `jitterforge stream` with each command given, and fails unless their output
# bytes are identical (and differ from the input, so an effect that did nothing cannot pass).
#   stream_frames.sh WORK_FOLDER REFERENCE_COMMAND OTHER_COMMAND
# A command is the stream command line up to its options, quoted as one argument:
#   "build/release/jitterforge stream" "wine64 jitterforge.exe stream --module Jitterforge.aex"
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work=$1
reference=$2
other=$3
mkdir -p "$work"

width=96
height=64
frames=3
# Input frames with something in every channel, different on every frame.
python3 - "$work" "$width" "$height" "$frames" <<'PY'
import struct, sys
work, w, h, n = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
def channels(f, x, y):
    r = (x * 7 + f * 13) % 97 / 96
    g = (y * 5 + f * 3) % 61 / 60
    b = (x + y + f) % 23 / 22
    a = 0.5 if (x // 3 + y // 5 + f) % 4 == 0 else 1.0
    return r, g, b, a
with open(f"{work}/in.rgba", "wb") as o8, open(f"{work}/in.rgba64le", "wb") as o16, \
     open(f"{work}/in.gbrapf32le", "wb") as o32:
    for f in range(n):
        planes = [[], [], [], []]
        for y in range(h):
            for x in range(w):
                r, g, b, a = channels(f, x, y)
                o8.write(bytes(int(v * 255) for v in (r, g, b, a)))
                o16.write(struct.pack("<4H", *(int(v * 65535) for v in (r, g, b, a))))
                for p, v in zip(planes, (g, b, r, a)):
                    p.append(v)
        for p in planes:
            o32.write(struct.pack(f"<{len(p)}f", *p))
PY

failed=0
cases=0
for preset in "$here"/presets/*.json; do
  name=$(basename "$preset" .json)
  for format in rgba rgba64le gbrapf32le; do
    input="$work/in.$format"
    for side in reference other; do
      command=${!side}
      # shellcheck disable=SC2086  # a command line is split into its words on purpose
      $command --size "${width}x${height}" --pix-fmt "$format" --preset "$preset" \
        --threads 2 <"$input" >"$work/$name.$format.$side" 2>"$work/$name.$format.$side.err" || {
        echo "FAILED to render: $side $name $format: $(head -c 300 "$work/$name.$format.$side.err")"
        failed=1
      }
    done
    cases=$((cases + 1))
    if ! cmp -s "$work/$name.$format.reference" "$work/$name.$format.other"; then
      echo "DIFFERENT: $name at $format"
      failed=1
    elif cmp -s "$input" "$work/$name.$format.reference"; then
      echo "UNCHANGED: $name at $format left the frames as they were"
      failed=1
    fi
  done
done
if ((failed)); then
  echo "stream frames: differences in $work" >&2
  exit 1
fi
echo "stream frames: $cases renders of $frames frames identical"
