// Names as people type them: the closest known name for a mistyped one, a parameter's last
// path components when only one parameter ends that way, and values with their unit.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/cli/cli_support.h"

namespace {

namespace fs = std::filesystem;
using jf::cli::testing::CliTest;
using jf::cli::testing::Lines;
using jf::cli::testing::Result;
using jf::cli::testing::RunCli;

TEST_F(CliTest, UnknownNamesAreAnsweredWithTheClosestKnownOne) {
  const std::string out = Path("out.png");
  const std::string render = "render --sample " + out + " ";
  const struct {
    std::string args;
    std::string says;
  } cases[] = {
      {"rendr", "unknown command \"rendr\": did you mean \"render\"?"},
      {"render --lok vhs-tracking",
       "unknown option \"--lok\" for render: did you mean \"--look\"?"},
      {render + "--set 'Pixel Sorter/Enable Pixl Sorter=on'",
       "no parameter \"Pixel Sorter/Enable Pixl Sorter\": did you mean \"Pixel Sorter/Enable "
       "Pixel Sorter\"?"},
      {render + "--set 'Sort Directon=90'", "did you mean \"Pixel Sorter/Sort Direction\"?"},
      {render + "--set 'qqqqqqqq=1'", "give an index or a group path"},
      {render + "--set 'Blend Mode=Add'",
       "\"Blend Mode\" is ambiguous: it names 8 parameters (15 \"Basic Blocks/Blend Mode\", 54 "},
      {render + "--set 'Basic Blocks/Blend Mode=Diference'",
       "has no choice \"Diference\": did you mean \"Difference\"?"},
      {render + "--set 'Noise/Amplitude=12px'", "takes a number (with or without %), not \"12px\""},
      {render + "--set 'Noise/Frequency=3px'", "takes a number, not \"3px\""},
  };
  for (const auto& c : cases) {
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(Lines(r.err), 1) << c.args << ": " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    EXPECT_FALSE(fs::exists(out)) << c.args;
  }
}

TEST_F(CliTest, LastPathComponentsAndUnitsNameTheSameValues) {
  jf::cli::testing::WriteText(Path("p.json"),
                              R"({"parameters": {"Tint Contribution": "20%",
                                  "Blue Channel/Vertical Offset": "7px"}})");
  const Result r =
      RunCli("params --json --preset " + Path("p.json") +
             " --set 'Sort Direction=90deg' --set 'Noise/Amplitude=50 %'"
             " --set 'Warp/Amplitude=12px' --set 'Red Channel/Horizontal Offset=-3px'");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto json = nlohmann::json::parse(r.out);
  auto value = [&](int index) {
    for (const auto& p : json["parameters"]) {
      if (p["index"] == index) return p["value"];
    }
    return nlohmann::json();
  };
  EXPECT_EQ(value(19), 90.0);
  EXPECT_EQ(value(171), 50.0);
  EXPECT_EQ(value(176), 20.0);
  EXPECT_EQ(value(181), 12.0);
  EXPECT_EQ(value(187), -3.0);
  EXPECT_EQ(value(204), 7.0);
}

}  // namespace
