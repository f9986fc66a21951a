// See transform_matrix.h.
#include "render/transform_matrix.h"

namespace jf {

void Identity(PF_FloatMatrix& m) {
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) m.mat[i][j] = i == j ? 1.0 : 0.0;
  }
}

void PostMultiply(const PF_FloatMatrix& m, PF_FloatMatrix& n) {
  PF_FloatMatrix r;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      r.mat[i][j] =
          n.mat[i][0] * m.mat[0][j] + n.mat[i][1] * m.mat[1][j] + n.mat[i][2] * m.mat[2][j];
    }
  }
  n = r;
}

void PostTranslate(PF_FloatMatrix& n, double tx, double ty) {
  PF_FloatMatrix t;
  Identity(t);
  t.mat[2][0] = tx;
  t.mat[2][1] = ty;
  PostMultiply(t, n);
}

void PostRotateAbout(PF_FloatMatrix& n, double angle, double cx, double cy,
                     const PF_ANSICallbacksSuite1* ansi) {
  if (angle == 0.0) return;
  const double s = ansi->sin(angle);
  const double c = ansi->cos(angle);
  PF_FloatMatrix r;
  r.mat[0][0] = c;
  r.mat[0][1] = s;
  r.mat[0][2] = 0.0;
  r.mat[1][0] = -s;
  r.mat[1][1] = c;
  r.mat[1][2] = 0.0;
  r.mat[2][0] = (1.0 - c) * cx + s * cy;
  r.mat[2][1] = (1.0 - c) * cy - s * cx;
  r.mat[2][2] = 1.0;
  PostMultiply(r, n);
}

}  // namespace jf
