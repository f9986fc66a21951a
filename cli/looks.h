// Looks: the curated presets shipped with the program, found by name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace jf::cli {

/// One shipped look: a preset file and what it says about itself.
struct LookInfo {
  std::string name;  // the file name without ".json"
  std::filesystem::path path;
  std::string description;  // one line
  int depth = 8;            // the depth it is made for
};

/// The folders looks are found in, first match wins: share/jitterforge/looks beside the
/// installed program, then the source tree's looks/ for a program run from its build tree.
std::vector<std::filesystem::path> LookFolders();

/// Every look, sorted by name. Throws CliError (status 2) for a look file that cannot be read.
std::vector<LookInfo> ListLooks();

/// The preset file of the look called name (case matters not). Throws CliError (status 2),
/// suggesting the closest name, when there is no such look.
std::filesystem::path FindLook(const std::string& name);

}  // namespace jf::cli
