// Hostile and careless input through the command: huge claims, deep or oversized presets,
// numbers and frames past what the host carries, tampered metadata. Each is refused with one
// line and status 2 before any frame renders, in bounded memory; long runs stay flat.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/image_io.h"
#include "tests/cli/cli_support.h"

namespace jf::cli::testing {
namespace {

// The peak resident memory, in KiB, of the shell line run as a child, and its exit status.
std::pair<long, int> PeakOf(const std::string& line) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", line.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  return {usage.ru_maxrss, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

std::string BigEndian(std::uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

std::string Chunk(const std::string& type, const std::string& data) {
  return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data +
         BigEndian(Crc32(type + data));
}

// A PNG whose header claims side x side pixels of 16-bit RGBA and whose data is 100 bytes.
std::string ClaimingPng(std::uint32_t side) {
  const std::string header = BigEndian(side) + BigEndian(side) + std::string("\x10\x06\0\0\0", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) +
         Chunk("IDAT", std::string(100, '\x55')) + Chunk("IEND", "");
}

std::string Nested(std::size_t levels) {
  return R"({"parameters": {"Warp/Offset": )" + std::string(levels, '[') +
         std::string(levels, ']') + "}}";
}

// An image that records text as its preset, as a tampered file would.
void Recording(const std::string& path, const std::string& preset) {
  WriteImage(path, MakeSample(8, 8, 8), {{"jitterforge:preset", preset}});
}

struct Refusal {
  std::string name;
  std::string args;  // with IN, SRC for the scratch input and folder
  std::string says;
};

void PrintTo(const Refusal& r, std::ostream* os) {
  *os << r.args;
}

class Refused : public CliTest, public ::testing::WithParamInterface<Refusal> {
 protected:
  // The hostile files, made once for every case.
  static void SetUpTestSuite() {
    fs::create_directories(Source(""));
    WriteImage(Source("in.png"), MakeSample(8, 8, 8));
    WriteText(Source("huge.png"), ClaimingPng(30000));
    WriteText(Source("claim.png"), ClaimingPng(10000));
    WriteText(Source("deep.json"), Nested(100000));
    WriteText(Source("overflow.json"), R"({"parameters": {"Warp/Offset": 1e400}})");
    WriteText(Source("twice.json"), R"({"parameters": {"Warp/Offset": 1, "Warp/Offset": 2}})");
    WriteText(Source("large.json"),
              R"({"parameters": {"Warp/Offset": ")" + std::string(17 << 20, 'x') + "\"}}");
    Recording(Source("deep.png"), Nested(100000));
    Recording(Source("depth.png"), R"({"render": {"depth": 64}, "parameters": {}})");
    Recording(Source("factor.png"), R"({"render": {"downsample_x": "0/0"}, "parameters": {}})");
    Recording(Source("number.png"), R"({"parameters": {"Warp/Offset": -1e999}})");
  }
  static void TearDownTestSuite() { fs::remove_all(Source("")); }
  static std::string Source(const std::string& name) {
    return (fs::temp_directory_path() / ("jf-limits-" + std::to_string(::getpid())) / name)
        .string();
  }
};

TEST_P(Refused, OneLineStatusTwoNothingWrittenInBoundedMemory) {
  // SRC names the hostile files, OUT this case's own folder.
  std::string args = GetParam().args;
  for (const auto& [token, value] : {std::pair{"SRC", Source("")}, std::pair{"OUT", Path("")}}) {
    for (std::size_t at; (at = args.find(token)) != std::string::npos;) {
      args.replace(at, std::string(token).size(), value);
    }
  }
  const std::string errFile = Path("err.txt");
  const auto [peakKiB, status] = PeakOf(std::string(JF_CLI_PATH) + " " + args + " </dev/null >" +
                                        Path("out.txt") + " 2>" + errFile);
  const std::string err = ReadText(errFile);
  EXPECT_EQ(status, 2) << err;
  EXPECT_EQ(Lines(err), 1) << err;
  EXPECT_LT(err.size(), 400u) << err;
  EXPECT_NE(err.find(GetParam().says), std::string::npos) << err;
  EXPECT_EQ(err.find("json.exception"), std::string::npos) << err;
  EXPECT_EQ(ReadText(Path("out.txt")), "");
  EXPECT_EQ(Files(), (std::vector<std::string>{"err.txt", "out.txt"}));
  // Far below what believing any of these claims would take (gigabytes).
  EXPECT_LT(peakKiB, 1024 * 1024) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, Refused,
    ::testing::Values(
        Refusal{"HugeClaim", "render SRChuge.png OUTout.png", "over the pixel budget"},
        Refusal{"HugeClaimAtFloat",
                "render SRChuge.png OUTout.exr --depth 32 --max-pixels 999999999", "needs about"},
        Refusal{"ClaimWithoutData", "render SRCclaim.png OUTout.exr --depth 32",
                "claim.png' (rows 0 to"},
        Refusal{"HugeStream", "stream --size 30000x30000", "--size: 30000x30000"},
        Refusal{"DeepPreset", "render SRCin.png OUTout.png --preset SRCdeep.json",
                "deep.json:1:94: nested deeper than 64 levels"},
        Refusal{"NumberOverflow", "render SRCin.png OUTout.png --preset SRCoverflow.json",
                "overflow.json:1:32: the number \"1e400\" is too large"},
        Refusal{"RepeatedKey", "render SRCin.png OUTout.png --preset SRCtwice.json",
                "twice.json:1:35: the key \"Warp/Offset\" is given twice"},
        Refusal{"LargePreset", "render SRCin.png OUTout.png --preset SRClarge.json", "16 MiB"},
        Refusal{"DeepRecordedPreset", "render --preset-from SRCdeep.png SRCin.png OUTout.png",
                "deep.png (its recorded preset):1:94: nested deeper"},
        Refusal{"RecordedDepth", "render --preset-from SRCdepth.png SRCin.png OUTout.png",
                "\"render\" records depth 8, 16 or 32"},
        Refusal{"RecordedFactor", "render --preset-from SRCfactor.png SRCin.png OUTout.png",
                "(its recorded preset): \"render\".downsample_x takes a factor"},
        Refusal{"RecordedOverflow", "render --preset-from SRCnumber.png SRCin.png OUTout.png",
                "too large for a double"},
        Refusal{"EndlessRange", "render SRCin.png OUTout_%d.png --frames 0-9999999999999",
                "frame 9999999999999 lies outside what the host's 32-bit time carries at 25 fps"},
        Refusal{"RangePastTheTime", "render SRCin.png OUTout_%d.png --frames 2147483646-2147483650",
                "frame 2147483650 lies outside"},
        Refusal{"RangePastTheTimeAtNtsc",
                "render SRCin.png OUTout_%d.png --frames 0-2147483646 --fps ntsc",
                "(frames 0 to 2145338)"},
        Refusal{"RateWithManyPlaces", "render SRCin.png OUTout.png --fps 1.0000000000000000000001",
                "--fps takes a frame rate"},
        Refusal{"LongValue",
                "render SRCin.png OUTout.png --set Warp/Offset=" + std::string(5000, '9') + "x",
                "takes a number, not \"999"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CliTest, ALongSequenceRendersInFlatMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer keeps freed memory in quarantine, so memory grows anyway";
#endif
  WriteImage(Path("in.png"), MakeSample(8, 3, 3));
  auto peak = [&](int frames) {
    const auto [kib, status] =
        PeakOf(std::string(JF_CLI_PATH) + " render -q " + Path("in.png") + " " + Path("o_%d.png") +
               " --frames 1-" + std::to_string(frames) + " --set 'Warp/Enable Warp=on'");
    EXPECT_EQ(status, 0);
    return kib;
  };
  const long few = peak(20);
  const long many = peak(420);
  // Each frame's recorded preset is several kilobytes: 400 more frames that each kept
  // something of theirs would add megabytes.
  EXPECT_LT(many - few, 1024) << few << " KiB after 20 frames, " << many << " KiB after 420";
}

}  // namespace
}  // namespace jf::cli::testing
