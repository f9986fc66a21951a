// The built filter as a frei0r host loads it, and commands run with their output kept.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frei0r/frei0r_api.h"

namespace jf::frei0r_test {

/// The filter's f0r_* functions, from the built jitterforge.so.
struct FilterLibrary {
  void* library = nullptr;
  decltype(&f0r_init) init = nullptr;
  decltype(&f0r_get_plugin_info) pluginInfo = nullptr;
  decltype(&f0r_get_param_info) paramInfo = nullptr;
  decltype(&f0r_construct) construct = nullptr;
  decltype(&f0r_destruct) destruct = nullptr;
  decltype(&f0r_set_param_value) setParam = nullptr;
  decltype(&f0r_get_param_value) getParam = nullptr;
  decltype(&f0r_update) update = nullptr;

  FilterLibrary() {
    library = dlopen(JF_FILTER_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) throw std::runtime_error(dlerror());
    init = Get<decltype(init)>("f0r_init");
    pluginInfo = Get<decltype(pluginInfo)>("f0r_get_plugin_info");
    paramInfo = Get<decltype(paramInfo)>("f0r_get_param_info");
    construct = Get<decltype(construct)>("f0r_construct");
    destruct = Get<decltype(destruct)>("f0r_destruct");
    setParam = Get<decltype(setParam)>("f0r_set_param_value");
    getParam = Get<decltype(getParam)>("f0r_get_param_value");
    update = Get<decltype(update)>("f0r_update");
    init();
  }
  // The filter is never unloaded (its link says so), so there is nothing to gain by dlclose.

  /// The frei0r index of the parameter named name; -1 when there is none.
  int Index(const std::string& name) const {
    f0r_plugin_info_t info{};
    pluginInfo(&info);
    for (int i = 0; i < info.num_params; ++i) {
      f0r_param_info_t p{};
      paramInfo(&p, i);
      if (name == p.name) return i;
    }
    return -1;
  }

 private:
  template <typename Fn>
  Fn Get(const char* name) {
    return reinterpret_cast<Fn>(dlsym(library, name));
  }
};

inline FilterLibrary& Library() {
  static FilterLibrary library;
  return library;
}

/// RGBA frames, packed.
using Frame = std::vector<std::uint32_t>;

/// A frame with something in every channel and alpha that varies, RGBA bytes.
inline Frame PatternFrame(unsigned width, unsigned height) {
  Frame frame(static_cast<std::size_t>(width) * height);
  auto* bytes = reinterpret_cast<std::uint8_t*>(frame.data());
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      std::uint8_t* p = bytes + (static_cast<std::size_t>(y) * width + x) * 4;
      p[0] = static_cast<std::uint8_t>(x * 7);
      p[1] = static_cast<std::uint8_t>(y * 5 + x);
      p[2] = static_cast<std::uint8_t>((x + y) * 11);
      p[3] = ((x / 3 + y / 5) % 4 == 0) ? 128 : 255;
    }
  }
  return frame;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// A folder of its own for one test, removed afterwards.
struct ScratchFolder {
  std::filesystem::path path;
  ScratchFolder() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::filesystem::temp_directory_path() /
           ("jf-frei0r-" + std::string(test->test_suite_name()) + "-" + test->name() + "-" +
            std::to_string(::getpid()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~ScratchFolder() { std::filesystem::remove_all(path); }
  std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

/// Runs a shell command line; standard output and error go to the files named.
inline int Shell(const std::string& command, const std::filesystem::path& out,
                 const std::filesystem::path& err) {
  const std::string line = command + " >'" + out.string() + "' 2>'" + err.string() + "'";
  const int status = std::system(line.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// What a command line needs before a host program so it can load the filter of this build:
/// nothing, or under the address sanitizer its runtimes preloaded (the filter is instrumented,
/// the programs are not) with leak reports about the programs turned off.
inline std::string HostEnvironment() {
#if defined(__SANITIZE_ADDRESS__)
  auto runtime = [](const char* name) {
    std::string path;
    if (FILE* pipe = popen(("g++ -print-file-name=" + std::string(name)).c_str(), "r")) {
      char buffer[512];
      while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) path += buffer;
      pclose(pipe);
    }
    while (!path.empty() && path.back() == '\n') path.pop_back();
    return path;
  };
  return "LD_PRELOAD='" + runtime("libasan.so") + " " + runtime("libubsan.so") +
         "' ASAN_OPTIONS=detect_leaks=0 ";
#else
  return "";
#endif
}

inline bool HaveProgram(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace jf::frei0r_test
