// The jitterforge command as a user runs it: exit codes, error lines, files left alone.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
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

TEST(ImageIo, SixteenBitFilesMapOntoTheHostScale) {
  EXPECT_EQ(jf::cli::FileToHost16(0), 0);
  EXPECT_EQ(jf::cli::FileToHost16(65535), 32768);
  EXPECT_EQ(jf::cli::FileToHost16(1), 1);  // 0.50001 rounds up
  EXPECT_EQ(jf::cli::HostToFile16(32768), 65535);
  EXPECT_EQ(jf::cli::HostToFile16(65535), 65535);  // above white counts as white
  EXPECT_EQ(jf::cli::HostToFile16(1), 2);          // 1.99997 rounds to 2
  for (std::uint32_t v = 0; v <= 32768; ++v) {
    ASSERT_EQ(jf::cli::FileToHost16(jf::cli::HostToFile16(static_cast<std::uint16_t>(v))), v);
  }
}

TEST_F(CliTest, WithNoStageEnabledTheOutputIsTheInputAtEveryDepth) {
  for (const auto& [depth, ext] :
       {std::pair{8, ".png"}, std::pair{16, ".png"}, std::pair{32, ".exr"}}) {
    const std::string in = Path("in" + std::to_string(depth) + ext);
    const std::string out = Path("out" + std::to_string(depth) + ext);
    const HostImage sample = jf::cli::MakeSample(depth, 61, 37);
    jf::cli::WriteImage(in, sample);
    const Result r = RunCli("render " + in + " " + out + " --depth " + std::to_string(depth) +
                            " --set 'basic blocks/enable basic blocks=off'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const HostImage back = jf::cli::ReadImage(out, depth);
    EXPECT_EQ(back.data, sample.data) << depth;
  }
}

// Without --depth the render runs at the depth the input calls for and keeps an input's lack of
// alpha; an output that holds less takes the most it holds, and says so in one line.
TEST_F(CliTest, DepthAndAlphaFollowTheInput) {
  struct Case {
    int depth;
    bool alpha;
    const char* in;
    const char* out;
    int written;
  };
  for (const Case c : {Case{8, false, "rgb.png", "rgb-out.png", 8},
                       Case{16, true, "rgba16.png", "rgba16-out.tif", 16},
                       Case{32, false, "rgb.exr", "rgb-out.exr", 32},
                       Case{32, true, "rgba.exr", "rgba-out.png", 16}}) {
    SCOPED_TRACE(c.in);
    HostImage sample = jf::cli::MakeSample(c.depth, 61, 37);
    sample.fileHasAlpha = c.alpha;
    if (!c.alpha) {  // opaque throughout, as a file without alpha reads
      const std::uint16_t white16 = 32768;
      const float white32 = 1.0f;
      for (std::size_t i = 0; i < sample.data.size(); i += sample.PixelSize()) {
        if (c.depth == 8) sample.data[i] = 255;
        if (c.depth == 16) std::memcpy(&sample.data[i], &white16, 2);
        if (c.depth == 32) std::memcpy(&sample.data[i], &white32, 4);
      }
    }
    jf::cli::WriteImage(Path(c.in), sample);
    const Result r = RunCli("render " + Path(c.in) + " " + Path(c.out) +
                            " --set 'basic blocks/enable basic blocks=off'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Lines(r.err), c.written == c.depth ? 0 : 1) << r.err;
    EXPECT_EQ(jf::cli::ImageFileDepth(Path(c.out)), c.written);
    const HostImage back = jf::cli::ReadImage(Path(c.out), c.written);
    EXPECT_EQ(back.fileHasAlpha, c.alpha);
    if (c.written == c.depth) {
      EXPECT_EQ(back.data, sample.data);
    }
  }
}

TEST_F(CliTest, BadSettingsAreRefusedBeforeAnythingIsWritten) {
  const std::string out = Path("out.png");
  for (const std::string setting :
       {"'no such thing=1'", "211=1", "0=1", "1=on", "'Basic Blocks/Number Of Blocks=abc'",
        "'Basic Blocks/Number Of Blocks=0'", "'Basic Blocks/Blend Mode=41'",
        "'Basic Blocks/Blend Mode=Sparkle'", "'Noise/Tint=300,0,0'", "'2=maybe'", "noequals"}) {
    const Result r = RunCli("render --sample " + out + " --set " + setting);
    EXPECT_EQ(r.status, 2) << setting;
    EXPECT_EQ(Lines(r.err), 1) << setting << ": " << r.err;
    EXPECT_FALSE(fs::exists(out)) << setting;
  }
  const Result range =
      RunCli("render --sample " + out + " --set 'Basic Blocks/Number Of Blocks=0'");
  EXPECT_NE(range.err.find("Number Of Blocks"), std::string::npos) << range.err;
  EXPECT_NE(range.err.find("1 to 100000"), std::string::npos) << range.err;
}

TEST_F(CliTest, ValuesOfEveryKindAreAccepted) {
  const Result r =
      RunCli("render --sample " + Path("out.png") +
             " --set 18=on --set 'pixel sorter/sort direction=90' --set 'Pixel Sorter/Output=Mask'"
             " --set 'Pixel Sorter/Minimum Threshold=12.5' --set 'Noise/Tint=#FF8000'"
             " --set 'Noise/Tint=10,20,30' --set 'Warp/Frequency=0.25' --downsample 1/2");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(Path("out.png")));
}

// An uncompressed 64x64 RGB TIFF with its directory first, cut 500 bytes into its pixels: the
// directory reads, the strip does not.
std::string CutTiff() {
  auto u16 = [](unsigned v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8)};
  };
  auto u32 = [&](unsigned v) { return u16(v & 0xFFFF) + u16(v >> 16); };
  const unsigned entries = 9, bitsAt = 8 + 2 + entries * 12 + 4, dataAt = bitsAt + 6;
  std::string tiff = "II*" + std::string(1, '\0') + u32(8) + u16(entries);
  for (const auto& [tag, type, value] :
       std::vector<std::array<unsigned, 3>>{{256, 3, 64},
                                            {257, 3, 64},
                                            {258, 3, bitsAt},
                                            {259, 3, 1},
                                            {262, 3, 2},
                                            {273, 4, dataAt},
                                            {277, 3, 3},
                                            {278, 3, 64},
                                            {279, 4, 64 * 64 * 3}}) {
    tiff += u16(tag) + u16(type) + u32(tag == 258 ? 3 : 1) +
            (type == 3 && tag != 258 ? u16(value) + u16(0) : u32(value));
  }
  return tiff + u32(0) + u16(8) + u16(8) + u16(8) + std::string(500, '\x7f');
}

TEST_F(CliTest, UnreadableInputLeavesAnExistingOutputUntouched) {
  const std::string out = Path("keep.png");
  { std::ofstream(out) << "precious"; }
  std::ofstream(Path("bad.png")) << "not an image";
  jf::cli::testing::WriteText(Path("cut.tif"), CutTiff());
  jf::cli::WriteImage(Path("whole.png"), jf::cli::MakeSample(8, 64, 64));
  const std::string png = jf::cli::testing::ReadText(Path("whole.png"));
  jf::cli::testing::WriteText(Path("cut.png"), png.substr(0, png.size() / 2));
  for (const std::string& input : std::vector<std::string>{Path("missing.png"), Path("bad.png"),
                                                           Path("cut.tif"), Path("cut.png")}) {
    const Result r = RunCli("render " + input + " " + out);
    EXPECT_EQ(r.status, 2) << input;
    // The libraries' own lines folded into the command's one, without their nonsense rows.
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(input), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("4294967295"), std::string::npos) << r.err;
  }
  std::ifstream in(out);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "precious");
}

TEST_F(CliTest, UnwritableOutputIsOneLineAndNonZero) {
  const Result r = RunCli("render --sample " + Path("no/such/folder/out.png"));
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  const Result depth = RunCli("render --sample " + Path("out.png") + " --depth 32");
  EXPECT_EQ(depth.status, 2);
  EXPECT_NE(depth.err.find(".exr"), std::string::npos) << depth.err;
  EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 0);
}

TEST_F(CliTest, ModulesThatCannotBeLoadedAreOneLineWithStatusTwo) {
  std::ofstream(Path("text.so")) << "hello";
  // The module with the first byte of its PiPL name (vendor "8BIM", key "name", stored as
  // little-endian codes) made a byte that starts no UTF-8 character; an unoptimised build also
  // keeps a copy of the PiPL among its constants, changed alike.
  std::string module = jf::cli::testing::ReadText(JF_MODULE_PATH);
  ASSERT_NE(module.find("MIB8eman"), std::string::npos);
  for (auto name = module.find("MIB8eman"); name != std::string::npos;
       name = module.find("MIB8eman", name + 1)) {
    module[name + 8 + 8 + 1] = '\x80';
  }
  jf::cli::testing::WriteText(Path("badname.so"), module);
  for (const std::string& module : std::vector<std::string>{
           Path("missing.so"), Path("text.so"), std::string("/bin/true"), Path("badname.so")}) {
    for (const char* command : {"about", "params --json"}) {
      const Result r = RunCli(std::string(command) + " --module " + module);
      EXPECT_EQ(r.status, 2) << module;
      EXPECT_EQ(Lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(module), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "") << module;
    }
  }
  const Result bad = RunCli("params --json --module " + Path("badname.so"));
  EXPECT_NE(bad.err.find("malformed PiPL"), std::string::npos) << bad.err;
}

TEST_F(CliTest, ParamsJsonIsCleanDataWithHiddenState) {
  const Result r = RunCli("params --json --set 'Elements Scatter/Enable Elements Scatter=on'");
  ASSERT_EQ(r.status, 0) << r.err;
  const auto json = nlohmann::json::parse(r.out);  // throws on any stray line
  const auto& params = json["parameters"];
  auto find = [&](int index) {
    for (const auto& p : params) {
      if (p["index"] == index) return p;
    }
    return nlohmann::json();
  };
  EXPECT_EQ(find(3)["path"], "Basic Blocks/Number Of Blocks");
  EXPECT_EQ(find(3)["valid_range"], nlohmann::json({1.0, 100000.0}));
  EXPECT_EQ(find(51)["path"], "Elements Scatter/Circle/Color/Opacity");
  EXPECT_EQ(find(51)["kind"], "percent");
  EXPECT_EQ(find(15)["choices"].size(), 39u);
  EXPECT_EQ(find(15)["choice_count"], 40);
  EXPECT_EQ(find(59)["hidden"], false);  // Square is on by default
  EXPECT_EQ(find(41)["hidden"], true);   // Circle is off
  EXPECT_EQ(find(19)["hidden"], true);   // Pixel Sorter is off
}

TEST_F(CliTest, AboutHelpAndVersion) {
  const Result about = RunCli("about");
  EXPECT_EQ(about.status, 0);
  EXPECT_NE(about.out.find("Jitterforge v1.0.3"), std::string::npos);
  EXPECT_EQ(RunCli("--version").status, 0);
  EXPECT_EQ(RunCli("--help").status, 0);
  const Result usage = RunCli("render");
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(Lines(usage.err), 1) << usage.err;
}

}  // namespace
