// The command's one error type: a message for one line and the exit status it deserves.
#pragma once

#include <stdexcept>
#include <string>

#include "presets/errors.h"

namespace jf::cli {

// The command works in the presets library's terms (presets, rates, parameter names, quoting)
// throughout; its PresetError is an input error, exit status 2.
using namespace jf::presets;

/// An error to report as one line, with the exit status it deserves (2 usage or input, 1 render).
struct CliError : std::runtime_error {
  CliError(const std::string& message, int status) : std::runtime_error(message), status(status) {}
  int status;
};

}  // namespace jf::cli
