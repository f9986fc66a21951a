// --mix: the rendered frame blended over the original by a constant amount, alone or within a
// matte, for rendered files and for streams.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cli/image_io.h"
#include "tests/cli/cli_support.h"

namespace {

using jf::cli::HostImage;
using jf::cli::testing::CliTest;
using jf::cli::testing::Lines;
using jf::cli::testing::ReadText;
using jf::cli::testing::Result;
using jf::cli::testing::RunCli;
using jf::cli::testing::WriteText;

TEST_F(CliTest, MixBlendsTheRenderOverTheOriginalWithinTheMatte) {
  constexpr int kWidth = 64, kHeight = 36;
  const HostImage input = jf::cli::MakeSample(8, kWidth, kHeight);
  jf::cli::WriteImage(Path("in.png"), input);
  // Opaque white on the left half, black on the right: luma coverage 1 and 0.
  HostImage matte = input;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &matte.data[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[0] = 255;
      p[1] = p[2] = p[3] = x < kWidth / 2 ? 255 : 0;
    }
  }
  jf::cli::WriteImage(Path("matte.png"), matte);
  const std::string render = "render " + Path("in.png") + " ";
  // Basic Blocks, on by default, moves blocks towards the middle from both sides.
  ASSERT_EQ(RunCli(render + Path("full.png")).status, 0);
  for (const std::string mix : {"0", "0.5", "0.25"}) {
    for (const bool matted : {false, true}) {
      const std::string out = Path("mix" + mix + (matted ? "m" : "") + ".png");
      const Result r =
          RunCli(render + out + " --mix " + mix +
                 (matted ? " --matte " + Path("matte.png") + " --matte-channel luma" : ""));
      ASSERT_EQ(r.status, 0) << r.err;
      const HostImage full = jf::cli::ReadImage(Path("full.png"), 8);
      const HostImage mixed = jf::cli::ReadImage(out, 8);
      const double m = std::stod(mix);
      for (std::size_t i = 0; i < input.data.size(); ++i) {
        const bool inside = !matted || (i / 4) % kWidth < kWidth / 2;
        const double o = input.data[i];
        const double want = inside ? std::lround(o + (full.data[i] - o) * m) : o;
        ASSERT_EQ(mixed.data[i], want)
            << "mix " << mix << (matted ? " in the matte" : "") << " at byte " << i;
      }
    }
  }
  EXPECT_NE(ReadText(Path("full.png")), ReadText(Path("mix0.5.png")));

  // A stream mixed to 0 gives its frames back.
  std::string raw(static_cast<std::size_t>(kWidth) * kHeight * 4 * 2, '\0');
  for (std::size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<char>(i * 7 % 251);
  WriteText(Path("in.raw"), raw);
  const Result stream = RunCli("stream --size 64x36 --mix 0", Path("in.raw"));
  ASSERT_EQ(stream.status, 0) << stream.err;
  EXPECT_EQ(stream.out, raw);

  for (const std::string bad : {"-0.1", "1.5", "half"}) {
    const Result r = RunCli(render + Path("bad.png") + " --mix " + bad);
    EXPECT_EQ(r.status, 2) << bad;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
  }
}

}  // namespace
