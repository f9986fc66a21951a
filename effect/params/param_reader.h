// Reads of parameter values at the current time, one parameter at a time.
#pragma once

#include "AE_Effect.h"
#include "params/param_table.h"

namespace jf {

// Every read checks the parameter out at in's current time, converts its value and checks it
// in again, also when the checkout failed. It never stops on an error: it writes both codes and
// leaves the decision to the caller. err is the checkout's code if nonzero (for a color, then
// the conversion's), otherwise the check-in's; checkinErr is the check-in's code alone. A failed
// checkout reads as 0, false or transparent black.

/// true exactly when the low byte of the checkbox value is 1.
bool ReadCheckbox(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The slider's value rounded to the nearest float.
float ReadFloatSlider(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The slider's value truncated toward zero; values beyond 32 bits are clamped, NaN reads 0.
A_long ReadFloatSliderInt(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The whole percent, fraction dropped (33.5 % reads 33.0).
float ReadPercent(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The angle in radians.
float ReadAngle(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The 1-based choice, as the host holds it.
A_long ReadPopup(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The host's floating-point form of the color. Throws the suite error when "PF ColorParamSuite"
/// cannot be acquired, after checking the parameter in.
PF_PixelFloat ReadColor(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr);

/// The two ways a stage treats a failed read. StopAtFirstFailure: once a read fails, no later
/// parameter is checked out, each later read gives its kind's zero and the run keeps the failing
/// read's code. KeepLastCode: every parameter is read whatever came before, and the run holds
/// the last read's code, so an earlier failure is passed over.
enum class ReadRule { StopAtFirstFailure, KeepLastCode };

/// A run of reads under one rule; Error() is the code the rule keeps.
template <ReadRule Rule>
class BasicReadRun {
 public:
  explicit BasicReadRun(PF_InData* in) : m_in(in) {}

  bool Checkbox(ParamId id) { return Read(ReadCheckbox, id); }
  float FloatSlider(ParamId id) { return Read(ReadFloatSlider, id); }
  A_long FloatSliderInt(ParamId id) { return Read(ReadFloatSliderInt, id); }
  float Percent(ParamId id) { return Read(ReadPercent, id); }
  float Angle(ParamId id) { return Read(ReadAngle, id); }
  A_long Popup(ParamId id) { return Read(ReadPopup, id); }
  PF_PixelFloat Color(ParamId id) { return Read(ReadColor, id); }

  PF_Err Error() const { return m_err; }

 private:
  template <typename T>
  T Read(T (*read)(PF_InData*, ParamId, PF_Err&, PF_Err&), ParamId id) {
    if (Rule == ReadRule::StopAtFirstFailure && m_err != PF_Err_NONE) return T{};
    PF_Err checkinErr = PF_Err_NONE;
    return read(m_in, id, m_err, checkinErr);
  }

  PF_InData* m_in;
  PF_Err m_err = PF_Err_NONE;
};

/// For stages that end on a read error.
using ReadRun = BasicReadRun<ReadRule::StopAtFirstFailure>;
/// For stages that render whatever their reads returned and report the last read.
using ReadRunKeepingLast = BasicReadRun<ReadRule::KeepLastCode>;

}  // namespace jf
