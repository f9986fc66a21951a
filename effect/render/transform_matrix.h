// 3×3 matrices of doubles applied to row vectors (x, y, 1), in the host's matrix layout.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCBSuites.h"

namespace jf {

void Identity(PF_FloatMatrix& m);
/// n := n · m.
void PostMultiply(const PF_FloatMatrix& m, PF_FloatMatrix& n);
/// n := n · T, with T the identity but for its last row (tx, ty, 1).
void PostTranslate(PF_FloatMatrix& n, double tx, double ty);
/// n := n · R, R the rotation by angle radians about (cx, cy), with sine and cosine from the
/// host's ANSI suite (sine first). An angle of 0 leaves n untouched, bit for bit.
void PostRotateAbout(PF_FloatMatrix& n, double angle, double cx, double cy,
                     const PF_ANSICallbacksSuite1* ansi);

}  // namespace jf
