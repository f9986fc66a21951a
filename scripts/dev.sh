#!/usr/bin/env bash
# Set-up, build and the two everyday jobs: `dev.sh demo` renders the built-in sample through the
# effect, `dev.sh test` runs the whole test suite. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."

job=${1:-demo}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(cmake ninja-build g++ pkg-config libtbb-dev libopenimageio-dev openimageio-tools ffmpeg melt frei0r-plugins-dev
          libcli11-dev nlohmann-json3-dev clang-format libgtest-dev libgmock-dev libbenchmark-dev)
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
    ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
    ;;
  *)
    echo "usage: scripts/dev.sh demo|test" >&2
    exit 2
    ;;
esac
