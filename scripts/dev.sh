#!/usr/bin/env bash
# Set-up, build and the everyday jobs: `dev.sh demo` renders the built-in sample through the
# effect, `dev.sh test` runs the whole test suite, `dev.sh fuzz [SECONDS]` runs each fuzzing
# harness for SECONDS (default 60). Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."

job=${1:-demo}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake ninja-build g++ pkg-config libtbb-dev libopenimageio-dev openimageio-tools ffmpeg melt frei0r-plugins-dev
          libcli11-dev nlohmann-json3-dev clang-format libgtest-dev libgmock-dev libbenchmark-dev
          clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}" >&2
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

build() {  # folder, extra cmake options...
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DJITTERFORGE_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

# The libFuzzer harnesses, built by clang with AddressSanitizer and UndefinedBehaviorSanitizer,
# each run for the given seconds from its checked-in seeds; a crash or a report fails.
fuzz() {  # seconds per harness
  local dir=build/fuzz seconds=$1
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DJITTERFORGE_TESTS=OFF -DJITTERFORGE_FUZZ=ON >/dev/null
  cmake --build "$dir" -j "$jobs" --target fuzzers
  for harness in preset metadata stream pipl render; do
    # New inputs collect beside the build; the checked-in seeds stay as they are.
    mkdir -p "$dir/corpus/$harness"
    local log="$dir/fuzz_$harness.log"
    if ! "$dir/fuzz/fuzz_$harness" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
      -artifact_prefix="$dir/crash-$harness-" "$dir/corpus/$harness" "fuzz/corpus/$harness" \
      >"$log" 2>&1; then
      tail -n 40 "$log" >&2
      echo "fuzz_$harness found a crash: $dir/crash-$harness-*" >&2
      return 1
    fi
    echo "fuzz_$harness: $(grep -o 'number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') runs," \
      "$(grep -o 'cov: [0-9]*' "$log" | tail -n 1), no crash"
  done
}

# The frei0r filter of the sanitizer build inside Debian's ffmpeg and melt: odd frame sizes and
# presets at the ends of every range, with any sanitizer report failing the step.
hosts_under_sanitizers() {
  local dir=build/sanitize
  local preload
  preload="$(g++ -print-file-name=libasan.so) $(g++ -print-file-name=libubsan.so)"
  local run=(env "LD_PRELOAD=$preload" ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
             UBSAN_OPTIONS=halt_on_error=1 "FREI0R_PATH=$dir/frei0r-1")
  local scratch
  scratch=$(mktemp -d)
  for preset in fuzz/hosts/*.json; do
    for size in 1x1 7x3 33x17; do
      "${run[@]}" ffmpeg -v error -f lavfi -i "testsrc=size=$size:rate=25" -frames:v 2 \
        -vf "frei0r=jitterforge:$preset" -f null - 2>"$scratch/err" || { cat "$scratch/err" >&2; return 1; }
      printf 'description=odd\nframe_rate_num=25\nframe_rate_den=1\nwidth=%s\nheight=%s\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\ndisplay_aspect_num=1\ndisplay_aspect_den=1\ncolorspace=709\n' \
        "${size%x*}" "${size#*x}" >"$scratch/profile"
      "${run[@]}" melt -silent -profile "$scratch/profile" color:red out=1 \
        -filter frei0r.jitterforge "preset=$preset" -consumer "avformat:$scratch/out.nut" \
        vcodec=rawvideo pix_fmt=rgba an=1 2>"$scratch/err" \
        || { cat "$scratch/err" >&2; return 1; }
      if grep -E "AddressSanitizer|runtime error" "$scratch/err" >&2; then return 1; fi
    done
  done
  rm -rf "$scratch"
  echo "ffmpeg and melt ran the filter under AddressSanitizer and UndefinedBehaviorSanitizer"
}

case "$job" in
  demo)
    build build/release -DCMAKE_BUILD_TYPE=Release -DJITTERFORGE_TESTS=OFF
    mkdir -p out
    build/release/jitterforge render --sample out/sample.png
    echo "Rendered the built-in sample through the effect: out/sample.png"
    ;;
  test)
    # Formatting first: it takes a second and says exactly what to mend.
    git ls-files '*.cpp' '*.h' ':!sdk/' | xargs clang-format --dry-run -Werror
    build build/release -DCMAKE_BUILD_TYPE=Release -DJITTERFORGE_TESTS=ON
    ctest --test-dir build/release --output-on-failure -j "$jobs"
    # The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build build/sanitize -DCMAKE_BUILD_TYPE=Debug -DJITTERFORGE_TESTS=ON -DJITTERFORGE_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan_suppressions.txt:print_suppressions=0" \
      ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
    hosts_under_sanitizers
    # A short fuzzing run of every harness: long enough to catch what a change breaks.
    fuzz 30
    ;;
  fuzz)
    fuzz "${2:-60}"
    ;;
  *)
    echo "usage: scripts/dev.sh demo|test|fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
