// Loads a frei0r filter as a host first meets it and runs it once: every f0r_* symbol present,
// the plug-in and parameter information sound, one frame through one instance. Exits non-zero
// with a line on standard error at the first thing wrong.
#include <dlfcn.h>
extern "C" {
#include <frei0r.h>
}

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what.c_str());
    ++g_failures;
  }
}

template <typename Fn>
Fn Symbol(void* library, const char* name) {
  void* address = dlsym(library, name);
  Check(address != nullptr, std::string("the filter exports ") + name);
  return reinterpret_cast<Fn>(address);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: frei0r_smoke FILTER.so\n");
    return 2;
  }
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "FAILED: dlopen: %s\n", dlerror());
    return 1;
  }
  auto init = Symbol<int (*)()>(library, "f0r_init");
  auto deinit = Symbol<void (*)()>(library, "f0r_deinit");
  auto pluginInfo = Symbol<void (*)(f0r_plugin_info_t*)>(library, "f0r_get_plugin_info");
  auto paramInfo = Symbol<void (*)(f0r_param_info_t*, int)>(library, "f0r_get_param_info");
  auto construct = Symbol<f0r_instance_t (*)(unsigned, unsigned)>(library, "f0r_construct");
  auto destruct = Symbol<void (*)(f0r_instance_t)>(library, "f0r_destruct");
  auto setParam =
      Symbol<void (*)(f0r_instance_t, f0r_param_t, int)>(library, "f0r_set_param_value");
  auto getParam =
      Symbol<void (*)(f0r_instance_t, f0r_param_t, int)>(library, "f0r_get_param_value");
  auto update =
      Symbol<void (*)(f0r_instance_t, double, const uint32_t*, uint32_t*)>(library, "f0r_update");
  Symbol<void (*)(f0r_instance_t, double, const uint32_t*, const uint32_t*, const uint32_t*,
                  uint32_t*)>(library, "f0r_update2");
  if (g_failures != 0) return 1;

  // MLT calls f0r_init more than once without f0r_deinit between.
  Check(init() == 1, "f0r_init succeeds");
  Check(init() == 1, "a second f0r_init succeeds");

  f0r_plugin_info_t info{};
  pluginInfo(&info);
  Check(info.name != nullptr && std::strcmp(info.name, "jitterforge") == 0, "named jitterforge");
  Check(info.plugin_type == F0R_PLUGIN_TYPE_FILTER, "a filter");
  Check(info.color_model == F0R_COLOR_MODEL_RGBA8888, "RGBA8888");
  Check(info.frei0r_version == FREI0R_MAJOR_VERSION, "frei0r version");
  Check(info.num_params > 100, "declares the effect's parameters");

  std::set<std::string> names;
  for (int i = 0; i < info.num_params; ++i) {
    f0r_param_info_t p{};
    paramInfo(&p, i);
    const std::string at = "parameter " + std::to_string(i);
    Check(p.name != nullptr && *p.name != '\0', at + " has a name");
    Check(p.type >= F0R_PARAM_BOOL && p.type <= F0R_PARAM_STRING && p.type != F0R_PARAM_POSITION,
          at + " has a type the filter serves");
    if (p.name != nullptr) Check(names.insert(p.name).second, at + " has a name of its own");
  }
  f0r_param_info_t first{};
  paramInfo(&first, 0);
  Check(first.type == F0R_PARAM_STRING, "parameter 0 is the preset file");

  const unsigned width = 64, height = 48;
  f0r_instance_t instance = construct(width, height);
  Check(instance != nullptr, "f0r_construct makes an instance");
  if (instance == nullptr) return 1;

  std::vector<uint32_t> in(width * height), out(width * height, 0);
  for (unsigned k = 0; k < in.size(); ++k) {
    const uint8_t px[4] = {static_cast<uint8_t>(k * 7), static_cast<uint8_t>(k / 5),
                           static_cast<uint8_t>(k * 13 / 3), 255};
    std::memcpy(&in[k], px, 4);
  }
  double value = 0.25;
  setParam(instance, &value, 2);
  double back = -1;
  getParam(instance, &back, 2);
  Check(back == 0.25, "a value set reads back");

  update(instance, 0.0, in.data(), out.data());
  Check(out != in, "one update changes the frame (Basic Blocks is on by default)");
  std::vector<uint32_t> again(width * height, 0);
  update(instance, 1.0, in.data(), again.data());
  Check(again == out, "the same values give the same frame");

  destruct(instance);
  deinit();
  dlclose(library);
  if (g_failures == 0)
    std::printf("frei0r smoke run: %d parameters, one frame: ok\n", info.num_params);
  return g_failures == 0 ? 0 : 1;
}
