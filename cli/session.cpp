// See session.h.
#include "cli/session.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "cli/image_io.h"
#include "cli/platform.h"
#include "cli/text.h"

namespace jf::cli {
namespace {

namespace fs = std::filesystem;

}  // namespace

fs::path ProgramFolder() {
  return platform::ProgramPath().parent_path();
}

std::string ErrorName(PF_Err err) {
  const char* name = nullptr;
  switch (err) {
    case PF_Err_NONE:
      name = "PF_Err_NONE";
      break;
    case PF_Err_OUT_OF_MEMORY:
      name = "PF_Err_OUT_OF_MEMORY";
      break;
    case PF_Err_INTERNAL_STRUCT_DAMAGED:
      name = "PF_Err_INTERNAL_STRUCT_DAMAGED";
      break;
    case PF_Err_INVALID_INDEX:
      name = "PF_Err_INVALID_INDEX";
      break;
    case PF_Err_UNRECOGNIZED_PARAM_TYPE:
      name = "PF_Err_UNRECOGNIZED_PARAM_TYPE";
      break;
    case PF_Err_INVALID_CALLBACK:
      name = "PF_Err_INVALID_CALLBACK";
      break;
    case PF_Err_BAD_CALLBACK_PARAM:
      name = "PF_Err_BAD_CALLBACK_PARAM";
      break;
    case PF_Interrupt_CANCEL:
      name = "PF_Interrupt_CANCEL";
      break;
    case PF_Err_CANNOT_PARSE_KEYFRAME_TEXT:
      name = "PF_Err_CANNOT_PARSE_KEYFRAME_TEXT";
      break;
    default:
      name = "unknown error";
      break;
  }
  return std::string(name) + " (" + std::to_string(err) + ")";
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
