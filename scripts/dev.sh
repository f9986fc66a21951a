#!/usr/bin/env bash
# Set-up, build and the everyday jobs: `dev.sh demo` renders the built-in sample through the
# effect, `dev.sh test` runs the whole test suite (Linux, sanitizers, then the Windows build
# under Wine), `dev.sh windows` the Windows part alone. Installs missing Debian packages first.
# Build settings live in CMakePresets.json; this script only picks presets.
set -euo pipefail
cd "$(dirname "$0")/.."

job=${1:-demo}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake ninja-build g++ pkg-config libtbb-dev libopenimageio-dev openimageio-tools ffmpeg melt frei0r-plugins-dev
          libcli11-dev nlohmann-json3-dev clang-format-14 libgtest-dev libgmock-dev libbenchmark-dev python3
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64)
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
    # The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
    build dev -DJITTERFORGE_TESTS=ON
    ASAN_OPTIONS=detect_leaks=1 ctest --preset dev -j "$jobs" --repeat until-pass:2
    windows
    ;;
  windows)
    windows
    ;;
  *)
    echo "usage: scripts/dev.sh demo|test|windows" >&2
    exit 2
    ;;
esac
