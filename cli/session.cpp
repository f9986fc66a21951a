// See session.h.
#include "cli/session.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli/errors.h"
#include "cli/image_io.h"
#include "cli/platform.h"
#include "presets/text.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

}  // namespace

fs::path ProgramFolder() {
  return platform::ProgramPath().parent_path();
}

std::vector<fs::path> LookFolders() {
  const fs::path program = ProgramFolder();
  return presets::LookFolders(program.empty() ? program : program / "..");
}

std::string FindBesideProgram(const std::string& fileName, const std::string& built,
                              const std::string& installed) {
  const fs::path folder = ProgramFolder();
  for (const fs::path& candidate :
       {folder / fileName, folder / ".." / "lib" / "jitterforge" / fileName, fs::path(built),
        fs::path(installed)}) {
    std::error_code ec;
    if (!candidate.empty() && fs::is_regular_file(candidate, ec)) return candidate.string();
  }
  return (folder / fileName).string();
}

std::string FindModule(const std::string& explicitPath) {
  if (!explicitPath.empty()) return explicitPath;
  if (const char* env = std::getenv("JITTERFORGE_MODULE"); env != nullptr && *env != '\0') {
    return env;
  }
  return FindBesideProgram(JF_MODULE_FILE_NAME, JF_DEFAULT_MODULE, JF_INSTALLED_MODULE);
}

Session::Session(const SessionOptions& options) {
  try {
    m_module =
        std::make_unique<headless::Module>(headless::Module::Load(FindModule(options.modulePath)));
  } catch (const headless::ModuleError& e) {
    throw CliError(e.what(), 2);
  }
  // The names go into listings, presets and image metadata, which are UTF-8 text.
  const auto& pipl = m_module->GetPipl();
  for (const auto& [property, text] :
       {std::pair{"name", &pipl.name}, std::pair{"catg", &pipl.category},
        std::pair{"eMNA", &pipl.matchName}}) {
    if (!IsUtf8(*text)) {
      throw CliError(m_module->Path() + ": malformed PiPL: property \"" + property +
                         "\" is not UTF-8 text (" + Quoted(*text) + ")",
                     2);
    }
  }
  m_host = std::make_unique<headless::Host>();
  const int threads = options.threads > 0
                          ? options.threads
                          : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  m_host->SetThreadCount(threads);
  m_instance = std::make_unique<headless::Instance>(*m_host, *m_module);
  if (PF_Err err = m_instance->GlobalSetup(); err != PF_Err_NONE) {
    throw CliError("the effect's global setup failed: " + ErrorName(err), 1);
  }
  m_globalSetUp = true;
  // The effect prints one line per declared parameter; standard output carries data here.
  if (PF_Err err = m_instance->ParamsSetup(headless::StdoutRoute::Discard); err != PF_Err_NONE) {
    m_instance->GlobalSetdown();
    m_globalSetUp = false;
    throw CliError("the effect's parameter setup failed: " + ErrorName(err), 1);
  }
}

Session::~Session() {
  if (m_globalSetUp) m_instance->GlobalSetdown();
}

}  // namespace jf::cli
