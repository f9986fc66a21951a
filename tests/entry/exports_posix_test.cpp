// The symbols an ELF module exports, as the dynamic linker sees them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

TEST(Module, ExportsOnlyTheEntryPoint) {
  const std::string command = std::string("nm -D --defined-only ") + JF_MODULE_PATH;
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    // "<address> <type> <name>": keep code and data symbols a host could bind to.
    if (text.size() > 19 && std::string("TtDdBbRrVvWwiu").find(text[17]) != std::string::npos) {
      text = text.substr(19);
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
      exported.push_back(text);
    }
  }
  ASSERT_EQ(pclose(pipe), 0);
  EXPECT_EQ(exported, std::vector<std::string>{"EntryPointFunc"});
}

}  // namespace
