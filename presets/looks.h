// Looks: the curated presets shipped with the program, found by name.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace jf::presets {

/// One shipped look: a preset file and what it says about itself.
struct LookInfo {
  std::string name;  // the file name without ".json"
  std::filesystem::path path;
  std::string description;  // one line
  int depth = 8;            // the depth it is made for
};

/// The folders looks are found in, first match wins: share/jitterforge/looks under the
/// installation prefix, then the source tree's looks/ for programs run from the build tree.
std::vector<std::filesystem::path> LookFolders(const std::filesystem::path& prefix);

/// Every look in folders, sorted by name. Throws PresetError for a look file that cannot be read.
std::vector<LookInfo> ListLooks(const std::vector<std::filesystem::path>& folders);

/// The preset file of the look called name (case matters not). Throws PresetError,
/// suggesting the closest name, when there is no such look.
std::filesystem::path FindLook(const std::string& name,
                               const std::vector<std::filesystem::path>& folders);

/// For a setting that takes a preset file or a look's name: a bare name (no folder, no
/// extension) that is not a file names a look and gives its file; anything else is a path.
std::string PresetOrLook(const std::string& text,
                         const std::vector<std::filesystem::path>& folders);

}  // namespace jf::presets
