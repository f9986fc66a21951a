// See string_table.h.
#include "params/string_table.h"

namespace jf {
namespace {

constexpr bool IdsArePositions() {
  for (StrId i = 0; i < kStringCount; ++i) {
    if (kStringTable[i].id != i) return false;
  }
  return true;
}
static_assert(IdsArePositions(), "every string entry's id equals its position");

}  // namespace

const char* LookUpString(StrId id) {
  // An id from outside the table would read past its end; hand back the empty text instead.
  if (id >= kStringCount) return kStringTable[0].text;
  return kStringTable[id].text;
}

}  // namespace jf
