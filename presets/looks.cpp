// See looks.h.
#include "presets/looks.h"

#include <algorithm>
#include <map>

#include "presets/errors.h"
#include "presets/preset.h"
#include "presets/suggest.h"

namespace jf::presets {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The looks' files by lower-case name, the first folder's where two folders hold one name.
std::map<std::string, fs::path> LookFiles(const std::vector<fs::path>& folders) {
  std::map<std::string, fs::path> files;
  for (const fs::path& folder : folders) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->path().extension() != ".json") continue;
      files.emplace(Lower(it->path().stem().string()), it->path());
    }
  }
  return files;
}

}  // namespace

std::vector<fs::path> LookFolders(const fs::path& prefix) {
  std::vector<fs::path> folders;
  if (!prefix.empty()) folders.push_back(prefix / "share" / "jitterforge" / "looks");
  folders.push_back(JF_SOURCE_LOOKS);
  return folders;
}

std::vector<LookInfo> ListLooks(const std::vector<fs::path>& folders) {
  std::vector<LookInfo> looks;
  for (const auto& [name, path] : LookFiles(folders)) {
    const Preset preset = LoadPreset(path.string());
    LookInfo info;
    info.name = path.stem().string();
    info.path = path;
    const auto& doc = preset.document;
    if (doc.contains("description") && doc["description"].is_string()) {
      info.description = doc["description"].get<std::string>();
    }
    if (doc.contains("depth") && doc["depth"].is_number_integer()) {
      info.depth = doc["depth"].get<int>();
    }
    looks.push_back(info);
  }
  return looks;
}

fs::path FindLook(const std::string& name, const std::vector<fs::path>& folders) {
  const auto files = LookFiles(folders);
  if (auto it = files.find(Lower(name)); it != files.end()) return it->second;
  std::vector<std::string> names;
  for (const auto& [key, path] : files) names.push_back(path.stem().string());
  const std::string hint = DidYouMean(name, names);
  throw PresetError("no look \"" + name + "\"" + (hint.empty() ? "" : ": " + hint) +
                    " (`jitterforge looks` lists them)");
}

std::string PresetOrLook(const std::string& text, const std::vector<fs::path>& folders) {
  const fs::path path(text);
  std::error_code ec;
  if (text.empty() || path.has_parent_path() || path.has_extension() || fs::exists(path, ec)) {
    return text;
  }
  return FindLook(text, folders).string();
}

}  // namespace jf::presets
