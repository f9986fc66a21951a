// See runtime.h.
#include "frei0r/runtime.h"

#include <dlfcn.h>
#include "frei0r/frei0r_api.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>

#include "headless/error_name.h"

namespace jf::frei0r {
namespace {

namespace fs = std::filesystem;

std::mutex g_runtimeMutex;
std::weak_ptr<Runtime> g_runtime;

std::mutex g_setupMutex;

std::mutex g_catalogMutex;
std::vector<CatalogEntry> g_catalog;
std::atomic<bool> g_catalogLoaded{false};

fs::path FilterFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&FindEffectModule), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  std::error_code ec;
  const fs::path self = fs::canonical(info.dli_fname, ec);
  return ec ? fs::path() : self.parent_path();
}

}  // namespace

fs::path FilterPrefix() {
  const fs::path folder = FilterFolder();
  return folder.empty() ? folder : (folder / ".." / "..").lexically_normal();
}

std::string FindEffectModule() {
  if (const char* env = std::getenv("JITTERFORGE_MODULE"); env != nullptr && *env != '\0') {
    return env;
  }
  const fs::path installed = FilterFolder() / ".." / "jitterforge" / "Jitterforge.so";
  for (const fs::path& candidate : {installed, fs::path(JF_BUILD_MODULE)}) {
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
  }
  return installed.lexically_normal().string();
}

std::shared_ptr<Runtime> AcquireRuntime(std::string* error) {
  std::lock_guard lock(g_runtimeMutex);
  if (auto runtime = g_runtime.lock()) return runtime;
  try {
    auto runtime = std::make_shared<Runtime>(FindEffectModule());
    g_runtime = runtime;
    return runtime;
  } catch (const std::exception& e) {
    *error = std::string(e.what()) +
             " (install Jitterforge.so in ../jitterforge/ beside the filter's folder, or name it "
             "in JITTERFORGE_MODULE)";
    return nullptr;
  }
}

std::string SetUp(headless::Instance& instance) {
  std::lock_guard lock(g_setupMutex);
  if (PF_Err err = instance.GlobalSetup(); err != PF_Err_NONE) {
    return "the effect's global setup failed: " + headless::ErrorName(err);
  }
  if (PF_Err err = instance.ParamsSetup(headless::StdoutRoute::Discard); err != PF_Err_NONE) {
    instance.GlobalSetdown();
    return "the effect's parameter setup failed: " + headless::ErrorName(err);
  }
  return "";
}

std::string LoadCatalog() {
  if (g_catalogLoaded.load(std::memory_order_acquire)) return "";
  std::lock_guard lock(g_catalogMutex);
  if (g_catalogLoaded.load(std::memory_order_relaxed)) return "";
  std::string error;
  std::shared_ptr<Runtime> runtime = AcquireRuntime(&error);
  if (!runtime) return error;
  headless::Instance instance(runtime->host, runtime->module);
  if (error = SetUp(instance); !error.empty()) return error;
  std::vector<CatalogEntry> catalog = BuildCatalog(instance.Params());
  instance.GlobalSetdown();
  g_catalog = std::move(catalog);
  g_catalogLoaded.store(true, std::memory_order_release);
  return "";
}

const std::vector<CatalogEntry>& Catalog() {
  static const std::vector<CatalogEntry> presetOnly = [] {
    headless::ParamStore none;
    return BuildCatalog(none);
  }();
  return g_catalogLoaded.load(std::memory_order_acquire) ? g_catalog : presetOnly;
}

}  // namespace jf::frei0r
