// Debian's ffmpeg and melt running the built filter on a generated clip, against the
// `jitterforge` command rendering the same frames: identical bytes, with the defaults and with a
// preset that turns on every stage and keyframes one parameter. Skipped where the programs are
// not installed.
#include <gtest/gtest.h>

#include <algorithm>

#include "frei0r/support.h"

namespace jf::frei0r_test {
namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 128;  // ffmpeg hands rows over packed only at multiples of 16
constexpr int kHeight = 96;
constexpr int kFrames = 5;

const char* const kAllStages = R"({"parameters": {
  "Basic Blocks/Enable Basic Blocks": {"value": true},
  "Pixel Sorter/Enable Pixel Sorter": {"value": true},
  "Elements Scatter/Enable Elements Scatter": {"value": true},
  "Blur Blocks/Enable Blur Blocks": {"value": true},
  "Noise/Enable Noise": {"value": true},
  "Warp/Enable Warp": {"value": true},
  "Split RGB/Enable Split RGB": {"value": true},
  "Basic Blocks/Number Of Blocks": {"keyframes": [{"time": 0, "value": 2}, {"time": 0.16, "value": 90}]}
}})";

std::string Quote(const fs::path& p) {
  return "'" + p.string() + "'";
}

const std::string kFilterFolder = fs::path(JF_FILTER_PATH).parent_path().string();

class Hosts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    std::ofstream(folder / "all.json") << kAllStages;
    // A lossless clip of the test picture, its frames as images, and its raw RGBA frames.
    ASSERT_EQ(Run("ffmpeg -y -v error -f lavfi -i testsrc=size=" + std::to_string(kWidth) + "x" +
                  std::to_string(kHeight) + ":rate=25 -frames:v " + std::to_string(kFrames) +
                  " -c:v ffv1 -pix_fmt bgra " + Quote(folder / "in.mkv")),
              0);
    ASSERT_EQ(Run("ffmpeg -y -v error -i " + Quote(folder / "in.mkv") + " -start_number 0 " +
                  Quote(folder / "in_%04d.png")),
              0);
    ASSERT_EQ(Run("ffmpeg -y -v error -i " + Quote(folder / "in.mkv") +
                  " -f rawvideo -pix_fmt rgba " + Quote(folder / "in.raw")),
              0);
  }

  int Run(const std::string& command) {
    const int status = Shell(command, folder / "out.txt", folder / "err.txt");
    lastErr = ReadFile(folder / "err.txt");
    return status;
  }

  /// The command's frames for the clip, as raw RGBA.
  std::string Expected(const std::string& preset) {
    const std::string options = preset.empty() ? "" : " --preset " + Quote(folder / preset);
    EXPECT_EQ(Run(std::string(JF_CLI_PATH) + " render -q " + Quote(folder / "in_%04d.png") + " " +
                  Quote(folder / "ref_%04d.png") + " --frames 0-" + std::to_string(kFrames - 1) +
                  options),
              0)
        << lastErr;
    EXPECT_EQ(Run("ffmpeg -y -v error -start_number 0 -i " + Quote(folder / "ref_%04d.png") +
                  " -f rawvideo -pix_fmt rgba " + Quote(folder / "ref.raw")),
              0)
        << lastErr;
    return ReadFile(folder / "ref.raw");
  }

  /// ffmpeg's frei0r filter on the clip, its output piped through standard output.
  std::string ThroughFfmpeg(const std::string& filterParams) {
    EXPECT_EQ(Ffmpeg("", "in.mkv",
                     "frei0r=jitterforge" + (filterParams.empty() ? "" : ":" + filterParams)),
              0);
    return ReadFile(folder / "ffmpeg.raw");
  }

  /// ffmpeg filtering a clip of the folder with vf, environment before it; its exit status.
  int Ffmpeg(const std::string& environment, const std::string& clip, const std::string& vf) {
    const int status =
        Shell(HostEnvironment() + environment + " FREI0R_PATH=" + Quote(kFilterFolder) +
                  " ffmpeg -y -v error -i " + Quote(folder / clip) + " -vf \"" + vf +
                  "\" -f rawvideo -pix_fmt rgba -",
              folder / "ffmpeg.raw", folder / "err.txt");
    lastErr = ReadFile(folder / "err.txt");
    return status;
  }

  /// melt's frei0r filter on the clip in a profile of its size.
  std::string ThroughMelt(const std::string& properties) {
    std::ofstream(folder / "profile")
        // melt 7.12 crashes on a profile without a description.
        << "description=test\nframe_rate_num=25\nframe_rate_den=1\nwidth=" << kWidth
        << "\nheight=" << kHeight
        << "\nprogressive=1\nsample_aspect_num=1\nsample_aspect_den=1\n"
           "display_aspect_num=4\ndisplay_aspect_den=3\ncolorspace=709\n";
    EXPECT_EQ(Run(HostEnvironment() + "FREI0R_PATH=" + Quote(kFilterFolder) +
                  " melt -silent -profile " + Quote(folder / "profile") + " " +
                  Quote(folder / "in.mkv") + " -filter frei0r.jitterforge " + properties +
                  " -consumer avformat:" + Quote(folder / "melt.nut") +
                  " vcodec=rawvideo pix_fmt=rgba an=1"),
              0)
        << lastErr;
    const std::string meltErr = lastErr;
    EXPECT_EQ(Run("ffmpeg -y -v error -i " + Quote(folder / "melt.nut") +
                  " -f rawvideo -pix_fmt rgba " + Quote(folder / "melt.raw")),
              0);
    lastErr = meltErr;
    return ReadFile(folder / "melt.raw");
  }

  ScratchFolder folder;
  std::string lastErr;
};

constexpr std::size_t kClipBytes = std::size_t{kWidth} * kHeight * 4 * kFrames;

TEST_F(Hosts, FfmpegGivesTheCommandsFramesWithDefaults) {
  const std::string expected = Expected("");
  ASSERT_EQ(expected.size(), kClipBytes);
  const std::string got = ThroughFfmpeg("");
  // Exactly the frames: no line of the effect's reached the pipe.
  ASSERT_EQ(got.size(), kClipBytes) << lastErr;
  EXPECT_TRUE(got == expected);
  EXPECT_TRUE(got != ReadFile(folder / "in.raw"));
}

TEST_F(Hosts, FfmpegGivesTheCommandsFramesWithAPresetAndItsKeyframes) {
  const std::string expected = Expected("all.json");
  ASSERT_EQ(expected.size(), kClipBytes);
  const std::string got = ThroughFfmpeg((folder / "all.json").string());
  ASSERT_EQ(got.size(), kClipBytes) << lastErr;
  EXPECT_TRUE(got == expected);
  // The keyframes move the blocks from frame to frame (ffmpeg's times are milliseconds).
  const std::size_t frame = kClipBytes / kFrames;
  EXPECT_TRUE(got.substr(0, frame) != got.substr(frame, frame));
}

std::size_t Lines(const std::string& text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(Hosts, FfmpegWithAPresetThatIsMissingPassesTheClipThroughAndSaysSoOnce) {
  const std::string got = ThroughFfmpeg((folder / "nowhere.json").string());
  EXPECT_TRUE(got == ReadFile(folder / "in.raw"));
  EXPECT_EQ(lastErr.rfind("jitterforge: ", 0), 0u) << lastErr;
  EXPECT_NE(lastErr.find("nowhere.json"), std::string::npos) << lastErr;
  EXPECT_EQ(Lines(lastErr), 1u) << lastErr;
}

TEST_F(Hosts, FfmpegWithAPresetThatCannotBeUsedEndsWithStatusTwoWhenStrict) {
  std::ofstream(folder / "broken.json") << "{\"parameters\": {";
  for (const std::string preset : {"nowhere.json", "broken.json"}) {
    SCOPED_TRACE(preset);
    EXPECT_EQ(Ffmpeg("JITTERFORGE_STRICT=1", "in.mkv",
                     "frei0r=jitterforge:" + (folder / preset).string()),
              2);
    EXPECT_EQ(lastErr.rfind("jitterforge: ", 0), 0u) << lastErr;
    EXPECT_NE(lastErr.find(preset), std::string::npos) << lastErr;
    EXPECT_NE(lastErr.find("JITTERFORGE_STRICT"), std::string::npos) << lastErr;
    EXPECT_EQ(Lines(lastErr), 1u) << lastErr;
  }
  // Strict changes nothing for a preset that works.
  EXPECT_EQ(Ffmpeg("JITTERFORGE_STRICT=1", "in.mkv",
                   "frei0r=jitterforge:" + (folder / "all.json").string()),
            0);
  EXPECT_TRUE(ReadFile(folder / "ffmpeg.raw") == Expected("all.json"));
}

TEST_F(Hosts, FfmpegAtAWidthItPadsSaysSoOnceAndPaddingAroundTheFilterAvoidsIt) {
  // Every stage off: the filter changes nothing, so whatever changes is ffmpeg's doing.
  std::ofstream(folder / "none.json") << R"({"parameters": {
    "Basic Blocks/Enable Basic Blocks": false, "Pixel Sorter/Enable Pixel Sorter": false,
    "Elements Scatter/Enable Elements Scatter": false, "Blur Blocks/Enable Blur Blocks": false,
    "Noise/Enable Noise": false, "Warp/Enable Warp": false, "Split RGB/Enable Split RGB": false}})";
  ASSERT_EQ(Run("ffmpeg -y -v error -f lavfi -i testsrc=size=161x97:rate=25 -frames:v 3 -c:v ffv1 "
                "-pix_fmt bgra " +
                Quote(folder / "odd.mkv")),
            0);
  ASSERT_EQ(Run("ffmpeg -y -v error -i " + Quote(folder / "odd.mkv") +
                " -f rawvideo -pix_fmt rgba " + Quote(folder / "odd.raw")),
            0);
  const std::string input = ReadFile(folder / "odd.raw");
  const std::string filter = "frei0r=jitterforge:" + (folder / "none.json").string();

  EXPECT_EQ(Ffmpeg("", "odd.mkv", filter), 0);
  EXPECT_TRUE(ReadFile(folder / "ffmpeg.raw") != input);  // sheared
  EXPECT_EQ(lastErr.rfind("jitterforge: ", 0), 0u) << lastErr;
  EXPECT_NE(lastErr.find("pad=ceil(iw/16)*16:ih"), std::string::npos) << lastErr;
  EXPECT_NE(lastErr.find("crop=161:97:0:0"), std::string::npos) << lastErr;
  EXPECT_EQ(Lines(lastErr), 1u) << lastErr;

  // The README's recipe: the frames come back whole, and nothing is said.
  EXPECT_EQ(Ffmpeg("", "odd.mkv", "pad=ceil(iw/16)*16:ih," + filter + ",crop=161:97:0:0"), 0);
  EXPECT_TRUE(ReadFile(folder / "ffmpeg.raw") == input);
  EXPECT_EQ(lastErr, "");
}

TEST_F(Hosts, MeltGivesTheCommandsFramesWithDefaultsAndWithAPreset) {
  if (!HaveProgram("melt")) GTEST_SKIP() << "melt is not installed";
  EXPECT_TRUE(ThroughMelt("") == Expected(""));
  const std::string got = ThroughMelt("preset=" + Quote(folder / "all.json"));
  ASSERT_EQ(got.size(), kClipBytes) << lastErr;
  EXPECT_TRUE(got == Expected("all.json"));
}

TEST_F(Hosts, MeltRenderingInBandsPassesTheClipThroughAndSaysWhy) {
  if (!HaveProgram("melt")) GTEST_SKIP() << "melt is not installed";
  const std::string got = ThroughMelt("threads=2");
  EXPECT_TRUE(got == ReadFile(folder / "in.raw"));
  EXPECT_NE(lastErr.find("horizontal bands"), std::string::npos) << lastErr;
}

}  // namespace
}  // namespace jf::frei0r_test
