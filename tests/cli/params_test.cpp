// `jitterforge params` as people read it: values in the units the controls show, popups by
// name, what each parameter does, keys and schedules, and the values at a chosen moment.
#include <gtest/gtest.h>

#include <string>

#include "tests/cli/cli_support.h"

namespace {

using jf::cli::testing::CliTest;
using jf::cli::testing::ReadText;
using jf::cli::testing::Result;
using jf::cli::testing::RunCli;
using jf::cli::testing::WriteText;

// The listing's line for a parameter index, and the description line under it.
std::string Row(const std::string& listing, int index) {
  char head[16];
  std::snprintf(head, sizeof head, "\n%4d  ", index);
  const auto at = listing.find(head);
  if (at == std::string::npos) return "";
  const auto end = listing.find('\n', listing.find('\n', at + 1) + 1);
  return listing.substr(at + 1, end - at - 1);
}

TEST_F(CliTest, ParamsShowValuesAsTheControlsDoAndSayWhatEachDoes) {
  const Result r = RunCli("params");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string explanation =
      "(hidden): not shown in the host's controls with the current settings; can still be set.";
  EXPECT_EQ(r.out.find(explanation), r.out.find('\n') - explanation.size()) << r.out.substr(0, 200);
  EXPECT_NE(Row(r.out, 15).find("= \"In Front\"  (default \"In Front\")"), std::string::npos);
  EXPECT_NE(Row(r.out, 4).find("= 300 px  (default 300 px)  -1000 to 1000 px"), std::string::npos);
  EXPECT_NE(Row(r.out, 171).find("= 100%"), std::string::npos) << Row(r.out, 171);
  EXPECT_NE(Row(r.out, 19).find("= 0\u00b0"), std::string::npos) << Row(r.out, 19);
  EXPECT_NE(Row(r.out, 169).find("wrap around"), std::string::npos) << Row(r.out, 169);
  // Every value row has its description line.
  for (int index : {2, 35, 113, 152, 176, 182, 208}) {
    const std::string row = Row(r.out, index);
    const auto second = row.find("\n        ");
    ASSERT_NE(second, std::string::npos) << index << ": " << row;
    EXPECT_GT(row.size() - second, 20u) << row;
  }
}

TEST_F(CliTest, ParamsListValuesKeysAndSchedulesAtTheMomentAsked) {
  WriteText(Path("p.json"), R"({"fps": 24, "parameters": {
      "Warp/Offset": {"keyframes": [{"frame": 0, "value": 0}, {"frame": 48, "value": 240}]},
      "Basic Blocks/Position Random Seed": {"schedule": {"start": 1, "step": 1, "every": 4}}}})");
  const std::string preset = " --preset " + Path("p.json");
  const struct {
    std::string when;
    std::string offset;
    std::string seed;
  } moments[] = {
      {"", "= 0  ", "= 1  "},
      {" --frame 24", "= 120  ", "= 7  "},
      {" --time 1.5", "= 180  ", "= 10  "},
      {" --frame 100", "= 240  ", "= 26  "},
  };
  for (const auto& m : moments) {
    const Result r = RunCli("params" + preset + m.when);
    ASSERT_EQ(r.status, 0) << m.when << ": " << r.err;
    const std::string offset = Row(r.out, 182);
    EXPECT_NE(offset.find(m.offset), std::string::npos) << m.when << ": " << offset;
    EXPECT_NE(offset.find("keyframes 0 s: 0, 2 s: 240"), std::string::npos) << offset;
    const std::string seed = Row(r.out, 6);
    EXPECT_NE(seed.find(m.seed), std::string::npos) << m.when << ": " << seed;
    EXPECT_NE(seed.find("schedule {\"start\":1,\"step\":1,\"every\":4"), std::string::npos) << seed;
  }
  EXPECT_EQ(RunCli("params --frame 1 --time 1").status, 2);
}

TEST_F(CliTest, TheCheckedInParameterReferenceIsCurrent) {
  const Result r = RunCli("params --markdown");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, ReadText(std::string(JF_SOURCE_DIR) + "/docs/parameters.md"))
      << "regenerate it: cmake --build BUILD --target parameters_doc";
}

}  // namespace
