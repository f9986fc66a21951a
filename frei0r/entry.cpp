// The frei0r interface: the only symbols the filter exports.
#include <dlfcn.h>
#include "frei0r/frei0r_api.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "frei0r/filter.h"
#include "frei0r/runtime.h"

namespace {

using jf::frei0r::Catalog;
using jf::frei0r::Filter;

// ffmpeg's frei0r filter passes milliseconds where the interface says seconds; it is the one
// caller living in libavfilter.
bool CalledFromLibavfilter(void* returnAddress) {
  Dl_info info{};
  if (dladdr(returnAddress, &info) == 0 || info.dli_fname == nullptr) return false;
  const char* base = std::strrchr(info.dli_fname, '/');
  return std::strncmp(base != nullptr ? base + 1 : info.dli_fname, "libavfilter", 11) == 0;
}

void Report(const std::string& message) {
  std::fprintf(stderr, "jitterforge: %s\n", message.c_str());
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int f0r_init() {
  // Hosts may call this repeatedly, with or without f0r_deinit between; the list is learned once.
  if (std::string error = jf::frei0r::LoadCatalog(); !error.empty()) {
    Report(error);
    return 0;
  }
  return 1;
}

__attribute__((visibility("default"))) void f0r_deinit() {
  // Instances own what they use; nothing process-wide is left to release.
}

__attribute__((visibility("default"))) void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  info->name = "jitterforge";
  info->author = "Tarnwell";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = JF_VERSION_MAJOR;
  info->minor_version = JF_VERSION_MINOR;
  info->num_params = static_cast<int>(Catalog().size());
  info->explanation =
      "Jitterforge glitch effect: seven stages, set by a JSON preset and the parameters after it";
}

__attribute__((visibility("default"))) void f0r_get_param_info(f0r_param_info_t* info, int index) {
  const auto& catalog = Catalog();
  if (index < 0 || index >= static_cast<int>(catalog.size())) {
    *info = f0r_param_info_t{"", F0R_PARAM_DOUBLE, ""};
    return;
  }
  *info = f0r_param_info_t{catalog[index].name.c_str(), catalog[index].type,
                           catalog[index].explanation.c_str()};
}

__attribute__((visibility("default"))) f0r_instance_t f0r_construct(unsigned int width,
                                                                    unsigned int height) {
  try {
    if (std::string error = jf::frei0r::LoadCatalog(); !error.empty()) {
      Report(error);
      return nullptr;
    }
    std::string error;
    auto runtime = jf::frei0r::AcquireRuntime(&error);
    if (!runtime) {
      Report(error);
      return nullptr;
    }
    return new Filter(std::move(runtime), width, height);
  } catch (const std::exception& e) {
    Report(e.what());
    return nullptr;
  }
}

__attribute__((visibility("default"))) void f0r_destruct(f0r_instance_t instance) {
  delete static_cast<Filter*>(instance);
}

__attribute__((visibility("default"))) void f0r_set_param_value(f0r_instance_t instance,
                                                                f0r_param_t param, int index) {
  if (instance == nullptr) return;
  try {
    static_cast<Filter*>(instance)->SetParam(index, param);
  } catch (const std::exception& e) {
    Report(e.what());
  }
}

__attribute__((visibility("default"))) void f0r_get_param_value(f0r_instance_t instance,
                                                                f0r_param_t param, int index) {
  if (instance == nullptr) return;
  try {
    static_cast<Filter*>(instance)->GetParam(index, param);
  } catch (const std::exception& e) {
    Report(e.what());
  }
}

__attribute__((visibility("default"), noinline)) void f0r_update(f0r_instance_t instance,
                                                                 double time,
                                                                 const uint32_t* inframe,
                                                                 uint32_t* outframe) {
  if (instance == nullptr) return;
  const bool milliseconds = CalledFromLibavfilter(__builtin_return_address(0));
  try {
    if (milliseconds) static_cast<Filter*>(instance)->CalledFromFfmpeg();
    static_cast<Filter*>(instance)->Update(jf::frei0r::TimeInSeconds(time, milliseconds), inframe,
                                           outframe);
  } catch (const std::exception& e) {
    Report(e.what());
  }
}

__attribute__((visibility("default"), noinline)) void f0r_update2(
    f0r_instance_t instance, double time, const uint32_t* inframe1, const uint32_t* /*inframe2*/,
    const uint32_t* /*inframe3*/, uint32_t* outframe) {
  if (instance == nullptr) return;
  const bool milliseconds = CalledFromLibavfilter(__builtin_return_address(0));
  try {
    if (milliseconds) static_cast<Filter*>(instance)->CalledFromFfmpeg();
    static_cast<Filter*>(instance)->Update(jf::frei0r::TimeInSeconds(time, milliseconds), inframe1,
                                           outframe);
  } catch (const std::exception& e) {
    Report(e.what());
  }
}

}  // extern "C"
