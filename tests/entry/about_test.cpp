// The About text with a chosen year, through the host's ANSI suite.
#include <gtest/gtest.h>

#include <string>

#include "entry/global.h"
#include "headless/instance.h"

namespace {

TEST(About, YearRangeEndsWithTheGivenYear) {
  jf::headless::Host host;
  std::string text = host.Run([&] {
    PF_InData in{};
    in.pica_basicP = host.BasicSuite();
    PF_OutData out{};
    EXPECT_EQ(jf::About(&in, &out, 2031), PF_Err_NONE);
    return std::string(out.return_msg);
  });
  EXPECT_EQ(text,
            "Jitterforge v1.0.3\r\rThe Zoradozu Vivezo Dadizuz\r\r\rCopyright 2025-2031 Tarnwell");
  EXPECT_EQ(host.Leaks(), "");
}

}  // namespace
