// See value_map.h.
#include "frei0r/value_map.h"

#include <algorithm>
#include <cmath>

namespace jf::frei0r {
namespace {

double FromFixed(PF_Fixed v) {
  return v / 65536.0;
}

// Angles hold 16.16 fixed point, so this many degrees either way.
constexpr double kAngleLimit = 32767.0;

}  // namespace

ValueKind KindOf(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_CHECKBOX:
      return ValueKind::Bool;
    case PF_Param_FLOAT_SLIDER:
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE:
    case PF_Param_POPUP:
      return ValueKind::Double;
    case PF_Param_COLOR:
      return ValueKind::Color;
    default:
      return ValueKind::None;
  }
}

ValueScale ScaleOf(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_FLOAT_SLIDER: {
      const PF_FloatSliderDef& d = def.u.fs_d;
      return {d.slider_min, d.slider_max, d.valid_min, d.valid_max, false};
    }
    case PF_Param_SLIDER: {
      const PF_SliderDef& d = def.u.sd;
      return {static_cast<double>(d.slider_min), static_cast<double>(d.slider_max),
              static_cast<double>(d.valid_min), static_cast<double>(d.valid_max), true};
    }
    case PF_Param_FIX_SLIDER: {
      const PF_FixedSliderDef& d = def.u.fd;
      return {FromFixed(d.slider_min), FromFixed(d.slider_max), FromFixed(d.valid_min),
              FromFixed(d.valid_max), false};
    }
    case PF_Param_ANGLE:
      return {0, 360, -kAngleLimit, kAngleLimit, false};
    case PF_Param_POPUP: {
      const double last = std::max<double>(1, def.u.pd.num_choices);
      return {1, last, 1, last, true};
    }
    case PF_Param_CHECKBOX:
    default:
      return {0, 1, 0, 1, true};
  }
}

double ToDisplay(const ValueScale& scale, double value) {
  if (!std::isfinite(value)) return NAN;
  double display = scale.at0 + value * (scale.at1 - scale.at0);
  // Past 0..1 the line runs on, but never beyond what the parameter accepts.
  display = std::clamp(display, std::min(scale.lo, scale.hi), std::max(scale.lo, scale.hi));
  return scale.whole ? std::round(display) : display;
}

double ToFrei0r(const ValueScale& scale, double display) {
  const double span = scale.at1 - scale.at0;
  return span == 0 ? 0 : (display - scale.at0) / span;
}

double DisplayValue(const PF_ParamDef& def) {
  switch (def.param_type) {
    case PF_Param_FLOAT_SLIDER:
      return def.u.fs_d.value;
    case PF_Param_SLIDER:
      return def.u.sd.value;
    case PF_Param_FIX_SLIDER:
      return FromFixed(def.u.fd.value);
    case PF_Param_ANGLE:
      return FromFixed(def.u.ad.value);
    case PF_Param_POPUP:
      return def.u.pd.value;
    case PF_Param_CHECKBOX:
      return def.u.bd.value != 0 ? 1 : 0;
    default:
      return 0;
  }
}

A_u_char ToChannel(float value) {
  if (!(value > 0)) return 0;  // NaN too
  return static_cast<A_u_char>(std::lround(std::min(value, 1.0f) * 255.0f));
}

float FromChannel(A_u_char channel) {
  return channel / 255.0f;
}

}  // namespace jf::frei0r
