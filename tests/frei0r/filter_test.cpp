// The filter loaded as a frei0r host loads it, against the headless host driving the module
// directly: defaults, explicit values over a preset, preset failures, several instances on
// several threads, banded calls and unknown times.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <thread>

#include "frei0r/support.h"
#include "headless/instance.h"
#include "headless/module.h"

namespace jf::frei0r_test {
namespace {

// Indices of the effect's parameters the tests set on the reference host.
constexpr PF_ParamIndex kNumberOfBlocks = 3;
constexpr PF_ParamIndex kEnableSplitRgb = 185;

/// The module rendered through the headless host with values set directly.
Frame Reference(const Frame& in, unsigned width, unsigned height,
                const std::vector<std::pair<PF_ParamIndex, double>>& values) {
  headless::Module module = headless::Module::Load(JF_MODULE_PATH);
  headless::Host host;
  headless::Instance instance(host, module);
  EXPECT_EQ(instance.GlobalSetup(), PF_Err_NONE);
  EXPECT_EQ(instance.ParamsSetup(headless::StdoutRoute::Discard), PF_Err_NONE);
  for (const auto& [index, value] : values) instance.Params().SetNumber(index, value);
  headless::World input(width, height, PF_PixelFormat_ARGB32);
  headless::World output(width, height, PF_PixelFormat_ARGB32);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(in.data());
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const std::uint8_t* p = bytes + (y * width + x) * 4;
      *input.At<PF_Pixel8>(x, y) = PF_Pixel8{p[3], p[0], p[1], p[2]};
    }
  }
  EXPECT_EQ(instance.Render(input, output), PF_Err_NONE);
  Frame out(in.size());
  auto* outBytes = reinterpret_cast<std::uint8_t*>(out.data());
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const PF_Pixel8 p = *output.At<PF_Pixel8>(x, y);
      std::uint8_t* q = outBytes + (y * width + x) * 4;
      q[0] = p.red, q[1] = p.green, q[2] = p.blue, q[3] = p.alpha;
    }
  }
  instance.GlobalSetdown();
  return out;
}

void SetPreset(f0r_instance_t instance, const std::string& path) {
  const char* text = path.c_str();
  Library().setParam(instance, &text, 0);
}

void SetDouble(f0r_instance_t instance, const std::string& name, double value) {
  const int index = Library().Index(name);
  ASSERT_GE(index, 0) << name;
  Library().setParam(instance, &value, index);
}

Frame Update(f0r_instance_t instance, const Frame& in, double time) {
  Frame out(in.size(), 0);
  Library().update(instance, time, in.data(), out.data());
  return out;
}

void Write(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path) << text;
}

const char* const kKeyframedPreset = R"({"parameters": {
  "Split RGB/Enable Split RGB": {"value": true},
  "Basic Blocks/Number Of Blocks": {"keyframes": [{"time": 0, "value": 2}, {"time": 0.16, "value": 90}]}
}})";

TEST(Frei0rFilter, ListsThePresetThenTheEffectsValuesInDeclarationOrder) {
  f0r_plugin_info_t info{};
  Library().pluginInfo(&info);
  EXPECT_EQ(info.num_params, 150);  // the preset, 148 value parameters and the mix
  f0r_param_info_t p{};
  Library().paramInfo(&p, 0);
  EXPECT_STREQ(p.name, "preset");
  EXPECT_EQ(p.type, F0R_PARAM_STRING);
  // ffmpeg sets parameters by position: these places are part of the filter's interface.
  Library().paramInfo(&p, 1);
  EXPECT_STREQ(p.name, "Basic Blocks/Enable Basic Blocks");
  EXPECT_EQ(p.type, F0R_PARAM_BOOL);
  Library().paramInfo(&p, 2);
  EXPECT_STREQ(p.name, "Basic Blocks/Number Of Blocks");
  EXPECT_EQ(p.type, F0R_PARAM_DOUBLE);
  EXPECT_STREQ(p.explanation, "0..1 is 1..100 (takes 1..100000)");
  EXPECT_EQ(Library().Index("Elements Scatter/Circle/Color/Color"), 39);
  Library().paramInfo(&p, 148);
  EXPECT_STREQ(p.name, "Split RGB/Blue Channel/Flip Vertical");
  // What the filter adds of its own comes after every place that was there before.
  Library().paramInfo(&p, 149);
  EXPECT_STREQ(p.name, "mix");
  EXPECT_EQ(p.type, F0R_PARAM_DOUBLE);
}

TEST(Frei0rFilter, MixBlendsTheRenderOverTheInputAsTheCommandDoes) {
  ScratchFolder folder;
  const unsigned w = 48, h = 32;
  const Frame in = PatternFrame(w, h);
  auto render = [&](double mix) {
    f0r_instance_t instance = Library().construct(w, h);
    EXPECT_NE(instance, nullptr);
    SetDouble(instance, "mix", mix);
    const Frame out = Update(instance, in, 0.0);
    Library().destruct(instance);
    return out;
  };
  EXPECT_EQ(render(0), in);
  EXPECT_EQ(render(1), Reference(in, w, h, {}));
  // The command's --mix 0.5 on the same frame, through its raw stream.
  std::ofstream(folder / "in.raw", std::ios::binary)
      .write(reinterpret_cast<const char*>(in.data()), static_cast<std::streamsize>(in.size() * 4));
  ASSERT_EQ(Shell(std::string(JF_CLI_PATH) + " stream --size 48x32 --mix 0.5 <'" +
                      (folder / "in.raw").string() + "'",
                  folder / "out.raw", folder / "err.txt"),
            0)
      << ReadFile(folder / "err.txt");
  const std::string command = ReadFile(folder / "out.raw");
  const Frame half = render(0.5);
  ASSERT_EQ(command.size(), half.size() * 4);
  EXPECT_EQ(std::memcmp(command.data(), half.data(), command.size()), 0);
  EXPECT_NE(half, in);
  EXPECT_NE(half, render(1));
}

TEST(Frei0rFilter, DefaultsRenderAsTheHostRendersTheModule) {
  const unsigned w = 64, h = 48;
  const Frame in = PatternFrame(w, h);
  f0r_instance_t instance = Library().construct(w, h);
  ASSERT_NE(instance, nullptr);
  const Frame out = Update(instance, in, 0.0);
  Library().destruct(instance);
  EXPECT_NE(out, in);
  EXPECT_EQ(out, Reference(in, w, h, {}));
}

TEST(Frei0rFilter, ExplicitValuesMapOntoTheSliderAndOverrideThePreset) {
  ScratchFolder folder;
  Write(folder / "look.json", kKeyframedPreset);
  const unsigned w = 48, h = 32;
  const Frame in = PatternFrame(w, h);
  f0r_instance_t instance = Library().construct(w, h);
  ASSERT_NE(instance, nullptr);
  SetPreset(instance, (folder / "look.json").string());
  SetDouble(instance, "Basic Blocks/Number Of Blocks", 0.5);  // 1 + 0.5 × 99 blocks
  double back = 0;
  Library().getParam(instance, &back, Library().Index("Basic Blocks/Number Of Blocks"));
  EXPECT_EQ(back, 0.5);
  const Frame out = Update(instance, in, 0.16);
  Library().destruct(instance);
  EXPECT_EQ(out, Reference(in, w, h, {{kEnableSplitRgb, 1}, {kNumberOfBlocks, 50.5}}));
}

TEST(Frei0rFilter, PresetKeyframesFollowTheTimeAndUnknownTimesKeepTheLast) {
  ScratchFolder folder;
  Write(folder / "look.json", kKeyframedPreset);
  const unsigned w = 48, h = 32;
  const Frame in = PatternFrame(w, h);
  f0r_instance_t instance = Library().construct(w, h);
  ASSERT_NE(instance, nullptr);
  SetPreset(instance, (folder / "look.json").string());
  const Frame atStart = Update(instance, in, 0.0);
  const Frame atHalf = Update(instance, in, 0.08);  // halfway: 46 blocks
  const Frame garbage = Update(instance, in, -3.6893488147419103e20);
  Library().destruct(instance);
  EXPECT_EQ(atStart, Reference(in, w, h, {{kEnableSplitRgb, 1}, {kNumberOfBlocks, 2}}));
  EXPECT_EQ(atHalf, Reference(in, w, h, {{kEnableSplitRgb, 1}, {kNumberOfBlocks, 46}}));
  EXPECT_EQ(garbage, atHalf);
}

TEST(Frei0rFilter, PresetThatCannotBeUsedPassesFramesThroughWithAMessage) {
  ScratchFolder folder;
  Write(folder / "broken.json", "{\"parameters\": {");
  Write(folder / "unknown.json", R"({"parameters": {"No Such/Thing": {"value": 1}}})");
  Write(folder / "good.json", kKeyframedPreset);
  // Hostile ones: a value nested far past any stack's depth, a number past a double.
  Write(folder / "deep.json", R"({"parameters": {"Warp/Offset": )" + std::string(100000, '[') +
                                  std::string(100000, ']') + "}}");
  Write(folder / "overflow.json", R"({"parameters": {"Warp/Offset": 1e400}})");
  const unsigned w = 32, h = 16;
  const Frame in = PatternFrame(w, h);
  for (const std::string name : {"missing.json", "broken.json", "unknown.json", "deep.json",
                                 "overflow.json", "no-such-look"}) {
    SCOPED_TRACE(name);
    f0r_instance_t instance = Library().construct(w, h);
    ASSERT_NE(instance, nullptr);
    ::testing::internal::CaptureStderr();
    // A bare name is a shipped look's.
    SetPreset(instance, name.find('.') == std::string::npos ? name : (folder / name).string());
    const Frame first = Update(instance, in, 0.0);
    const Frame second = Update(instance, in, 0.04);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(first, in);
    EXPECT_EQ(second, in);
    EXPECT_NE(err.find("jitterforge: "), std::string::npos) << err;
    EXPECT_NE(err.find(name), std::string::npos) << err;
    EXPECT_EQ(err.find("json.exception"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    // A usable preset afterwards renders again.
    SetPreset(instance, (folder / "good.json").string());
    EXPECT_NE(Update(instance, in, 0.0), in);
    Library().destruct(instance);
  }
}

TEST(Frei0rFilter, ALooksNameRendersAsItsFileDoes) {
  const unsigned w = 48, h = 32;
  const Frame in = PatternFrame(w, h);
  Frame frames[2];
  const std::string presets[2] = {"scanline-tear",
                                  std::string(JF_SOURCE_DIR) + "/looks/scanline-tear.json"};
  for (int k = 0; k < 2; ++k) {
    f0r_instance_t instance = Library().construct(w, h);
    ASSERT_NE(instance, nullptr);
    SetPreset(instance, presets[k]);
    frames[k] = Update(instance, in, 0.2);
    Library().destruct(instance);
  }
  EXPECT_NE(frames[0], in);
  EXPECT_EQ(frames[0], frames[1]);
}

TEST(Frei0rFilter, InstancesRenderAtOnceOnSeveralThreadsAsTheyDoAlone) {
  struct Job {
    unsigned w, h;
    double blocks;
    Frame in, expected, got[3];
  };
  std::vector<Job> jobs = {{64, 48, 0.1, {}, {}, {}},
                           {40, 30, 0.9, {}, {}, {}},
                           {64, 48, 0.5, {}, {}, {}},
                           {32, 64, 0.3, {}, {}, {}}};
  for (Job& job : jobs) {
    job.in = PatternFrame(job.w, job.h);
    job.expected = Reference(job.in, job.w, job.h, {{kNumberOfBlocks, 1 + job.blocks * 99}});
  }
  std::vector<std::thread> threads;
  for (Job& job : jobs) {
    threads.emplace_back([&job] {
      f0r_instance_t instance = Library().construct(job.w, job.h);
      if (instance == nullptr) return;
      double blocks = job.blocks;
      Library().setParam(instance, &blocks, 2);
      for (Frame& got : job.got) got = Update(instance, job.in, 0.0);
      Library().destruct(instance);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const Job& job : jobs) {
    for (const Frame& got : job.got) EXPECT_EQ(got, job.expected);
  }
}

TEST(Frei0rFilter, FrameHandedOverInBandsPassesThroughWhole) {
  // As MLT does with threads=2: an instance half the frame high, called for each half in turn.
  const unsigned w = 32, h = 32;
  const Frame in = PatternFrame(w, h);
  Frame out(in.size(), 0);
  f0r_instance_t instance = Library().construct(w, h / 2);
  ASSERT_NE(instance, nullptr);
  ::testing::internal::CaptureStderr();
  for (int frame = 0; frame < 2; ++frame) {
    for (unsigned band = 0; band < 2; ++band) {
      const std::size_t offset = band * w * (h / 2);
      Library().update(instance, frame * 0.04, in.data() + offset, out.data() + offset);
    }
    EXPECT_EQ(out, in) << "frame " << frame;
    std::fill(out.begin(), out.end(), 0);
  }
  const std::string err = ::testing::internal::GetCapturedStderr();
  Library().destruct(instance);
  EXPECT_NE(err.find("bands"), std::string::npos) << err;
}

TEST(Frei0rFilter, FramesTooLargeForTheHostMakeNoInstance) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(Library().construct(40000, 16), nullptr);
  EXPECT_EQ(Library().construct(0, 16), nullptr);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("40000x16"), std::string::npos) << err;
}

}  // namespace
}  // namespace jf::frei0r_test
