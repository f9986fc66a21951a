// The suites a host serves by name and version and the SPBasicSuite that hands them out.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "AE_Effect.h"
#include "AE_EffectCB.h"
#include "AE_EffectCBSuites.h"
#include "AE_EffectSuites.h"
#include "AE_GeneralPlug.h"
#include "SPBasic.h"

namespace jf::headless {

/// What AcquireSuite returns for a name and version the host does not serve (the pointer is
/// then null). It is the host's bad-parameter code, the same code an effect reports when it
/// cannot get a suite, so the failure reads the same on both sides.
inline constexpr SPErr kSuiteNotFound = PF_Err_BAD_CALLBACK_PARAM;

/// One host's suite tables by (name, version). Thread-safe.
class SuiteRegistry {
 public:
  /// Serves table for name and version from now on, replacing an earlier one.
  void Register(std::string_view name, int version, const void* table);
  /// Stops serving name and version (tests use it to stand for a host that lacks a suite).
  void Remove(std::string_view name, int version);
  /// The table served for name and version, else null.
  const void* Find(std::string_view name, int version) const;

 private:
  mutable std::mutex m_mutex;
  std::map<std::pair<std::string, int>, const void*> m_tables;
};

/// Registers the host's built-in suites in registry.
void AddStandardSuites(SuiteRegistry& registry);

/// The basic suite every host hands to effects in PF_InData::pica_basicP.
const SPBasicSuite& BasicSuiteTable();

/// Tables shared with the utility callbacks, so both routes run the same operations.
const PF_HandleSuite1& HandleSuiteTable();
const PF_ANSICallbacksSuite1& AnsiSuiteTable();
const PF_WorldSuite1& WorldSuite1Table();
const PF_WorldSuite2& WorldSuite2Table();
const PF_WorldTransformSuite1& WorldTransformSuiteTable();
const PF_FillMatteSuite2& FillMatteSuiteTable();
const PF_Iterate8Suite1& Iterate8SuiteTable();
const PF_Iterate16Suite1& Iterate16SuiteTable();
const PF_IterateFloatSuite1& IterateFloatSuiteTable();
/// The variadic sprintf of the ANSI block.
int AnsiSprintf(A_char* buffer, const A_char* format, ...);

}  // namespace jf::headless
