// Host error codes as messages name them.
#pragma once

#include <string>

#include "AE_Effect.h"

namespace jf::headless {

/// The host error code as "NAME (number)".
std::string ErrorName(PF_Err err);

}  // namespace jf::headless
