// A minimal stand-in host for the parameter tests: it records add_param definitions (and can
// refuse one), serves one definition to checkout_param, counts check-ins and serves
// "PF ColorParamSuite".
#pragma once

#include <cstring>
#include <vector>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectSuites.h"
#include "SPBasic.h"

namespace jf::testing {

class FakeHost {
 public:
  FakeHost() {
    m_utils.ansi.strcpy = [](A_char* dst, const A_char* src) { return std::strcpy(dst, src); };
    m_basic.AcquireSuite = &AcquireSuite;
    m_basic.ReleaseSuite = &ReleaseSuite;
    m_colorSuite.PF_GetFloatingPointColorFromColorDef = &ColorFromDef;
    in.inter.add_param = &AddParam;
    in.inter.checkout_param = &Checkout;
    in.inter.checkin_param = &Checkin;
    in.utils = &m_utils;
    in.pica_basicP = &m_basic;
    in.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
    in.current_time = 7;
    in.time_step = 2;
    in.time_scale = 30;
    m_globalBlock = global;
    out.global_data = &m_globalBlock;
    s_current = this;
  }
  ~FakeHost() { s_current = nullptr; }
  FakeHost(const FakeHost&) = delete;
  FakeHost& operator=(const FakeHost&) = delete;

  PF_InData in{};
  PF_OutData out{};
  char global[8] = {};  // the GlobalData block

  // add_param
  std::vector<PF_ParamDef> declared;
  int addParamCalls = 0;
  int failAddParamAt = 0;  // 1-based call that fails; 0 never
  PF_Err addParamErr = PF_Err_INTERNAL_STRUCT_DAMAGED;

  // checkout_param / checkin_param
  PF_ParamDef served{};
  PF_Err checkoutErr = PF_Err_NONE;
  PF_Err checkinErr = PF_Err_NONE;
  int checkouts = 0;
  int checkins = 0;
  A_long checkedOutIndex = -1;
  A_long checkoutTime[3] = {};

  // "PF ColorParamSuite"
  bool colorSuiteAvailable = true;
  PF_PixelFloat color = {1.0f, 0.5f, 0.25f, 0.0f};
  PF_Err colorErr = PF_Err_NONE;
  int suitesAcquired = 0;
  int suitesReleased = 0;

  /// The value checkout_param serves, written into the fields of every kind that holds one.
  void ServeFloat(double v) { served.u.fs_d.value = v; }
  void ServeFixed(PF_Fixed v) {
    served.u.fd.value = v;
    served.u.ad.value = v;
  }
  void ServeLong(A_long v) {
    served.u.bd.value = v;
    served.u.pd.value = v;
  }

 private:
  static FakeHost* Self(PF_ProgPtr ref) { return reinterpret_cast<FakeHost*>(ref); }

  static PF_Err AddParam(PF_ProgPtr ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    FakeHost* self = Self(ref);
    if (index != -1) return PF_Err_INVALID_INDEX;
    if (++self->addParamCalls == self->failAddParamAt) return self->addParamErr;
    self->declared.push_back(*def);
    return PF_Err_NONE;
  }
  static PF_Err Checkout(PF_ProgPtr ref, PF_ParamIndex index, A_long time, A_long step,
                         A_u_long scale, PF_ParamDef* def) {
    FakeHost* self = Self(ref);
    ++self->checkouts;
    self->checkedOutIndex = index;
    self->checkoutTime[0] = time;
    self->checkoutTime[1] = step;
    self->checkoutTime[2] = static_cast<A_long>(scale);
    // Even a refused checkout leaves a value behind, so a read that used it would show.
    *def = self->served;
    return self->checkoutErr;
  }
  static PF_Err Checkin(PF_ProgPtr ref, PF_ParamDef* def) {
    FakeHost* self = Self(ref);
    ++self->checkins;
    return def != nullptr ? self->checkinErr : PF_Err_BAD_CALLBACK_PARAM;
  }
  static SPErr AcquireSuite(const char* name, int version, const void** suite) {
    if (std::strcmp(name, kPFColorParamSuite) != 0 || version != kPFColorParamSuiteVersion1 ||
        !s_current->colorSuiteAvailable) {
      return 1;
    }
    ++s_current->suitesAcquired;
    *suite = &s_current->m_colorSuite;
    return kSPNoError;
  }
  static SPErr ReleaseSuite(const char*, int) {
    ++s_current->suitesReleased;
    return kSPNoError;
  }
  static PF_Err ColorFromDef(PF_ProgPtr ref, const PF_ParamDef*, PF_PixelFloat* color) {
    FakeHost* self = Self(ref);
    if (self->colorErr != PF_Err_NONE) return self->colorErr;
    *color = self->color;
    return PF_Err_NONE;
  }

  // The basic suite's functions carry no context, so they find the host here.
  static inline FakeHost* s_current = nullptr;

  PF_UtilCallbacks m_utils{};
  SPBasicSuite m_basic{};
  PF_ColorParamSuite1 m_colorSuite{};
  void* m_globalBlock = nullptr;
};

}  // namespace jf::testing
