// Presets, schedules and frame times, against a store declared here.
#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "presets/errors.h"
#include "presets/param_args.h"
#include "presets/preset.h"
#include "presets/timing.h"
#include "support/param_defs.h"

namespace jf::presets {
namespace {

using headless::ParamStore;

// The message a call throws as PresetError ("" when it throws nothing).
template <typename F>
std::string Refusal(F&& f) {
  try {
    f();
  } catch (const PresetError& e) {
    return e.what();
  }
  return "";
}

// 1 group "Look", 2 "Look/Seed" (float 1..100000, slider 1..1000), 3 "Look/Amount" (float
// -10..10), 4 "Look/Mode" (popup A|B|C), 5 "Look/On" (checkbox), 6 "Look/Tint" (colour), 7 the
// group's end, 8 "Amount" (float 0..1) outside the group.
void Declare(ParamStore& store) {
  PF_ParamDef g = Def(PF_Param_GROUP_START, "Look");
  ASSERT_EQ(store.Add(-1, &g), PF_Err_NONE);
  PF_ParamDef seed = Def(PF_Param_FLOAT_SLIDER, "Seed");
  seed.u.fs_d.valid_min = 1;
  seed.u.fs_d.valid_max = 100000;
  seed.u.fs_d.slider_min = 1;
  seed.u.fs_d.slider_max = 1000;
  seed.u.fs_d.value = 1;
  ASSERT_EQ(store.Add(-1, &seed), PF_Err_NONE);
  PF_ParamDef amount = Def(PF_Param_FLOAT_SLIDER, "Amount");
  amount.u.fs_d.valid_min = -10;
  amount.u.fs_d.valid_max = 10;
  ASSERT_EQ(store.Add(-1, &amount), PF_Err_NONE);
  char choices[] = "A|B|C";
  PF_ParamDef mode = Def(PF_Param_POPUP, "Mode");
  mode.u.pd.num_choices = 3;
  mode.u.pd.value = 1;
  mode.u.pd.u.namesptr = choices;
  ASSERT_EQ(store.Add(-1, &mode), PF_Err_NONE);
  PF_ParamDef on = Def(PF_Param_CHECKBOX, "On");
  ASSERT_EQ(store.Add(-1, &on), PF_Err_NONE);
  PF_ParamDef tint = Def(PF_Param_COLOR, "Tint");
  tint.u.cd.value = PF_Pixel{255, 1, 2, 3};
  ASSERT_EQ(store.Add(-1, &tint), PF_Err_NONE);
  PF_ParamDef end = Def(PF_Param_GROUP_END, "");
  ASSERT_EQ(store.Add(-1, &end), PF_Err_NONE);
  PF_ParamDef top = Def(PF_Param_FLOAT_SLIDER, "Amount");
  top.u.fs_d.valid_min = 0;
  top.u.fs_d.valid_max = 1;
  ASSERT_EQ(store.Add(-1, &top), PF_Err_NONE);
}

class Presets : public ::testing::Test {
 protected:
  void SetUp() override {
    Declare(store);
    Declare(other);
  }

  std::vector<Schedule> Apply(const std::string& json, Rate rate = {24, 1}) {
    return ApplyPreset(ParsePreset(json, "p.json"), store, ApplyOptions{rate, ""});
  }

  ParamStore store;
  ParamStore other;  // declared the same way
};

TEST_F(Presets, ValuesOfEveryKindByPathOrIndex) {
  Apply(R"({"parameters": {"look/seed": 42, "3": -2.5, "Look/Mode": "c", "Look/On": true,
                           "Look/Tint": [10, 20, 30], "Amount": 0.5}})");
  EXPECT_EQ(store.Definition(2).u.fs_d.value, 42);
  EXPECT_EQ(store.Definition(3).u.fs_d.value, -2.5);
  EXPECT_EQ(store.Definition(4).u.pd.value, 3);
  EXPECT_EQ(store.Definition(5).u.bd.value, 1);
  EXPECT_EQ(store.Definition(6).u.cd.value.green, 20);
  EXPECT_EQ(store.Definition(8).u.fs_d.value, 0.5);
  Apply(R"({"parameters": {"Look/Tint": "#0A0B0C", "Look/On": "off", "Look/Mode": 2}})");
  EXPECT_EQ(store.Definition(6).u.cd.value.blue, 12);
  EXPECT_EQ(store.Definition(5).u.bd.value, 0);
  EXPECT_EQ(store.Definition(4).u.pd.value, 2);
}

TEST_F(Presets, SyntaxErrorsNameTheLineAndColumn) {
  const std::string text = "{\n  \"parameters\": {\n    \"Look/Seed\": 4,,\n  }\n}\n";
  const std::string why = Refusal([&] { ParsePreset(text, "p.json"); });
  EXPECT_EQ(why.rfind("p.json:3:20: ", 0), 0u) << why;  // the second comma
  // The parser's own count agrees.
  try {
    const auto parsed = nlohmann::json::parse(text);
    ADD_FAILURE() << "parsed " << parsed.dump();
  } catch (const nlohmann::json::parse_error& e) {
    EXPECT_NE(std::string(e.what()).find("line 3, column 20"), std::string::npos) << e.what();
  }
  EXPECT_EQ(Refusal([] { ParsePreset("", "e.json"); }).rfind("e.json:1:1: ", 0), 0u);
  EXPECT_EQ(Refusal([] { ParsePreset("[\n1,\n2\n", "t.json"); }).rfind("t.json:4:1: ", 0), 0u);
}

TEST_F(Presets, MistakesAreRefusedByName) {
  auto refusal = [&](const std::string& json) {
    const std::string why = Refusal([&] { Apply(json); });
    return why;
  };
  EXPECT_EQ(refusal(R"({"parameters": {"Look/Sed": 1}})"),
            "p.json: no parameter \"Look/Sed\": did you mean \"Look/Seed\"?");
  EXPECT_EQ(refusal(R"({"parameters": {"Look/Amount": 11}})"),
            "p.json: parameter 3 \"Look/Amount\": takes -10 to 10, not 11");
  EXPECT_NE(refusal(R"({"parameters": {"Look/Amount": {"keyframes": [{"time": 0, "value": 0},
            {"time": 1, "value": -11}]}}})")
                .find("\"Look/Amount\": keyframe value takes -10 to 10"),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look/Amount": {"keyframe": []}}})").find("\"keyframe\""),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look/Tint": 5}})").find("#RRGGBB"), std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look/Mode": "D"}})").find("no choice \"D\""),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look": 1}})").find("group row"), std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look/Seed": {"schedule": {"step": 1, "seed": 2}}}})")
                .find("a step"),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": {"Look/Seed": {"schedule": {"seed": 2, "range": [0, 9]}}}})")
                .find("takes 1 to 100000, not 0"),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parametres": {}})").find("unknown member \"parametres\""),
            std::string::npos);
  EXPECT_NE(refusal(R"({"parameters": [{"path": "Look/Seed", "index": 3, "value": 2}]})")
                .find("another version"),
            std::string::npos);
  const std::string other = Refusal([&] {
    ApplyPreset(ParsePreset(R"({"effect": {"match_name": "Other"}})", "p.json"), store,
                ApplyOptions{{24, 1}, "Mine"});
  });
  EXPECT_NE(other.find("for effect \"Other\""), std::string::npos) << other;
}

TEST_F(Presets, KeyframesByTimeOrFrame) {
  Apply(R"({"parameters": {"Look/Amount": {"keyframes": [
             {"frame": 12, "value": 0}, {"time": 1.0, "value": 8, "interpolation": "hold"},
             {"frame": 48, "value": -8}]}}})",
        Rate{24, 1});
  EXPECT_EQ(store.DefinitionAt(3, 0.5).u.fs_d.value, 0);
  EXPECT_EQ(store.DefinitionAt(3, 0.75).u.fs_d.value, 4);
  EXPECT_EQ(store.DefinitionAt(3, 1.9).u.fs_d.value, 8);
  EXPECT_EQ(store.DefinitionAt(3, 2.0).u.fs_d.value, -8);
  // Frames at 30000/1001 land where the host's frame times do.
  Apply(R"({"parameters": {"Look/Amount": {"keyframes": [{"frame": 0, "value": 0},
             {"frame": 10, "value": 1, "interpolation": "hold"}, {"frame": 11, "value": 2}]}}})",
        Rate{30000, 1001});
  PF_ParamDef out{};
  ASSERT_EQ(store.Checkout(3, 10 * 1001, 1001, 30000, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.fs_d.value, 1);
  ASSERT_EQ(store.Checkout(3, 11 * 1001, 1001, 30000, &out), PF_Err_NONE);
  EXPECT_EQ(out.u.fs_d.value, 2);
}

TEST_F(Presets, WhatIsWrittenReadsBackTheSame) {
  const auto schedules = Apply(R"({"parameters": {"Look/Amount": {"keyframes": [
      {"time": 0, "value": 0.1}, {"time": 0.3, "value": 7, "interpolation": "hold"}]},
      "Look/Tint": "#102030", "Amount": 0.7,
      "Look/Seed": {"schedule": {"seed": 9, "every": 3}},
      "Look/Mode": {"schedule": {"start": 1, "step": 1, "every_seconds": 0.25,
                                 "burst_seconds": [0.5, 0.6], "value": 3}}}})");
  const auto written = WritePreset(store, PresetHeader{}, schedules);
  EXPECT_TRUE(written["parameters"].contains("Look/Amount"));
  EXPECT_TRUE(written["parameters"].contains("Amount"));

  const auto again =
      ApplyPreset(ParsePreset(written.dump(), "w.json"), other, ApplyOptions{Rate{24, 1}, ""});
  EXPECT_EQ(WritePreset(other, PresetHeader{}, again), written);
  for (PF_ParamIndex i : {3, 6, 8}) {
    for (double t : {0.0, 0.1, 0.3, 1.0}) {
      EXPECT_EQ(ValueToJson(store.DefinitionAt(i, t)), ValueToJson(other.DefinitionAt(i, t)))
          << i << " at " << t;
    }
  }
  ASSERT_EQ(again.size(), 2u);
  for (std::size_t k = 0; k < 2; ++k) {
    for (std::int64_t f = 0; f < 20; ++f) EXPECT_EQ(again[k].ValueAt(f), schedules[k].ValueAt(f));
  }
  EXPECT_EQ(again[1].ValueAt(12), 1);  // 0.5 s, the burst's first frame at 24 fps
  EXPECT_EQ(again[1].ValueAt(14), 1);  // 0.5833 s, the last
  EXPECT_EQ(again[1].ValueAt(15), 3);
}

TEST(Schedules, DrawsUseSplitMix64) {
  // SplitMix64 seeded with 0 first returns 0xE220A8397B1DCDAF (the published reference output).
  EXPECT_EQ(ScheduleHash(0, 0), 0xE220A8397B1DCDAFull);
  EXPECT_NE(ScheduleHash(1, 0), ScheduleHash(0, 1));
}

TEST(Schedules, StepDrawAndBurstFollowTheFrameNumberAlone) {
  Schedule step;
  step.every = 4;
  step.start = 10;
  step.step = 5;
  EXPECT_EQ(step.ValueAt(0), 10);
  EXPECT_EQ(step.ValueAt(3), 10);
  EXPECT_EQ(step.ValueAt(4), 15);
  EXPECT_EQ(step.ValueAt(11), 20);

  Schedule burst = step;
  burst.burst = true;
  burst.burstFirst = 10;
  burst.burstLast = 17;
  burst.rest = 1;
  EXPECT_EQ(burst.ValueAt(9), 1);
  EXPECT_EQ(burst.ValueAt(10), 10);  // periods count from the burst's first frame
  EXPECT_EQ(burst.ValueAt(14), 15);
  EXPECT_EQ(burst.ValueAt(17), 15);
  EXPECT_EQ(burst.ValueAt(18), 1);

  Schedule draw;
  draw.mode = Schedule::Mode::Draw;
  draw.every = 6;
  draw.seed = 7;
  draw.low = 1;
  draw.high = 1000;
  for (std::int64_t f = 0; f < 24; ++f) {
    EXPECT_EQ(draw.ValueAt(f), 1 + static_cast<double>(ScheduleHash(7, f / 6) % 1000)) << f;
  }
}

// The frames (after frame 0) on which a schedule's value changes, up to frame last.
std::vector<std::int64_t> Changes(const Schedule& s, std::int64_t last) {
  std::vector<std::int64_t> frames;
  for (std::int64_t f = 1; f <= last; ++f) {
    if (s.ValueAt(f) != s.ValueAt(f - 1)) frames.push_back(f);
  }
  return frames;
}

TEST_F(Presets, SecondsSchedulesKeepTheirRhythmAtAnyRate) {
  const std::string everyTwo =
      R"({"parameters": {"Look/Seed": {"schedule": {"start": 1, "step": 1, "every_seconds": 2}}}})";
  using Frames = std::vector<std::int64_t>;
  EXPECT_EQ(Changes(Apply(everyTwo, {25, 1})[0], 160), (Frames{50, 100, 150}));
  EXPECT_EQ(Changes(Apply(everyTwo, {50, 1})[0], 320), (Frames{100, 200, 300}));
  // 2 s at 30000/1001 is 59.94 frames: the change comes on the first frame at or past each
  // multiple of 2 s, with no drift (the 33rd change, at 66 s, is on frame 1979 at 66.03 s).
  const Frames ntsc = Changes(Apply(everyTwo, {30000, 1001})[0], 2000);
  ASSERT_EQ(ntsc.size(), 33u);
  EXPECT_EQ((Frames{ntsc[0], ntsc[1], ntsc[2], ntsc[32]}), (Frames{60, 120, 180, 1979}));

  // A burst covers the frames whose time lies in [1.5, 2.5] s, both ends included (frames 36 to
  // 60 at 24 fps), and its periods count from 1.5 s.
  const Schedule burst = Apply(R"({"parameters": {"Look/Seed": {"schedule":
      {"seed": 4, "every_seconds": 0.5, "burst_seconds": [1.5, 2.5], "value": 7}}}})")[0];
  for (std::int64_t f : {0, 35, 61, 100}) EXPECT_EQ(burst.ValueAt(f), 7) << f;
  for (std::int64_t f = 36; f <= 60; ++f) {
    EXPECT_EQ(burst.ValueAt(f), 1 + static_cast<double>(ScheduleHash(4, (f - 36) / 12) % 1000))
        << f;
  }
  // Frames counted from the first frame of a burst in seconds; a burst between two frames
  // covers none.
  const Schedule framesInSeconds = Apply(R"({"parameters": {"Look/Seed": {"schedule":
      {"start": 2, "step": 1, "every": 5, "burst_seconds": [1.01, 3]}}}})")[0];
  EXPECT_EQ(Changes(framesInSeconds, 80), (Frames{25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 73}));
  const Schedule between = Apply(R"({"parameters": {"Look/Seed": {"schedule":
      {"start": 5, "step": 1, "burst_seconds": [1, 1]}}}})",
                                 {30000, 1001})[0];
  EXPECT_EQ(Changes(between, 100), Frames{});

  // The first frame out of range is found, in seconds as in frames.
  const auto climbing = Apply(R"({"parameters": {"Look/Seed": {"schedule":
      {"start": 99990, "step": 1, "every_seconds": 0.5}}}})");
  const std::string why = Refusal([&] { CheckSchedules(climbing, store, 0, 1000000); });
  EXPECT_NE(why.find("at frame 132: takes 1 to 100000, not 100001"), std::string::npos) << why;

  for (const auto& [schedule, message] : std::vector<std::pair<std::string, std::string>>{
           {R"({"step": 1, "every": 2, "every_seconds": 2})",
            "a schedule takes every (frames) or every_seconds, not both"},
           {R"({"step": 1, "burst": [1, 2], "burst_seconds": [1, 2]})",
            "a schedule takes burst (frames) or burst_seconds, not both"},
           {R"({"step": 1, "every_seconds": 0})",
            "a schedule's every_seconds is seconds from 0.000001"},
           {R"({"step": 1, "burst_seconds": [2, 1]})",
            "a schedule's burst_seconds is [FIRST, LAST] seconds"},
       }) {
    const std::string refusal =
        Refusal([&] { Apply(R"({"parameters": {"Look/Seed": {"schedule": )" + schedule + "}}}"); });
    EXPECT_NE(refusal.find("p.json: parameter 2 \"Look/Seed\": " + message), std::string::npos)
        << refusal;
  }
}

TEST_F(Presets, SchedulesBecomeHoldKeysOnTheFramesAsked) {
  const auto schedules = Apply(
      R"({"parameters": {"Look/Seed": {"schedule": {"start": 99990, "step": 1, "every": 2}}}})");
  ExpandSchedules(schedules, store, Rate{24, 1}, 5, 9);
  const auto keys = store.Keyframes(2);
  ASSERT_EQ(keys.size(), 3u);  // frames 5, 6 and 8: the first and every change
  EXPECT_EQ(keys[0].seconds, 5.0 / 24);
  EXPECT_EQ(keys[0].number, 99992);
  EXPECT_EQ(keys[1].number, 99993);
  EXPECT_EQ(keys[2].number, 99994);
  EXPECT_EQ(keys[1].interpolation, headless::Interpolation::Hold);
  const std::string why = Refusal([&] { ExpandSchedules(schedules, store, Rate{24, 1}, 0, 30); });
  EXPECT_NE(why.find("at frame 22: takes 1 to 100000, not 100001"), std::string::npos) << why;
}

TEST(Timing, RatesAndFrameTimesAsTheHostPassesThem) {
  EXPECT_EQ(ParseRate("24", "--fps"), (Rate{24, 1}));
  EXPECT_EQ(ParseRate("30000/1001", "--fps"), (Rate{30000, 1001}));
  EXPECT_EQ(ParseRate("29.97", "--fps"), (Rate{2997, 100}));
  EXPECT_EQ(ParseRate("50/2", "--fps"), (Rate{25, 1}));
  EXPECT_EQ(ParseRate("ntsc", "--fps"), (Rate{30000, 1001}));
  for (const char* bad : {"0", "-24", "24/0", "x", "", "1.2.3"}) {
    EXPECT_THROW(ParseRate(bad, "--fps"), PresetError) << bad;
  }
  const FrameTime f = TimeOfFrame(100, Rate{30000, 1001});
  EXPECT_EQ(f.time, 100100);
  EXPECT_EQ(f.timeStep, 1001);
  EXPECT_EQ(f.timeScale, 30000u);
  EXPECT_THROW(TimeOfFrame(-1, Rate{24, 1}), PresetError);
  EXPECT_THROW(TimeOfFrame(3000000, Rate{30000, 1001}), PresetError);  // past 32 bits
  const FrameTime onFrame = TimeOfSeconds(0.5, Rate{24, 1});
  EXPECT_EQ(onFrame.time, 12);
  EXPECT_EQ(onFrame.timeScale, 24u);
  const FrameTime between = TimeOfSeconds(0.01, Rate{24, 1});
  EXPECT_EQ(between.time, 240);
  EXPECT_EQ(between.timeScale, 24000u);
  EXPECT_EQ(between.frame, 0);
  EXPECT_EQ(ParseFrameRange("1-240", "--frames").last, 240);
  EXPECT_EQ(ParseFrameRange("7", "--frames").first, 7);
  EXPECT_THROW(ParseFrameRange("9-3", "--frames"), PresetError);
  EXPECT_THROW(ParseFrameRange("-3", "--frames"), PresetError);
}

}  // namespace
}  // namespace jf::presets
