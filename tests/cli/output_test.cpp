// Output files: replaced whole or not at all, whatever step of the write fails, keeping the old
// file's mode, owner and links; refused before rendering where they cannot be written.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli/errors.h"
#include "cli/image_io.h"
#include "cli/output_file.h"
#include "tests/cli/cli_support.h"

namespace jf::cli::testing {
namespace {

unsigned ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

class Output : public CliTest {
 protected:
  // An existing output with known bytes and a private mode.
  void Existing(const std::string& path) {
    WriteText(path, "the old output");
    ::chmod(path.c_str(), 0640);
  }
  void ExpectKept(const std::string& path) {
    EXPECT_EQ(ReadText(path), "the old output") << path;
    EXPECT_EQ(ModeOf(path), 0640u) << path;
  }
};

class EveryWriteStep : public Output, public ::testing::WithParamInterface<WriteStep> {};

TEST_P(EveryWriteStep, AFailureKeepsTheOldFileAndNamesTheUsersPath) {
  const std::string out = Path("out.png");
  Existing(out);
  FailNextWrite(GetParam(), ENOSPC);
  try {
    WriteImage(out, MakeSample(8, 16, 9), {{"jitterforge:preset", std::string(300, 'p')}});
    FAIL() << "the write succeeded";
  } catch (const CliError& e) {
    const std::string what = e.what();
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(what.find('\n'), std::string::npos) << what;
    EXPECT_EQ(what.rfind("cannot write '" + out + "': ", 0), 0u) << what;
    EXPECT_NE(what.find("No space left on device"), std::string::npos) << what;
    EXPECT_EQ(what.find("partial"), std::string::npos) << what;
  }
  // Only the folder's sync comes after the complete file took the old one's place.
  if (GetParam() == WriteStep::SyncFolder) {
    EXPECT_EQ(ReadImage(out, 8).width, 16);
    EXPECT_EQ(ModeOf(out), 0640u);
  } else {
    ExpectKept(out);
  }
  EXPECT_EQ(Files(), std::vector<std::string>{"out.png"});
}

INSTANTIATE_TEST_SUITE_P(Steps, EveryWriteStep,
                         ::testing::Values(WriteStep::Create, WriteStep::Write, WriteStep::SyncFile,
                                           WriteStep::Close, WriteStep::Rename,
                                           WriteStep::SyncFolder));

TEST_F(Output, AReplacedFileKeepsItsModeOwnerAndLinks) {
  const std::string real = Path("real.png");
  Existing(real);
  ::chmod(real.c_str(), 0600);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(real.c_str(), 4321, 4321), 0);
  }
  fs::create_symlink("real.png", Path("link.png"));
  const Result r = RunCli("render --sample " + Path("link.png"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::is_symlink(Path("link.png")));
  EXPECT_EQ(ReadImage(real, 8).width, 640);
  EXPECT_EQ(ModeOf(real), 0600u);
  if (root) {
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4321u);
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"link.png", "real.png"}));
}

TEST_F(Output, OutputsThatCannotBeWrittenAreRefusedBeforeRendering) {
  WriteImage(Path("in.png"), MakeSample(8, 8, 8));
  WriteImage(Path("in_0.png"), MakeSample(8, 8, 8));
  WriteImage(Path("m.png"), MakeSample(8, 8, 8));
  fs::create_directories(Path("folder.png"));
  const std::string in = Path("in.png");
  struct Case {
    std::string args;
    std::string says;
  };
  for (const Case& c : std::vector<Case>{
           {"render " + in + " " + Path("no/such/out.png"), "no folder '" + Path("no/such") + "'"},
           {"render " + in + " " + in, "also an input"},
           {"render " + in + " " + Path("m.png") + " --matte " + Path("m.png"), "also an input"},
           {"render " + Path("in_%d.png") + " " + Path("in_%d.png") + " --frames 0",
            "also an input"},
           {"render " + in + " " + Path("folder.png"), "it is a folder"},
           {"sheet " + in + " " + in, "also an input"}}) {
    const std::string before = ReadText(in);
    const Result r = RunCli(c.args);
    EXPECT_EQ(r.status, 2) << c.args << ": " << r.err;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(in), before);
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"folder.png", "in.png", "in_0.png", "m.png"}));
}

// A small file system of its own, where the machine lets tests mount one.
class FullDisk : public Output {
 protected:
  void SetUp() override {
    Output::SetUp();
    fs::create_directories(Path("disk"));
    if (::mount("tmpfs", Path("disk").c_str(), "tmpfs", 0, "size=64k") != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno) << ")";
    }
    m_mounted = true;
  }
  void TearDown() override {
    if (m_mounted) ::umount(Path("disk").c_str());
    Output::TearDown();
  }
  bool m_mounted = false;
};

TEST_F(FullDisk, AFullDiskFailsTheWriteAndKeepsTheOldFile) {
  // Noise does not compress: in every format the sample with noise overflows 64 KiB.
  ASSERT_EQ(RunCli("render --sample " + Path("big.exr") +
                   " --depth 32 --set 'Noise/Enable Noise=on'" + " --set 'Noise/Amplitude=100'")
                .status,
            0);
  for (const auto& [name, depth] : {std::pair{"out.png", 8}, std::pair{"out16.png", 16},
                                    std::pair{"out.tif", 16}, std::pair{"out.exr", 32}}) {
    const std::string out = Path(std::string("disk/") + name);
    Existing(out);
    const Result r =
        RunCli("render " + Path("big.exr") + " " + out + " --depth " + std::to_string(depth));
    EXPECT_EQ(r.status, 1) << name << ": " << r.err;
    EXPECT_EQ(Lines(r.err), 1) << r.err;
    EXPECT_NE(r.err.find("cannot write '" + out + "'"), std::string::npos) << r.err;
    ExpectKept(out);
  }
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(Path("disk"))) left.push_back(e.path().filename());
  EXPECT_EQ(left.size(), 4u);  // the old files, and no hidden ones
  // A read-only file system is found before anything renders.
  ASSERT_EQ(::mount("tmpfs", Path("disk").c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0);
  const Result ro = RunCli("render --sample " + Path("disk/new.png"));
  EXPECT_EQ(ro.status, 2);
  EXPECT_NE(ro.err.find("not writable"), std::string::npos) << ro.err;
}

}  // namespace
}  // namespace jf::cli::testing
