// Time, presets, keyframes, schedules, sequences and provenance, as the command runs them.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <nlohmann/json.hpp>
#include <set>

#include "cli/image_io.h"
#include "tests/cli/cli_support.h"

namespace jf::cli::testing {
namespace {

std::vector<std::uint8_t> Pixels(const std::string& path, int depth = 8) {
  return ReadImage(path, depth).data;
}

std::string Recorded(const std::string& path) {
  auto in = OIIO::ImageInput::open(path);
  return in ? in->spec().get_string_attribute("jitterforge:preset") : "";
}

// Warp alone; its offset holds at 0 to frame 12, moves linearly to 240 at frame 36, then holds.
constexpr const char* kWarpPreset = R"({"fps": "24", "parameters": {
  "Basic Blocks/Enable Basic Blocks": false,
  "Warp/Enable Warp": true,
  "Warp/Amplitude": 6,
  "Warp/Offset": {"keyframes": [{"frame": 1, "value": 0}, {"frame": 12, "value": 0},
                                {"frame": 36, "value": 240}]}}})";

class Animation : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    WriteImage(Path("in.png"), MakeSample(8, 64, 48));
    WriteText(Path("warp.json"), kWarpPreset);
  }
  std::string Frame(const std::string& folder, int f) {
    return Path(folder + "/f_" + (f < 10 ? "0" : "") + std::to_string(f) + ".png");
  }
};

TEST_F(Animation, KeyframedOffsetMovesOnlyBetweenDifferingKeysAndSplitsIdentically) {
  fs::create_directories(Path("one"));
  fs::create_directories(Path("two"));
  const std::string common = " --preset " + Path("warp.json") + " --quiet " + Path("in.png") + " ";
  ASSERT_EQ(RunCli("render" + common + Path("one/f_%02d.png") + " --frames 1-48").status, 0);
  ASSERT_EQ(RunCli("render" + common + Path("two/f_%02d.png") + " --frames 1-24").status, 0);
  ASSERT_EQ(RunCli("render" + common + Path("two/f_%02d.png") + " --frames 25-48").status, 0);
  for (int f = 1; f <= 48; ++f) {
    ASSERT_EQ(ReadText(Frame("one", f)), ReadText(Frame("two", f))) << "frame " << f;
  }
  for (int f = 2; f <= 48; ++f) {
    const bool moving = f > 12 && f <= 36;
    EXPECT_EQ(Pixels(Frame("one", f)) != Pixels(Frame("one", f - 1)), moving) << "frame " << f;
  }
  // --frame and --time name the same moment; the offset there is the sequence's.
  ASSERT_EQ(RunCli("render" + common + Path("at_frame.png") + " --frame 24").status, 0);
  ASSERT_EQ(RunCli("render" + common + Path("at_time.png") + " --time 1").status, 0);
  EXPECT_EQ(Pixels(Path("at_frame.png")), Pixels(Frame("one", 24)));
  EXPECT_EQ(Pixels(Path("at_time.png")), Pixels(Frame("one", 24)));
  // --fps wins over the preset's rate, and keys given in frames stay on their frames: half a
  // second is frame 12 at 24 fps but frame 24 at 48.
  ASSERT_EQ(RunCli("render" + common + Path("half.png") + " --time 0.5").status, 0);
  EXPECT_EQ(Pixels(Path("half.png")), Pixels(Frame("one", 12)));
  ASSERT_EQ(RunCli("render" + common + Path("fps.png") + " --time 0.5 --fps 48").status, 0);
  EXPECT_EQ(Pixels(Path("fps.png")), Pixels(Frame("one", 24)));
}

TEST_F(Animation, SeedSchedulesChangeTheLayoutExactlyWhereTheySay) {
  WriteText(Path("glitch.json"), R"({"fps": 24, "parameters": {
    "Basic Blocks/Number Of Blocks": 8,
    "Basic Blocks/Maximum Horizontal Offset": 20,
    "Basic Blocks/Block Size/Minimum Width": 8,
    "Basic Blocks/Block Size/Width Random Range": 20,
    "Basic Blocks/Block Size/Minimum Height": 4,
    "Basic Blocks/Block Size/Height Random Range": 8,
    "Basic Blocks/Position Random Seed":
        {"schedule": {"start": 5, "step": 1, "every": 8, "burst": [16, 39], "value": 1}},
    "Basic Blocks/Block Size/Width Random Seed": {"schedule": {"seed": 3, "every": 12}}}})");
  const Result r = RunCli("render --quiet --preset " + Path("glitch.json") + " " + Path("in.png") +
                          " " + Path("g_%02d.png") + " --frames 0-47");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::set<int> changes = {12, 16, 24, 32, 36, 40};
  for (int f = 1; f < 48; ++f) {
    const auto name = [&](int n) {
      return Path(std::string("g_") + (n < 10 ? "0" : "") + std::to_string(n) + ".png");
    };
    EXPECT_EQ(Pixels(name(f)) != Pixels(name(f - 1)), changes.count(f) == 1) << "frame " << f;
  }
  // Outside the burst the seed rests at its value: frames 15 and 40 share the position seed.
  const auto recorded = nlohmann::json::parse(Recorded(Path("g_40.png")));
  EXPECT_EQ(recorded["parameters"]["Basic Blocks/Position Random Seed"]["schedule"]["burst"],
            nlohmann::json({16, 39}));
}

TEST_F(Animation, ParamsJsonIsAPresetThatReadsBackUnchanged) {
  const Result defaults = RunCli("params --json");
  ASSERT_EQ(defaults.status, 0) << defaults.err;
  WriteText(Path("defaults.json"), defaults.out);
  const Result again = RunCli("params --json --preset " + Path("defaults.json"));
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, defaults.out);

  // Animated, scheduled and changed values survive the trip and render the same.
  const Result animated = RunCli("params --json --preset " + Path("warp.json") +
                                 " --set 'Noise/Tint=#336699' --set 'Basic Blocks/Blend Mode=Add'"
                                 " --set 'Basic Blocks/Position Random Seed=7'");
  ASSERT_EQ(animated.status, 0) << animated.err;
  WriteText(Path("animated.json"), animated.out);
  const Result back = RunCli("params --json --preset " + Path("animated.json"));
  EXPECT_EQ(back.out, animated.out);
  for (const char* frame : {"5", "20", "40"}) {
    ASSERT_EQ(RunCli("render --preset " + Path("warp.json") +
                     " --set 'Noise/Tint=#336699' --set 'Basic Blocks/Blend Mode=Add'"
                     " --set 'Basic Blocks/Position Random Seed=7' --frame " +
                     frame + " " + Path("in.png") + " " + Path("a.png"))
                  .status,
              0);
    ASSERT_EQ(RunCli("render --preset " + Path("animated.json") + " --frame " + frame + " " +
                     Path("in.png") + " " + Path("b.png"))
                  .status,
              0);
    EXPECT_EQ(Pixels(Path("a.png")), Pixels(Path("b.png"))) << "frame " << frame;
  }
}

TEST_F(Animation, EveryImageRecordsWhatMadeItAndRendersAgainFromIt) {
  WriteText(Path("seeded.json"), R"({"fps": "30000/1001", "parameters": {
    "Warp/Enable Warp": true,
    "Warp/Offset": {"keyframes": [{"frame": 0, "value": 0}, {"frame": 30, "value": 90}]},
    "Basic Blocks/Position Random Seed": {"schedule": {"seed": 11, "every": 2}}}})");
  for (const auto& [name, depth] :
       {std::pair{"out.png", 8}, std::pair{"out.tif", 16}, std::pair{"out.exr", 32}}) {
    const std::string out = Path(name);
    const std::string again =
        Path(std::string("again.") + fs::path(name).extension().string().substr(1));
    const Result r = RunCli("render --preset " + Path("seeded.json") + " --frame 7 --depth " +
                            std::to_string(depth) + " " + Path("in.png") + " " + out);
    ASSERT_EQ(r.status, 0) << r.err;
    // Neither the time, the rate nor the depth is given again: the image recorded them.
    const Result re = RunCli("render --preset-from " + out + " " + Path("in.png") + " " + again);
    ASSERT_EQ(re.status, 0) << re.err;
    EXPECT_EQ(Pixels(again, depth), Pixels(out, depth)) << name;
    auto in = OIIO::ImageInput::open(out);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->spec().get_string_attribute("Software"),
              std::string("jitterforge ") + JF_VERSION);
  }
  const auto recorded = nlohmann::json::parse(Recorded(Path("out.png")));
  EXPECT_EQ(recorded["time"]["frame"], 7);
  EXPECT_EQ(recorded["time"]["time"], 7007);
  EXPECT_EQ(recorded["time"]["time_scale"], 30000);
  EXPECT_EQ(recorded["fps"], "30000/1001");
  // A different frame of the same preset is a different picture.
  ASSERT_EQ(RunCli("render --preset " + Path("seeded.json") + " --frame 8 " + Path("in.png") + " " +
                   Path("eight.png"))
                .status,
            0);
  EXPECT_NE(Pixels(Path("eight.png")), Pixels(Path("out.png")));
  const Result none =
      RunCli("render --preset-from " + Path("in.png") + " " + Path("in.png") + " " + Path("x.png"));
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("records no preset"), std::string::npos) << none.err;
}

TEST_F(Animation, BadPresetsStopEverythingBeforeAnyFrameIsWritten) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"{\n  \"parameters\": {\n    \"Warp/Offset\" 3\n  }\n}\n", "bad.json:3:19: "},
      {R"({"parameters": {"Warp/Ofset": 3}})", "no parameter \"Warp/Ofset\""},
      {R"({"parameters": {"Warp/Offset": 200000}})",
       "parameter 182 \"Warp/Offset\": takes -100000 to 100000, not 200000"},
      {R"({"parameters": {"Warp/Offset": {"keyframes": [{"frame": 0, "value": 1},
          {"frame": 9, "value": -1e6}]}}})",
       "\"Warp/Offset\": keyframe value takes"},
      {R"({"parameters": {"Basic Blocks/Position Random Seed":
          {"schedule": {"start": 99999, "step": 1, "every": 10}}}})",
       "reaches a value it does not take at frame 20"}};
  for (const auto& [text, expected] : cases) {
    WriteText(Path("bad.json"), text);
    // A schedule is checked on the frames rendered: frame 3 alone would be fine.
    const bool scheduled = expected.find("frame 20") != std::string::npos;
    for (const std::string target : {"out.png --frame 3", "seq_%03d.png --frames 1-30"}) {
      if (scheduled && target[0] == 'o') continue;
      const Result r =
          RunCli("render --preset " + Path("bad.json") + " " + Path("in.png") + " " + Path(target));
      EXPECT_EQ(r.status, 2) << text;
      EXPECT_EQ(Lines(r.err), 1) << r.err;
      EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
    }
    EXPECT_EQ(Files(), (std::vector<std::string>{"bad.json", "in.png", "warp.json"})) << text;
  }
}

TEST_F(Animation, SequenceUsageMistakesAreOneLineWithStatusTwo) {
  const std::string in = Path("in.png");
  const std::string out = Path("out.png");
  const std::string numbered = Path("out_%02d.png");
  for (const std::string& args :
       {in + " " + out + " --frames 1-3", in + " " + numbered,
        in + " " + numbered + " --frames 3-1",
        Path("in_%02d.png") + " " + numbered + " --frames 1-2", in + " " + out + " --fps 0",
        in + " " + out + " --frame -2", in + " " + out + " --matte-channel luma",
        in + " " + out + " --frame 2 --time 1"}) {
    const Result r = RunCli("render " + args);
    EXPECT_EQ(r.status, 2) << args << ": " << r.err;
    EXPECT_EQ(Lines(r.err), 1) << args << ": " << r.err;
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"in.png", "warp.json"}));
}

}  // namespace
}  // namespace jf::cli::testing
