#!/usr/bin/env bash
# Compiles every host-interface header on its own (twice, for include guards)
# and all of them together, as C++20 and C11, with warnings as errors.
# AE_GeneralPlugOld.h is the exception: it comes only at the end of AE_GeneralPlug.h, and must
# refuse to be included on its own.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cxx="${CXX:-g++}"
cc="${CC:-gcc}"
flags=(-Wall -Wextra -Werror -I"$root/sdk" -I"$root/sdk/SP" -fsyntax-only)
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
headers=$(cd "$root/sdk" && ls *.h SP/*.h | sed 's|^SP/||' | grep -v '^AE_GeneralPlugOld\.h$')
failed=0
for header in $headers; do
    printf '#include "%s"\n#include "%s"\n' "$header" "$header" > "$work/one.cpp"
    "$cxx" -std=c++20 "${flags[@]}" "$work/one.cpp" || { echo "C++: $header fails alone"; failed=1; }
    "$cc" -std=c11 "${flags[@]}" -x c "$work/one.cpp" || { echo "C: $header fails alone"; failed=1; }
done
printf '#include "AE_GeneralPlugOld.h"\n' > "$work/old.cpp"
if "$cxx" -std=c++20 "${flags[@]}" "$work/old.cpp" 2>/dev/null; then
    echo "C++: AE_GeneralPlugOld.h compiles on its own"; failed=1
fi
for header in $headers; do echo "#include \"$header\""; done > "$work/all.cpp"
"$cxx" -std=c++20 "${flags[@]}" "$work/all.cpp" || { echo "C++: headers fail together"; failed=1; }
"$cxx" -std=c++20 "${flags[@]}" -DPF_DEEP_COLOR_AWARE=1 "$work/all.cpp" \
    || { echo "C++: headers fail with PF_DEEP_COLOR_AWARE"; failed=1; }
exit "$failed"
