// Parameter definitions as an effect hands them to add_param, for tests that fill a store or
// declare from a stand-in effect.
#pragma once

#include <cstring>

#include "AE_Effect.h"

namespace jf {

/// A definition of type named name, everything else zero.
inline PF_ParamDef Def(PF_ParamType type, const char* name) {
  PF_ParamDef d{};
  d.param_type = type;
  std::strncpy(d.name, name, sizeof d.name - 1);
  return d;
}

}  // namespace jf
