// How a frei0r value reaches one of the effect's parameters and back. frei0r hosts offer doubles
// that are nominally 0 to 1; every numeric parameter maps that span linearly onto the range its
// slider shows, and values beyond it carry on along the same line up to the range the parameter
// accepts. This is the one place that mapping is defined.
#pragma once

#include "AE_Effect.h"

namespace jf::frei0r {

/// What a parameter is to a frei0r host.
enum class ValueKind { None, Bool, Double, Color };

/// The kind a definition is offered as: checkboxes bool; sliders, percent sliders, angles and
/// popups double; colours colour; everything else (groups, layers, points) not at all.
ValueKind KindOf(const PF_ParamDef& def);

/// The line from frei0r values to a numeric parameter's display units.
struct ValueScale {
  double at0 = 0;      ///< display value of frei0r 0
  double at1 = 1;      ///< display value of frei0r 1
  double lo = 0;       ///< smallest display value the parameter takes
  double hi = 1;       ///< largest
  bool whole = false;  ///< rounded to a whole number (popups, checkboxes, integer sliders)
};

/// The scale of a numeric parameter: float, integer and percent sliders map 0..1 to their
/// slider range and accept their valid range; angles map 0..1 to 0..360 degrees; popups map 0..1
/// to the first..last choice; checkboxes are off below 0.5 and on from it.
ValueScale ScaleOf(const PF_ParamDef& def);

/// A frei0r value in display units (what ParamStore::SetNumber takes): along the line, clamped
/// into [lo, hi], rounded when whole. Not finite in, NaN out.
double ToDisplay(const ValueScale& scale, double value);

/// A display value as the frei0r value that gives it.
double ToFrei0r(const ValueScale& scale, double display);

/// The current value of a numeric definition in display units.
double DisplayValue(const PF_ParamDef& def);

/// A frei0r colour channel (0..1, clamped; NaN gives 0) as an 8-bit channel, and back.
A_u_char ToChannel(float value);
float FromChannel(A_u_char channel);

}  // namespace jf::frei0r
