// See param_reader.h.
#include "params/param_reader.h"

#include <cstring>

#include "AE_EffectSuites.h"
#include "entry/suite_handler.h"
#include "render/numeric.h"

namespace jf {
namespace {

/// One parameter checked out into stack memory, as the host requires, and checked in on every
/// path: by CheckIn(), or by the destructor when a thrown suite error leaves the read early.
class CheckedOutParam {
 public:
  CheckedOutParam(PF_InData* in, ParamId id) : m_in(in) {
    std::memset(&m_def, 0, sizeof m_def);
    m_checkoutErr = in->inter.checkout_param(in->effect_ref, ToIndex(id), in->current_time,
                                             in->time_step, in->time_scale, &m_def);
  }
  ~CheckedOutParam() {
    if (!m_checkedIn) CheckIn();
  }
  CheckedOutParam(const CheckedOutParam&) = delete;
  CheckedOutParam& operator=(const CheckedOutParam&) = delete;

  PF_Err CheckoutErr() const { return m_checkoutErr; }
  const PF_ParamDef& Def() const { return m_def; }

  PF_Err CheckIn() {
    m_checkedIn = true;
    return m_in->inter.checkin_param(m_in->effect_ref, &m_def);
  }

 private:
  PF_InData* m_in;
  PF_ParamDef m_def;
  PF_Err m_checkoutErr = PF_Err_NONE;
  bool m_checkedIn = false;
};

/// The common read: check out, convert only what was checked out, check in, report both codes.
/// convert(def, convertErr) may report an error of its own; the value then reads as failed too.
template <typename T, typename Convert>
T Read(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr, T failed, Convert convert) {
  CheckedOutParam param(in, id);
  T value = failed;
  PF_Err readErr = param.CheckoutErr();
  if (readErr == PF_Err_NONE) {
    value = convert(param.Def(), readErr);
    if (readErr != PF_Err_NONE) value = failed;
  }
  const PF_Err inErr = param.CheckIn();
  err = readErr != PF_Err_NONE ? readErr : inErr;
  checkinErr = inErr;
  return value;
}

}  // namespace

bool ReadCheckbox(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, false,
              [](const PF_ParamDef& def, PF_Err&) { return (def.u.bd.value & 0xFF) == 1; });
}

float ReadFloatSlider(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, 0.0f,
              [](const PF_ParamDef& def, PF_Err&) { return static_cast<float>(def.u.fs_d.value); });
}

A_long ReadFloatSliderInt(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, A_long{0},
              [](const PF_ParamDef& def, PF_Err&) { return TruncToLong(def.u.fs_d.value); });
}

float ReadPercent(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, 0.0f, [](const PF_ParamDef& def, PF_Err&) {
    // Integer division: the whole percent, truncated toward zero, before the float.
    return static_cast<float>(def.u.fd.value / 65536);
  });
}

float ReadAngle(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, 0.0f, [](const PF_ParamDef& def, PF_Err&) {
    // 16.16 degrees to radians in double, in this order and with this literal (not the
    // host's PF_RAD_PER_DEGREE, a different double), then one rounding to float.
    const double degrees = static_cast<double>(def.u.ad.value) * (1.0 / 65536);
    return static_cast<float>(degrees * 0.01745329252);
  });
}

A_long ReadPopup(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  return Read(in, id, err, checkinErr, A_long{0},
              [](const PF_ParamDef& def, PF_Err&) { return def.u.pd.value; });
}

PF_PixelFloat ReadColor(PF_InData* in, ParamId id, PF_Err& err, PF_Err& checkinErr) {
  const PF_PixelFloat transparent = {0.0f, 0.0f, 0.0f, 0.0f};
  return Read(in, id, err, checkinErr, transparent,
              [in, transparent](const PF_ParamDef& def, PF_Err& convertErr) {
                // The suite is held only for the conversion and released before the check-in.
                SuiteHandler suites(in->pica_basicP);
                PF_PixelFloat color = transparent;
                convertErr = suites.ColorParamSuite()->PF_GetFloatingPointColorFromColorDef(
                    in->effect_ref, &def, &color);
                return color;
              });
}

}  // namespace jf
