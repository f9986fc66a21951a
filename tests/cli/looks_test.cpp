// The shipped looks through the command: each one renders and changes the picture, the listing
// names them all, and a name that is nearly right is answered with the right one.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "cli/image_io.h"
#include "tests/cli/cli_support.h"

namespace {

namespace fs = std::filesystem;
using jf::cli::HostImage;
using jf::cli::testing::CliTest;
using jf::cli::testing::Lines;
using jf::cli::testing::Result;
using jf::cli::testing::RunCli;

std::set<std::string> ShippedLooks() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(JF_SOURCE_DIR) / "looks")) {
    if (entry.path().extension() == ".json") names.insert(entry.path().stem().string());
  }
  return names;
}

TEST_F(CliTest, EveryShippedLookRendersAndChangesThePicture) {
  const auto looks = ShippedLooks();
  ASSERT_GE(looks.size(), 12u);
  const std::string in = Path("in.png");
  const HostImage sample = jf::cli::MakeSample(8, 160, 90);
  jf::cli::WriteImage(in, sample);
  for (const std::string& look : looks) {
    bool changed = false;
    // The first frame and one two seconds in, where bursts and schedules have moved on.
    for (const char* frame : {"0", "50"}) {
      const std::string out = Path(look + "_" + frame + ".png");
      const Result r = RunCli("render " + in + " " + out + " --look " + look + " --frame " + frame +
                              " --downsample 1/4 --threads 2");
      ASSERT_EQ(r.status, 0) << look << ": " << r.err;
      EXPECT_EQ(r.err, "") << look;
      changed = changed || jf::cli::ReadImage(out, 8).data != sample.data;
    }
    EXPECT_TRUE(changed) << look << " leaves the picture as it was";
  }
}

TEST_F(CliTest, LooksAreListedAndFoundByName) {
  const Result list = RunCli("looks");
  ASSERT_EQ(list.status, 0) << list.err;
  const auto looks = ShippedLooks();
  EXPECT_EQ(Lines(list.out), static_cast<int>(looks.size()));
  for (const std::string& look : looks) {
    const auto at = list.out.find(look + " ");
    ASSERT_NE(at, std::string::npos) << look;
    // Each line: the name, the depth the look is made for, and a description.
    const std::string line = list.out.substr(at, list.out.find('\n', at) - at);
    EXPECT_TRUE(line.find(" 8-bit ") != std::string::npos ||
                line.find(" 16-bit ") != std::string::npos ||
                line.find(" 32-bit ") != std::string::npos)
        << line;
    EXPECT_GT(line.size(), look.size() + 30) << line;
  }
  // Names are found without regard to case; params shows what a look sets.
  const Result params = RunCli("params --json --look VHS-Tracking");
  ASSERT_EQ(params.status, 0) << params.err;
  EXPECT_NE(params.out.find("\"schedule\""), std::string::npos);

  const Result typo = RunCli("render --sample " + Path("out.png") + " --look vhs-trackin");
  EXPECT_EQ(typo.status, 2);
  EXPECT_EQ(Lines(typo.err), 1) << typo.err;
  EXPECT_NE(typo.err.find("did you mean \"vhs-tracking\"?"), std::string::npos) << typo.err;
  const Result both = RunCli("render --sample " + Path("out.png") +
                             " --look vhs-tracking --preset " + Path("none.json"));
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(Lines(both.err), 1) << both.err;
  EXPECT_FALSE(fs::exists(Path("out.png")));
}

}  // namespace
