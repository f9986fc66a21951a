// Per-command holder of the host's named function suites.
#pragma once

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"

namespace jf {

/// Acquires each known suite on first use, by its fixed name and version, and releases every
/// acquired suite when it goes out of scope. A missing basic suite or a suite the host cannot
/// supply throws the host error code PF_Err_BAD_CALLBACK_PARAM (the only value the effect throws).
class SuiteHandler {
 public:
  explicit SuiteHandler(SPBasicSuite* basic);
  ~SuiteHandler();
  SuiteHandler(const SuiteHandler&) = delete;
  SuiteHandler& operator=(const SuiteHandler&) = delete;

  /// The host's basic suite, for the few places that acquire a suite directly.
  SPBasicSuite* BasicSuite() const { return m_basic; }

  const PF_WorldSuite2* WorldSuite();
  const PF_HandleSuite1* HandleSuite();
  const PF_ANSICallbacksSuite1* AnsiSuite();
  const PF_Iterate8Suite1* Iterate8Suite();
  const PF_Iterate16Suite1* Iterate16Suite();
  const PF_IterateFloatSuite1* IterateFloatSuite();
  const PF_WorldTransformSuite1* WorldTransformSuite();
  const PF_ColorParamSuite1* ColorParamSuite();
  const AEGP_WorldSuite2* AegpWorldSuite2();
  const AEGP_WorldSuite3* AegpWorldSuite3();
  const AEGP_UtilitySuite3* UtilitySuite();
  const AEGP_PFInterfaceSuite1* PFInterfaceSuite();
  const AEGP_StreamSuite2* StreamSuite();
  const AEGP_DynamicStreamSuite2* DynamicStreamSuite();
  const AEGP_EffectSuite2* EffectSuite();

 private:
  enum Slot : int {
    kWorld,
    kHandle,
    kAnsi,
    kIterate8,
    kIterate16,
    kIterateFloat,
    kWorldTransform,
    kColorParam,
    kAegpWorld2,
    kAegpWorld3,
    kUtility,
    kPFInterface,
    kStream,
    kDynamicStream,
    kEffect,
    kSlotCount
  };
  const void* Acquire(Slot slot);

  SPBasicSuite* m_basic;
  const void* m_slots[kSlotCount] = {};
};

}  // namespace jf
