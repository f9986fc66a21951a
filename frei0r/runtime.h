// What every instance of the filter in a process shares: the loaded effect module, one host
// (so one thread pool sized to the machine, however many instances render at once) and the
// parameter list.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frei0r/catalog.h"
#include "headless/instance.h"
#include "headless/module.h"

namespace jf::frei0r {

/// The module and the host its instances run in.
struct Runtime {
  explicit Runtime(const std::string& modulePath) : module(headless::Module::Load(modulePath)) {}
  headless::Module module;
  headless::Host host;
};

/// Where the effect module is: $JITTERFORGE_MODULE, else ../jitterforge/Jitterforge.so from the
/// folder this filter was loaded from (the installed layout), else the build tree's module.
std::string FindEffectModule();

/// The installation prefix this filter was loaded from (lib/frei0r-1/..), where shared data
/// such as the looks sits; empty when the system cannot say.
std::filesystem::path FilterPrefix();

/// The process's runtime, made when first wanted and released with its last holder, so nothing
/// of it outlives the instances; null with *error set when the module cannot be loaded.
std::shared_ptr<Runtime> AcquireRuntime(std::string* error);

/// Runs global setup, then parameter setup with the module's standard output thrown away, which
/// the host may be using for data. Setups are serialised: the switch of standard output is
/// process-wide. Returns "" or one line saying what failed.
std::string SetUp(headless::Instance& instance);

/// Learns the parameter list from a throwaway instance, once per process; later calls return
/// at once. Returns "" or the reason it could not.
std::string LoadCatalog();

/// The parameter list: the preset alone until LoadCatalog has succeeded. Never changes after.
const std::vector<CatalogEntry>& Catalog();

}  // namespace jf::frei0r
