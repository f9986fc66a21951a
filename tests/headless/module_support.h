// Shared by the module tests: files to load and the one-line refusals they give.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "headless/module.h"

namespace jf::headless {

using Bytes = std::vector<std::uint8_t>;

inline std::string LoadError(const std::string& path) {
  try {
    Module::Load(path);
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "(no error)";
}

inline std::string TempFile(const std::string& name, const Bytes& bytes) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  return path;
}

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

}  // namespace jf::headless
