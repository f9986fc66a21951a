#!/usr/bin/env bash
# Builds the module against a stand-in for the vendor's effect SDK and checks that its bytes are
# those of the module built against sdk/:
#   vendor_standin.sh WORK_FOLDER REFERENCE_MODULE [CMAKE_OPTION...]
# The stand-in is made from sdk/ in the vendor's folder layout (Examples/Headers,
# Examples/Headers/SP, Examples/Util), with the ways the vendor's headers are known to differ:
# - AEConfig.h sets the platform macros from the compiler's own (Windows and macOS only), and
#   nothing else includes it; Util/entry.h defines DllExport only under those macros;
# - AE_GeneralPlugOld.h has no include guard and no check: a second inclusion redefines it;
# - the headers warn about themselves, so only SYSTEM include folders keep a -Werror build going.
# What it cannot show: anything of the real files beyond those points.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
work=$1
reference=$2
shift 2

standin=$work/sdk
headers=$standin/Examples/Headers
rm -rf "$standin"
mkdir -p "$headers/SP" "$standin/Examples/Util"
for header in "$root"/sdk/*.h; do
  [[ $(basename "$header") == entry.h ]] || cp "$header" "$headers/"
done
cp "$root"/sdk/SP/*.h "$headers/SP/"

cat >"$headers/AEConfig.h" <<'H'
#ifndef _H_AEConfig
#define _H_AEConfig
#if defined(_WIN32)
    #define AE_OS_WIN
#elif defined(__APPLE__)
    #define AE_OS_MAC
#endif
#if defined(__x86_64__) || defined(_M_X64)
    #define AE_PROC_INTELx64
#endif
#endif
H
cat >"$standin/Examples/Util/entry.h" <<'H'
#ifndef _H_entry
#define _H_entry
#ifdef AE_OS_WIN
    #define DllExport __declspec(dllexport)
#elif defined(AE_OS_MAC)
    #define DllExport __attribute__((visibility("default")))
#endif
#endif
H
# No guard and no check in the old suites' header.
python3 - "$headers/AE_GeneralPlugOld.h" <<'PY'
import re, sys
path = sys.argv[1]
text = open(path).read()
text, n = re.subn(r"#ifndef _H_AE_GeneralPlug\n#error [^\n]*\n#endif\n", "", text)
if n != 1:
    sys.exit("AE_GeneralPlugOld.h: the inclusion check was not found")
open(path, "w").write(text)
PY
# A header that warns about itself under -Wall -Wextra (inside its include guard).
python3 - "$headers/A.h" <<'PY'
import sys
path = sys.argv[1]
text = open(path).read()
at = text.rindex("#endif")
helper = "static int A_StandinHelper(int unused_argument) { int unused_local; return 0; }\n"
open(path, "w").write(text[:at] + helper + text[at:])
PY

cmake -S "$root" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DJITTERFORGE_WERROR=ON \
  -DJITTERFORGE_TESTS=OFF -DJITTERFORGE_CLI=OFF -DJITTERFORGE_VENDOR_SDK="$headers" "$@" >/dev/null
cmake --build "$work/build" --target Jitterforge >"$work/build.log" 2>&1 || {
  cat "$work/build.log" >&2
  echo "vendor SDK stand-in: the module does not build against it" >&2
  exit 1
}
module=$(find "$work/build" -maxdepth 1 -name "Jitterforge.*" -newer "$headers/A.h" | head -n 1)
if ! cmp -s "$module" "$reference"; then
  echo "vendor SDK stand-in: $module differs from $reference" >&2
  exit 1
fi
echo "vendor SDK stand-in: $module equals $reference byte for byte"
