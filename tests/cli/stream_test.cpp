// Raw video streams through standard input and output, mattes, and the contact sheet.
#include <gtest/gtest.h>

#include <OpenImageIO/imageio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

#include "cli/image_io.h"
#include "cli/stream_command.h"
#include "tests/cli/cli_support.h"

namespace jf::cli::testing {
namespace {

std::vector<std::uint8_t> Pixels(const std::string& path) {
  return ReadImage(path, 8).data;
}

TEST(RawFrames, LayoutsMapOntoTheHostsPixels) {
  // One pixel, red 0.25, green 0.5, blue 0.75, alpha 1, in each layout.
  const float planes[4] = {0.5f, 0.75f, 0.25f, 1.0f};  // G, B, R, A
  std::uint8_t raw[16];
  std::memcpy(raw, planes, 16);
  const HostImage f = FromRaw(PixFmt::Gbrapf32le, 1, 1, raw);
  float argb[4];
  std::memcpy(argb, f.data.data(), 16);
  EXPECT_EQ(argb[0], 1.0f);
  EXPECT_EQ(argb[1], 0.25f);
  EXPECT_EQ(argb[2], 0.5f);
  EXPECT_EQ(argb[3], 0.75f);
  std::uint8_t back[16];
  ToRaw(PixFmt::Gbrapf32le, f, back);
  EXPECT_EQ(std::memcmp(back, raw, 16), 0);

  const std::uint16_t words[4] = {65535, 1, 32768, 0};  // R, G, B, A
  std::memcpy(raw, words, 8);
  const HostImage w = FromRaw(PixFmt::Rgba64le, 1, 1, raw);
  std::uint16_t host[4];
  std::memcpy(host, w.data.data(), 8);
  EXPECT_EQ(host[0], 0);      // alpha
  EXPECT_EQ(host[1], 32768);  // white is 32768 in the host
  EXPECT_EQ(host[2], 1);      // round(1 × 32768 / 65535) = round(0.50001)
  EXPECT_EQ(host[3], 16384);  // round(32768 × 32768 / 65535) = round(16384.25)

  const std::uint8_t bytes[4] = {10, 20, 30, 40};  // R, G, B, A
  const HostImage b = FromRaw(PixFmt::Rgba, 1, 1, bytes);
  EXPECT_EQ(b.data, (std::vector<std::uint8_t>{40, 10, 20, 30}));
  EXPECT_EQ(FrameBytes(PixFmt::Gbrapf32le, 3, 2), 96u);
}

class Stream : public CliTest {};

TEST_F(Stream, AnFfmpegPipeMatchesRenderingTheSameFrames) {
  if (Shell("command -v ffmpeg >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "ffmpeg is not installed (scripts/dev.sh installs it)";
  }
  WriteText(Path("look.json"), R"({"parameters": {
    "Basic Blocks/Number Of Blocks": 6, "Basic Blocks/Maximum Horizontal Offset": 16,
    "Basic Blocks/Block Size/Minimum Width": 8, "Basic Blocks/Block Size/Minimum Height": 4,
    "Basic Blocks/Position Random Seed": {"schedule": {"seed": 5, "every": 2}},
    "Split RGB/Enable Split RGB": true,
    "Split RGB/Red Channel/Horizontal Offset": {"keyframes": [{"frame": 0, "value": 0},
                                                            {"frame": 5, "value": 10}]}}})");
  const std::string source = "ffmpeg -v error -f lavfi -i testsrc=size=64x48:rate=24 -frames:v 6 ";
  ASSERT_EQ(Shell(source + "-pix_fmt rgba -start_number 0 -y " + Path("src_%d.png")), 0);
  const std::string pipe =
      source + "-f rawvideo -pix_fmt rgba - | " + JF_CLI_PATH +
      " stream --size 64x48 --fps 24 --preset " + Path("look.json") + " 2>" + Path("stream.err") +
      " | ffmpeg -v error -f rawvideo -pix_fmt rgba -s 64x48 -r 24 -i - -start_number 0 -y " +
      Path("piped_%d.png");
  ASSERT_EQ(Shell("bash -o pipefail -c '" + pipe + "'"), 0) << ReadText(Path("stream.err"));
  EXPECT_EQ(ReadText(Path("stream.err")), "");
  const Result r = RunCli("render --fps 24 --preset " + Path("look.json") + " " +
                          Path("src_%d.png") + " " + Path("rendered_%d.png") + " --frames 0-5");
  ASSERT_EQ(r.status, 0) << r.err;
  for (int f = 0; f < 6; ++f) {
    const std::string n = std::to_string(f);
    EXPECT_EQ(Pixels(Path("piped_" + n + ".png")), Pixels(Path("rendered_" + n + ".png"))) << f;
    EXPECT_NE(Pixels(Path("piped_" + n + ".png")), Pixels(Path("src_" + n + ".png"))) << f;
  }
  EXPECT_FALSE(fs::exists(Path("piped_6.png")));
}

TEST_F(Stream, ACutShortFrameIsAnErrorAndIsNotWritten) {
  const std::size_t frame = 8 * 6 * 4;
  WriteText(Path("in.raw"), std::string(frame * 2 + frame / 2, '\x40'));
  const Result r = RunCli("stream --size 8x6", Path("in.raw"));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Lines(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("96 bytes into frame 2"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.size(), frame * 2);  // the whole frames, and nothing else
  for (const std::string& args :
       {std::string("stream --size 8x"), std::string("stream --size 8x6 --pix-fmt yuv420p"),
        "stream --size 8x6 --preset " + Path("missing.json")}) {
    const Result bad = RunCli(args, Path("in.raw"));
    EXPECT_EQ(bad.status, 2) << args;
    EXPECT_EQ(Lines(bad.err), 1) << bad.err;
    EXPECT_EQ(bad.out, "") << args;
  }
  // No input at all is an empty stream, not an error.
  WriteText(Path("empty.raw"), "");
  const Result empty = RunCli("stream --size 8x6 --pix-fmt gbrapf32le", Path("empty.raw"));
  EXPECT_EQ(empty.status, 0) << empty.err;
  EXPECT_EQ(empty.out, "");
}

TEST_F(Stream, AMatteKeepsTheOriginalWhereItIsBlack) {
  const HostImage input = MakeSample(8, 32, 16);
  WriteImage(Path("in.png"), input);
  // Opaque, white on the left half, black on the right: read as luma, since it has no alpha.
  {
    auto out = OIIO::ImageOutput::create(Path("matte.png"));
    OIIO::ImageSpec imageSpec(32, 16, 3, OIIO::TypeDesc::UINT8);
    std::vector<std::uint8_t> rgb(32 * 16 * 3);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) std::memset(&rgb[(y * 32 + x) * 3], 255, 3);
    }
    ASSERT_TRUE(out->open(Path("matte.png"), imageSpec));
    ASSERT_TRUE(out->write_image(OIIO::TypeDesc::UINT8, rgb.data()));
    out->close();
  }
  const std::string look = " --set 'Split RGB/Enable Split RGB=on' --set 'Noise/Enable Noise=on' ";
  ASSERT_EQ(RunCli("render" + look + Path("in.png") + " " + Path("full.png")).status, 0);
  for (const bool invert : {false, true}) {
    const Result r = RunCli("render" + look + Path("in.png") + " " + Path("matted.png") +
                            " --matte " + Path("matte.png") + (invert ? " --invert-matte" : ""));
    ASSERT_EQ(r.status, 0) << r.err;
    const auto full = Pixels(Path("full.png"));
    const auto matted = Pixels(Path("matted.png"));
    for (std::size_t i = 0; i < matted.size(); ++i) {
      const bool left = (i / 4) % 32 < 16;
      const auto& expected = left != invert ? full : input.data;
      ASSERT_EQ(matted[i], expected[i]) << "byte " << i << (invert ? " inverted" : "");
    }
  }
  const Result alpha = RunCli("render " + Path("in.png") + " " + Path("x.png") + " --matte " +
                              Path("matte.png") + " --matte-channel alpha");
  EXPECT_EQ(alpha.status, 2);
  EXPECT_NE(alpha.err.find("no alpha channel"), std::string::npos) << alpha.err;
  WriteImage(Path("small.png"), MakeSample(8, 8, 8));
  const Result size =
      RunCli("render " + Path("in.png") + " " + Path("x.png") + " --matte " + Path("small.png"));
  EXPECT_EQ(size.status, 2);
  EXPECT_NE(size.err.find("is 8x8, the frame 32x16"), std::string::npos) << size.err;
  EXPECT_FALSE(fs::exists(Path("x.png")));
}

TEST_F(Stream, AStreamMatteIsOneStillOrANumberedSequence) {
  // Two frames of 8x4; matte_0 white on the left half, matte_1 on the right, "still" as matte_0.
  const HostImage input = MakeSample(8, 8, 4);
  std::string raw(FrameBytes(PixFmt::Rgba, 8, 4), '\0');
  ToRaw(PixFmt::Rgba, input, reinterpret_cast<std::uint8_t*>(raw.data()));
  WriteText(Path("in.raw"), raw + raw);
  for (int f = 0; f < 2; ++f) {
    HostImage matte = MakeSample(8, 8, 4);
    for (std::size_t i = 0; i < matte.data.size(); ++i) {
      const bool left = (i / 4) % 8 < 4;
      matte.data[i] = i % 4 == 0 ? 255 : (left == (f == 0) ? 255 : 0);
    }
    WriteImage(Path("matte_" + std::to_string(f) + ".png"), matte);
  }
  const std::string stream =
      "stream --size 8x4 --set 'Split RGB/Enable Split RGB=on' "
      "--set 'Noise/Enable Noise=on' --matte-channel luma ";
  const Result full = RunCli(stream.substr(0, stream.find("--matte-channel")), Path("in.raw"));
  ASSERT_EQ(full.status, 0) << full.err;
  struct Case {
    std::string options;
    int whiteFrame1;  // the half frame 1's matte is white on: 0 left, 1 right
    bool invert;
    float mix;
  };
  for (const Case& c : {Case{"--matte " + Path("matte_0.png"), 0, false, 1.0f},
                        Case{"--matte " + Path("matte_%d.png"), 1, false, 1.0f},
                        Case{"--matte " + Path("matte_%d.png") + " --invert-matte", 1, true, 1.0f},
                        Case{"--matte " + Path("matte_0.png") + " --mix 0.5", 0, false, 0.5f}}) {
    const Result r = RunCli(stream + c.options, Path("in.raw"));
    ASSERT_EQ(r.status, 0) << c.options << ": " << r.err;
    ASSERT_EQ(r.out.size(), full.out.size()) << c.options;
    for (std::size_t i = 0; i < r.out.size(); ++i) {
      const std::size_t frame = i / raw.size();
      const bool left = (i / 4) % 8 < 4;
      const bool white = (left == ((frame == 0 ? 0 : c.whiteFrame1) == 0)) != c.invert;
      const auto o = static_cast<std::uint8_t>(raw[i % raw.size()]);
      const auto e = static_cast<std::uint8_t>(full.out[i]);
      // White in luma is the weights' sum, in float as the matte has it.
      const float m = std::min(0.2126f + 0.7152f + 0.0722f, 1.0f) * c.mix;
      const auto expected = white ? static_cast<std::uint8_t>(std::lround(o + (e - o) * m)) : o;
      ASSERT_EQ(static_cast<std::uint8_t>(r.out[i]), expected) << c.options << " byte " << i;
    }
  }
  // A sequence missing a frame's matte stops at that frame, which is not written.
  fs::remove(Path("matte_1.png"));
  const Result missing = RunCli(stream + "--matte " + Path("matte_%d.png"), Path("in.raw"));
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("matte_1.png"), std::string::npos) << missing.err;
  EXPECT_EQ(missing.out.size(), raw.size());
  const Result alone = RunCli("stream --size 8x4 --invert-matte", Path("in.raw"));
  EXPECT_EQ(alone.status, 2);
  EXPECT_EQ(alone.out, "");
}

TEST_F(Stream, TheSheetShowsTheInputEachStageAndTheChain) {
  fs::create_directories(Path("tiles"));
  WriteImage(Path("in.png"), MakeSample(8, 48, 27));
  const Result r =
      RunCli("sheet " + Path("in.png") + " " + Path("sheet.png") + " --tiles " + Path("tiles"));
  ASSERT_EQ(r.status, 0) << r.err;
  const HostImage sheet = ReadImage(Path("sheet.png"), 8);
  EXPECT_EQ(sheet.width, 3 * (48 + 4) + 4);
  EXPECT_EQ(sheet.height, 3 * (27 + 7 + 8) + 4);
  std::set<std::vector<std::uint8_t>> distinct;
  for (const char* tile : {"input", "basic_blocks", "pixel_sorter", "elements_scatter",
                           "blur_blocks", "noise", "warp", "split_rgb", "all_stages"}) {
    distinct.insert(Pixels(Path(std::string("tiles/") + tile + ".png")));
  }
  EXPECT_EQ(distinct.size(), 9u);  // every stage shows
  EXPECT_EQ(Pixels(Path("tiles/input.png")), Pixels(Path("in.png")));
}

}  // namespace
}  // namespace jf::cli::testing
