// See suite_handler.h.
#include "entry/suite_handler.h"

namespace jf {
namespace {

struct SuiteName {
  const char* name;
  int version;
};

// Slot order matches SuiteHandler::Slot.
constexpr SuiteName kSuiteNames[] = {
    {kPFWorldSuite, kPFWorldSuiteVersion2},
    {kPFHandleSuite, kPFHandleSuiteVersion1},
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kPFIterate8Suite, kPFIterate8SuiteVersion1},
    {kPFIterate16Suite, kPFIterate16SuiteVersion1},
    {kPFIterateFloatSuite, kPFIterateFloatSuiteVersion1},
    {kPFWorldTransformSuite, kPFWorldTransformSuiteVersion1},
    {kPFColorParamSuite, kPFColorParamSuiteVersion1},
    {kAEGPWorldSuite, kAEGPWorldSuiteVersion2},
    {kAEGPWorldSuite, kAEGPWorldSuiteVersion3},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion3},
    {kAEGPPFInterfaceSuite, kAEGPPFInterfaceSuiteVersion1},
    {kAEGPStreamSuite, kAEGPStreamSuiteVersion2},
    {kAEGPDynamicStreamSuite, kAEGPDynamicStreamSuiteVersion2},
    {kAEGPEffectSuite, kAEGPEffectSuiteVersion2},
};

[[noreturn]] void ThrowSuiteError() {
  throw static_cast<PF_Err>(PF_Err_BAD_CALLBACK_PARAM);
}

}  // namespace

SuiteHandler::SuiteHandler(SPBasicSuite* basic) : m_basic(basic) {
  if (basic == nullptr) ThrowSuiteError();
}

SuiteHandler::~SuiteHandler() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (m_slots[slot] != nullptr) {
      m_basic->ReleaseSuite(kSuiteNames[slot].name, kSuiteNames[slot].version);
    }
  }
}

const void* SuiteHandler::Acquire(Slot slot) {
  if (m_slots[slot] == nullptr) {
    const void* suite = nullptr;
    const SuiteName& id = kSuiteNames[slot];
    SPErr err = m_basic->AcquireSuite(id.name, id.version, &suite);
    if (err == kSPNoError && suite == nullptr) {
      // The host granted the suite but gave no table: hand the grant back before failing.
      m_basic->ReleaseSuite(id.name, id.version);
    }
    if (err != kSPNoError || suite == nullptr) ThrowSuiteError();
    m_slots[slot] = suite;
  }
  return m_slots[slot];
}

const PF_WorldSuite2* SuiteHandler::WorldSuite() {
  return static_cast<const PF_WorldSuite2*>(Acquire(kWorld));
}
const PF_HandleSuite1* SuiteHandler::HandleSuite() {
  return static_cast<const PF_HandleSuite1*>(Acquire(kHandle));
}
const PF_ANSICallbacksSuite1* SuiteHandler::AnsiSuite() {
  return static_cast<const PF_ANSICallbacksSuite1*>(Acquire(kAnsi));
}
const PF_Iterate8Suite1* SuiteHandler::Iterate8Suite() {
  return static_cast<const PF_Iterate8Suite1*>(Acquire(kIterate8));
}
const PF_Iterate16Suite1* SuiteHandler::Iterate16Suite() {
  return static_cast<const PF_Iterate16Suite1*>(Acquire(kIterate16));
}
const PF_IterateFloatSuite1* SuiteHandler::IterateFloatSuite() {
  return static_cast<const PF_IterateFloatSuite1*>(Acquire(kIterateFloat));
}
const PF_WorldTransformSuite1* SuiteHandler::WorldTransformSuite() {
  return static_cast<const PF_WorldTransformSuite1*>(Acquire(kWorldTransform));
}
const PF_ColorParamSuite1* SuiteHandler::ColorParamSuite() {
  return static_cast<const PF_ColorParamSuite1*>(Acquire(kColorParam));
}
const AEGP_WorldSuite2* SuiteHandler::AegpWorldSuite2() {
  return static_cast<const AEGP_WorldSuite2*>(Acquire(kAegpWorld2));
}
const AEGP_WorldSuite3* SuiteHandler::AegpWorldSuite3() {
  return static_cast<const AEGP_WorldSuite3*>(Acquire(kAegpWorld3));
}
const AEGP_UtilitySuite3* SuiteHandler::UtilitySuite() {
  return static_cast<const AEGP_UtilitySuite3*>(Acquire(kUtility));
}
const AEGP_PFInterfaceSuite1* SuiteHandler::PFInterfaceSuite() {
  return static_cast<const AEGP_PFInterfaceSuite1*>(Acquire(kPFInterface));
}
const AEGP_StreamSuite2* SuiteHandler::StreamSuite() {
  return static_cast<const AEGP_StreamSuite2*>(Acquire(kStream));
}
const AEGP_DynamicStreamSuite2* SuiteHandler::DynamicStreamSuite() {
  return static_cast<const AEGP_DynamicStreamSuite2*>(Acquire(kDynamicStream));
}
const AEGP_EffectSuite2* SuiteHandler::EffectSuite() {
  return static_cast<const AEGP_EffectSuite2*>(Acquire(kEffect));
}

}  // namespace jf
