// `jitterforge render`: one image through the effect.
#pragma once

#include <string>
#include <vector>

#include "cli/session.h"

namespace jf::cli {

struct RenderOptions {
  std::string input;  // empty with sample
  std::string output;
  bool sample = false;
  int depth = 8;
  std::vector<std::string> settings;  // KEY=VALUE
  std::string downsample;             // "N/D" for both axes
  std::string downsampleX;
  std::string downsampleY;
  SessionOptions session;
};

/// Parses "N/D" or "N" into a scale with a positive denominator; throws CliError (status 2).
PF_RationalScale ParseScale(const std::string& text, const std::string& option);

/// Renders input (or the built-in sample) to output; throws CliError on failure.
void RunRender(const RenderOptions& options);

}  // namespace jf::cli
