// The PiPL bytes, as the module carries them and a host reads them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "entry/pipl.h"
#include "headless/module.h"

namespace {

// Written out by hand from the property table: header (1, 0, 12), then per property the vendor
// "8BIM" and the key as little-endian four-character codes (their letters reversed), id 0, the
// value length and the value padded to 4 bytes.
// clang-format off
const std::vector<std::uint8_t> kExpected = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00,
    // kind: 'eFKT'
    'M', 'I', 'B', '8', 'd', 'n', 'i', 'k', 0, 0, 0, 0, 4, 0, 0, 0, 'T', 'K', 'F', 'e',
    // name: length-prefixed "Jitterforge", 12 bytes
    'M', 'I', 'B', '8', 'e', 'm', 'a', 'n', 0, 0, 0, 0, 12, 0, 0, 0,
    11, 'J', 'i', 't', 't', 'e', 'r', 'f', 'o', 'r', 'g', 'e',
    // catg: length-prefixed "Tarnwell", 9 bytes padded to 12
    'M', 'I', 'B', '8', 'g', 't', 'a', 'c', 0, 0, 0, 0, 12, 0, 0, 0,
    8, 'T', 'a', 'r', 'n', 'w', 'e', 'l', 'l', 0, 0, 0,
    // 8664: "EntryPointFunc" and its NUL, 15 bytes padded to 16
    'M', 'I', 'B', '8', '4', '6', '6', '8', 0, 0, 0, 0, 16, 0, 0, 0,
    'E', 'n', 't', 'r', 'y', 'P', 'o', 'i', 'n', 't', 'F', 'u', 'n', 'c', 0, 0,
    // ePVR: 2, 0
    'M', 'I', 'B', '8', 'R', 'V', 'P', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0,
    // eSVR: 13, 9
    'M', 'I', 'B', '8', 'R', 'V', 'S', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 13, 0, 9, 0,
    // eVER: 0x00081801
    'M', 'I', 'B', '8', 'R', 'E', 'V', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x01, 0x18, 0x08, 0x00,
    // eINF: 16-bit 0, length 2, padded
    'M', 'I', 'B', '8', 'F', 'N', 'I', 'e', 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0,
    // eGLO: 0x06000000
    'M', 'I', 'B', '8', 'O', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x00, 0x00, 0x00, 0x06,
    // eGL2: 0x00001408
    'M', 'I', 'B', '8', '2', 'L', 'G', 'e', 0, 0, 0, 0, 4, 0, 0, 0, 0x08, 0x14, 0x00, 0x00,
    // eMNA: length-prefixed "TarnwellJitterforge", 20 bytes
    'M', 'I', 'B', '8', 'A', 'N', 'M', 'e', 0, 0, 0, 0, 20, 0, 0, 0,
    19, 'T', 'a', 'r', 'n', 'w', 'e', 'l', 'l', 'J', 'i', 't', 't', 'e', 'r', 'f', 'o', 'r', 'g', 'e',
    // aeFL: 0
    'M', 'I', 'B', '8', 'L', 'F', 'e', 'a', 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0,
};
// clang-format on

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Pipl, BytesMatchThePropertyTable) {
  const auto bytes = jf::PiplBytes();
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), kExpected);
}

// The module's container (the ELF section ".pipl", the Windows resource "PiPL" 16000) and the
// file the build writes for the resource compiler hold the very bytes above.
TEST(Pipl, ModuleAndResourceFileCarryTheBytes) {
  EXPECT_EQ(jf::headless::ReadModulePipl(JF_MODULE_PATH), kExpected);
  EXPECT_EQ(ReadFile(JF_PIPL_BIN), kExpected);
}

TEST(Pipl, HostReadsNameEntryPointAndFlags) {
  const auto module = jf::headless::Module::Load(JF_MODULE_PATH);
  const auto& pipl = module.GetPipl();
  EXPECT_EQ(pipl.kind, "eFKT");
  EXPECT_EQ(pipl.name, "Jitterforge");
  EXPECT_EQ(pipl.category, "Tarnwell");
  EXPECT_EQ(pipl.matchName, "TarnwellJitterforge");
  EXPECT_EQ(pipl.entryPoint, "EntryPointFunc");
  EXPECT_EQ(pipl.effectVersion, 0x00081801u);
  EXPECT_EQ(pipl.outFlags, 0x06000000u);
  EXPECT_EQ(pipl.outFlags2, 0x00001408u);
  EXPECT_NE(module.EntryPoint(), nullptr);
}

}  // namespace
