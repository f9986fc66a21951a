// `jitterforge params` for people: every parameter with its value at a moment, its unit, its
// keys or schedule and what it does; and the same data as the Markdown reference in docs/.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "headless/params.h"

namespace jf::cli {

/// What a listing shows besides the definitions.
struct ListingMoment {
  double seconds = 0;                              // values are evaluated here
  std::string label;                               // "frame 0 (0 s at 25 fps)"
  const std::vector<bool>* hidden = nullptr;       // by index; null: not marked
  std::map<PF_ParamIndex, std::string> schedules;  // by index: the schedule as written
};

/// The listing for a terminal: a header line, then per parameter one line of index, path, kind,
/// value (popups by name, numbers with their unit), default and range, its keyframes or
/// schedule, and an indented line saying what it does.
std::string ParamsListing(const headless::ParamStore& store, const std::vector<std::string>& paths,
                          const ListingMoment& moment);

/// The parameter reference as Markdown: one table per stage of every parameter's kind, default,
/// range, unit and description, at the defaults the store holds.
std::string ParamsMarkdown(const headless::ParamStore& store,
                           const std::vector<std::string>& paths);

}  // namespace jf::cli
