// See looks.h.
#include "cli/looks.h"

#include <algorithm>
#include <map>

#include "cli/errors.h"
#include "cli/preset.h"
#include "cli/session.h"
#include "cli/suggest.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The looks' files by lower-case name, the first folder's where two folders hold one name.
std::map<std::string, fs::path> LookFiles() {
  std::map<std::string, fs::path> files;
  for (const fs::path& folder : LookFolders()) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->path().extension() != ".json") continue;
      files.emplace(Lower(it->path().stem().string()), it->path());
    }
  }
  return files;
}

}  // namespace

std::vector<fs::path> LookFolders() {
  std::vector<fs::path> folders;
  const fs::path program = ProgramFolder();
  if (!program.empty()) folders.push_back(program / ".." / "share" / "jitterforge" / "looks");
  folders.push_back(JF_SOURCE_LOOKS);
  return folders;
}

std::vector<LookInfo> ListLooks() {
  std::vector<LookInfo> looks;
  for (const auto& [name, path] : LookFiles()) {
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

fs::path FindLook(const std::string& name) {
  const auto files = LookFiles();
  if (auto it = files.find(Lower(name)); it != files.end()) return it->second;
  std::vector<std::string> names;
  for (const auto& [key, path] : files) names.push_back(path.stem().string());
  const std::string hint = DidYouMean(name, names);
  throw CliError("no look \"" + name + "\"" + (hint.empty() ? "" : ": " + hint) +
                     " (`jitterforge looks` lists them)",
                 2);
}

}  // namespace jf::cli
