// The command's one error type: a message for one line and the exit status it deserves.
#pragma once

#include <stdexcept>
#include <string>

namespace jf::cli {

/// An error to report as one line, with the exit status it deserves (2 usage or input, 1 render).
struct CliError : std::runtime_error {
  CliError(const std::string& message, int status) : std::runtime_error(message), status(status) {}
  int status;
};

}  // namespace jf::cli
