#!/usr/bin/env bash
# Set-up, build and the everyday jobs: `dev.sh demo` renders the built-in sample through the
# effect, `dev.sh test` runs the whole test suite (Linux, sanitizers, the filter in ffmpeg and
# melt under sanitizers, a short fuzzing run, then the Windows build under Wine), `dev.sh windows`
# the Windows part alone, `dev.sh fuzz [SECONDS]` each fuzzing harness for SECONDS (default 60).
# Installs missing Debian packages first. Build settings live in CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."

job=${1:-demo}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake ninja-build g++ pkg-config libtbb-dev libopenimageio-dev openimageio-tools ffmpeg melt frei0r-plugins-dev
          libcli11-dev nlohmann-json3-dev clang-format-14 libgtest-dev libgmock-dev libbenchmark-dev python3
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 clang libclang-rt-14-dev
          dpkg-dev file man-db zsh)
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

build() {  # preset, extra cmake options...
  local preset=$1
  shift
  cmake --preset "$preset" "$@" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
}

# The formatting is clang-format 14's: other versions format some constructs differently.
check_format() {
  local format
  format=$(command -v clang-format-14 || command -v clang-format || true)
  if [[ -z $format ]] || ! "$format" --version | grep -q "version 14\."; then
    echo "clang-format 14 is needed (Debian package clang-format-14)" >&2
    exit 1
  fi
  git ls-files '*.cpp' '*.h' ':!sdk/' | xargs "$format" --dry-run -Werror
}

# The Windows module, the headless host's tests and jitterforge.exe, cross-built with mingw-w64
# and run under Wine; then the same frames from the Linux command and jitterforge.exe.
windows() {
  local wine=/usr/lib/wine/wine64 dir=build/windows
  build windows
  export WINEPREFIX=$PWD/$dir/wine-prefix WINEDEBUG=-all
  # Wine makes its prefix on its first start; once, before the tests start it side by side.
  "$wine" cmd /c exit >/dev/null 2>&1 || true
  ctest --preset windows -j "$jobs"
  # The Linux command renders the reference frames.
  [[ -f build/release/CMakeCache.txt ]] || cmake --preset release -DJITTERFORGE_BENCH=OFF >/dev/null
  cmake --build build/release --target jitterforge Jitterforge -j "$jobs"
  bash tests/platforms/stream_frames.sh "$dir/stream-frames" "build/release/jitterforge stream" \
    "$wine $dir/jitterforge.exe stream --module $dir/Jitterforge.aex"
  JF_NO_IMAGE_IO=1 bash tests/platforms/command_refusals.sh "$dir/refusals" "$dir/tests/NoPipl.aex" \
    .aex "$wine" "$dir/jitterforge.exe"
  # The PiPL resource holds the Linux module's .pipl section byte for byte.
  objcopy -O binary --only-section=.pipl build/release/Jitterforge.so "$dir/pipl.elf.bin"
  x86_64-w64-mingw32-objcopy -O binary --only-section=.rsrc "$dir/Jitterforge.aex" "$dir/rsrc.bin"
  python3 - "$dir/pipl.elf.bin" "$dir/rsrc.bin" <<'PY'
import sys
section, resources = (open(p, "rb").read() for p in sys.argv[1:])
if len(section) < 16 or section not in resources:
    sys.exit("the .aex's resources do not hold the Linux module's .pipl section")
print(f"PiPL resource: the {len(section)} bytes of the .pipl section")
PY
  # Source compatibility: the module built against a stand-in for the vendor's SDK is this one.
  bash tests/sdk/vendor_standin.sh "$dir/vendor-sdk" "$dir/Jitterforge.aex" \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake"
  # What a user copies into the host's plug-in folder.
  rm -rf "$dir/install"
  cmake --install "$dir" --prefix "$dir/install/Jitterforge" >/dev/null
  [[ -f $dir/install/Jitterforge/Jitterforge.aex && -f $dir/install/Jitterforge/INSTALL.txt ]]
  echo "Windows: tests passed under Wine; install folder $dir/install/Jitterforge"
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
  local dir=build/dev
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

# The Debian package as a fresh Debian 12 system meets it, without installing it here (no
# dpkg -i: this machine stays as it is). Made from build/release, unpacked with dpkg -x into a
# scratch folder, then used from there: the command, the effect module and looks it finds beside
# itself, the manual page, the bash completion and the frei0r filter in ffmpeg.
debian_package() {
  local dir=build/release scratch deb version
  scratch=$(mktemp -d)
  cmake --build "$dir" -j "$jobs" --target jitterforge jitterforge_frei0r jf_command_docs >/dev/null
  cpack --config "$dir/CPackConfig.cmake" -G DEB -B "$scratch/package" >/dev/null
  deb=$(echo "$scratch"/package/jitterforge_*.deb)
  version=$("$dir/jitterforge" --version)
  version=${version#jitterforge }
  dpkg-deb -I "$deb" >"$scratch/info"
  local field
  for field in "Package: jitterforge" "Version: $version" "Architecture: $(dpkg --print-architecture)" \
    "Maintainer: .+ <.+>" "Depends: .*libc6.*" "Description: .+"; do
    grep -Eqx " $field" "$scratch/info" || { cat "$scratch/info" >&2; echo "no \"$field\" in $deb" >&2; return 1; }
  done
  local root=$scratch/root
  dpkg -x "$deb" "$root"
  local jf=$root/usr/bin/jitterforge
  [[ $("$jf" --version) == "jitterforge $version" ]]
  # The module it loads is the unpacked one: glibc's loader says which file it opened.
  LD_DEBUG=files "$jf" render --sample "$scratch/sample.png" --look vhs-tracking 2>"$scratch/loads"
  grep -q "file=$root/usr/[a-z/.]*/Jitterforge.so " "$scratch/loads" \
    || { echo "the unpacked command did not load the unpacked module" >&2; return 1; }
  [[ -s $scratch/sample.png ]]
  [[ $("$jf" looks | wc -l) -eq $(find "$root/usr/share/jitterforge/looks" -name '*.json' | wc -l) ]]
  MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/jitterforge.1.gz" 2>"$scratch/man-err" \
    | grep "jitterforge render \[OPTIONS\]" >/dev/null
  [[ ! -s $scratch/man-err ]] || { cat "$scratch/man-err" >&2; return 1; }
  bash -c "source '$root/usr/share/bash-completion/completions/jitterforge' && complete -p jitterforge" \
    | grep -- "-F _jitterforge jitterforge" >/dev/null
  [[ -f $root/usr/share/zsh/vendor-completions/_jitterforge ]]
  # The unpacked filter in ffmpeg renders what the unpacked command renders from the same frames.
  ffmpeg -v error -f lavfi -i "testsrc=size=128x72:rate=25" -frames:v 3 -f rawvideo -pix_fmt rgba \
    "$scratch/in.rgba"
  FREI0R_PATH=$root/usr/lib/frei0r-1 LD_DEBUG=files ffmpeg -v error -f rawvideo -pix_fmt rgba \
    -s 128x72 -r 25 -i "$scratch/in.rgba" -vf "frei0r=jitterforge:scanline-tear" -f rawvideo \
    -pix_fmt rgba "$scratch/ffmpeg.rgba" 2>"$scratch/loads"
  grep -q "file=$root/usr/[a-z/.]*frei0r-1/jitterforge.so " "$scratch/loads" \
    && grep -q "file=$root/usr/[a-z/.]*/Jitterforge.so " "$scratch/loads" \
    || { echo "ffmpeg did not load the unpacked filter and module" >&2; return 1; }
  "$jf" stream --size 128x72 --look scanline-tear --quiet <"$scratch/in.rgba" >"$scratch/stream.rgba"
  cmp -s "$scratch/in.rgba" "$scratch/ffmpeg.rgba" && { echo "the filter left the frames alone" >&2; return 1; }
  cmp "$scratch/ffmpeg.rgba" "$scratch/stream.rgba"
  rm -rf "$scratch"
  echo "Debian package: $(basename "$deb") unpacked and used: command, module, looks, man page," \
    "completion, frei0r filter in ffmpeg"
}

case "$job" in
  demo)
    build release -DJITTERFORGE_TESTS=OFF -DJITTERFORGE_BENCH=OFF
    mkdir -p out
    build/release/jitterforge render --sample out/sample.png
    echo "Rendered the built-in sample through the effect: out/sample.png"
    ;;
  test)
    # Formatting first: it takes a second and says exactly what to mend.
    check_format
    build release -DJITTERFORGE_TESTS=ON -DJITTERFORGE_BENCH=OFF
    # melt, driven by the frei0r host tests, now and then writes a clip ffmpeg cannot read when
    # the machine is loaded; a test that fails is run once more before the run fails.
    ctest --preset release -j "$jobs" --repeat until-pass:2
    bash tests/sdk/vendor_standin.sh build/vendor-sdk build/release/Jitterforge.so
    debian_package
    # The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build dev -DJITTERFORGE_TESTS=ON
    ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan_suppressions.txt:print_suppressions=0" \
      ctest --preset dev -j "$jobs" --repeat until-pass:2
    hosts_under_sanitizers
    # A short fuzzing run of every harness: long enough to catch what a change breaks.
    fuzz 30
    windows
    ;;
  windows)
    windows
    ;;
  fuzz)
    fuzz "${2:-60}"
    ;;
  *)
    echo "usage: scripts/dev.sh demo|test|windows|fuzz [SECONDS]" >&2
    exit 2
    ;;
esac
