// One loaded effect ready to render: the module, a host, and an instance with its parameters
// declared.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "cli/errors.h"
#include "headless/error_name.h"
#include "headless/instance.h"
#include "headless/module.h"
#include "presets/looks.h"

namespace jf::cli {

using headless::ErrorName;

/// The looks' folders for the prefix the running program is installed under (its folder's
/// parent).
std::vector<std::filesystem::path> LookFolders();

/// The folder of the running program; empty when the system cannot say.
std::filesystem::path ProgramFolder();

/// A file that comes with the program: beside it (build tree), else in lib/jitterforge/ beside
/// the program's folder (an install moved elsewhere), else at built, else at installed; the
/// place beside the program when none of them is a file.
std::string FindBesideProgram(const std::string& fileName, const std::string& built,
                              const std::string& installed);

/// Where the effect module is: --module, else $JITTERFORGE_MODULE, else as FindBesideProgram.
std::string FindModule(const std::string& explicitPath);

struct SessionOptions {
  std::string modulePath;
  int threads = 0;  // 0: one per core
};

class Session {
 public:
  /// Loads the module and runs global setup and parameter setup, keeping standard output clean.
  /// Throws CliError: status 2 for a module that cannot be loaded, 1 when a command fails.
  explicit Session(const SessionOptions& options);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  headless::Host& GetHost() { return *m_host; }
  headless::Instance& GetInstance() { return *m_instance; }
  headless::ParamStore& Params() { return m_instance->Params(); }
  const headless::Module& GetModule() const { return *m_module; }

 private:
  std::unique_ptr<headless::Module> m_module;
  std::unique_ptr<headless::Host> m_host;
  std::unique_ptr<headless::Instance> m_instance;
  bool m_globalSetUp = false;
};

}  // namespace jf::cli
