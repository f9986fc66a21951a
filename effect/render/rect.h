// Rectangle helpers over the host's left, top, right, bottom layout.
#pragma once

#include "AE_Effect.h"

namespace jf {

inline PF_LRect MakeRect(A_long left, A_long top, A_long right, A_long bottom) {
  return PF_LRect{left, top, right, bottom};
}

/// Empty when it covers no pixel.
inline bool IsEmpty(const PF_LRect& r) {
  return r.left >= r.right || r.top >= r.bottom;
}

/// An empty destination becomes a copy of the source (even an empty one); an empty source leaves
/// the destination alone; otherwise the destination grows to the bounding box of both.
inline void UnionInto(const PF_LRect& src, PF_LRect& dst) {
  if (IsEmpty(dst)) {
    dst = src;
  } else if (!IsEmpty(src)) {
    if (src.left < dst.left) dst.left = src.left;
    if (src.top < dst.top) dst.top = src.top;
    if (src.right > dst.right) dst.right = src.right;
    if (src.bottom > dst.bottom) dst.bottom = src.bottom;
  }
}

/// True strictly inside: points on any edge are outside.
inline bool InsideStrict(const PF_LRect& r, A_long x, A_long y) {
  return r.left < x && x < r.right && r.top < y && y < r.bottom;
}

/// Left and top edges inside, right and bottom outside.
inline bool Contains(const PF_LRect& r, A_long x, A_long y) {
  return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

}  // namespace jf
