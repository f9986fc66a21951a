// See preset.h.
#include "presets/preset.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <set>
#include <sstream>
#include <string_view>

#include "presets/errors.h"
#include "presets/param_args.h"
#include "presets/text.h"

namespace jf::presets {
namespace {

using headless::Interpolation;
using headless::Keyframe;
using headless::ParamStore;
using Json = nlohmann::ordered_json;

// Members that `jitterforge params --json` writes to describe a parameter; a preset may carry
// them and they set nothing.
const std::set<std::string> kDescriptive = {"index",        "path",        "kind",      "default",
                                            "slider_range", "valid_range", "precision", "choices",
                                            "choice_count", "hidden"};

[[noreturn]] void Fail(const std::string& source, const std::string& why) {
  throw PresetError(source + ": " + why);
}

std::string Describe(const Json& j) {
  std::string text = j.dump();
  return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

bool IsGroupRow(const PF_ParamDef& d) {
  return d.param_type == PF_Param_GROUP_START || d.param_type == PF_Param_GROUP_END;
}

// Schedules in seconds count in microseconds: at a rate num/den, frame n's time n × den / num
// and a time in microseconds are both whole numbers of 1 / (num × 1000000) seconds, so which
// period and burst a frame falls in is exact integer arithmetic at any rate. Rates are at most
// 1000000 / 1 and times at most 1000000 seconds, so every product fits in 64 bits.
constexpr std::int64_t kMicros = 1000000;
constexpr std::int64_t kMaxScheduleSeconds = 1000000;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) {
  return -FloorDiv(-a, b);
}

// A number of seconds from 0 to kMaxScheduleSeconds, to the nearest microsecond.
bool Micros(const Json& j, std::int64_t& out) {
  if (!j.is_number()) return false;
  const double seconds = j.get<double>();
  if (!(seconds >= 0 && seconds <= static_cast<double>(kMaxScheduleSeconds))) return false;
  out = std::llround(seconds * static_cast<double>(kMicros));
  return true;
}

bool WholeNumber(const Json& j, std::int64_t lo, std::int64_t hi, std::int64_t& out) {
  if (!j.is_number()) return false;
  const double v = j.get<double>();
  if (!(v >= static_cast<double>(lo) && v <= static_cast<double>(hi)) || std::trunc(v) != v) {
    return false;
  }
  out = static_cast<std::int64_t>(v);
  return true;
}

// One parameter's value in a preset: a number, a checkbox's true/false, a popup's choice name,
// a colour as "#RRGGBB", "R,G,B" or [R, G, B], or any of these as --set writes them.
Keyframe ValueFromJson(const ParamStore& store, const std::vector<std::string>& paths,
                       PF_ParamIndex index, const Json& j) {
  const PF_ParamDef d = store.Definition(index);
  if (j.is_string()) return ParseValueText(store, paths, index, j.get<std::string>());
  Keyframe key;
  if (d.param_type == PF_Param_COLOR) {
    std::int64_t c[3];
    if (j.is_array() && j.size() == 3 && WholeNumber(j[0], 0, 255, c[0]) &&
        WholeNumber(j[1], 0, 255, c[1]) && WholeNumber(j[2], 0, 255, c[2])) {
      key.color = PF_Pixel{255, static_cast<A_u_char>(c[0]), static_cast<A_u_char>(c[1]),
                           static_cast<A_u_char>(c[2])};
      return key;
    }
    Refuse(paths, index, "takes \"#RRGGBB\", \"R,G,B\" or [R, G, B], not " + Describe(j));
  }
  if (j.is_boolean() && d.param_type == PF_Param_CHECKBOX) {
    key.number = j.get<bool>() ? 1 : 0;
  } else if (j.is_number()) {
    key.number = j.get<double>();
  } else {
    Refuse(paths, index, "takes a number, not " + Describe(j));
  }
  return key;
}

Json ValueOfKey(const PF_ParamDef& d, const Keyframe& key) {
  switch (d.param_type) {
    case PF_Param_CHECKBOX:
      return key.number == 1;
    case PF_Param_POPUP:
    case PF_Param_SLIDER:
      return static_cast<std::int64_t>(key.number);
    case PF_Param_COLOR: {
      char text[8];
      std::snprintf(text, sizeof text, "#%02X%02X%02X", key.color.red, key.color.green,
                    key.color.blue);
      return text;
    }
    default:
      return key.number;
  }
}

// The number a parameter holds now, in the units SetNumber takes.
double NumberOf(const PF_ParamDef& d) {
  const Json v = ValueToJson(d);
  return v.is_boolean() ? (v.get<bool>() ? 1.0 : 0.0) : v.get<double>();
}

// Where a schedule draws from when the preset does not say: the range a slider shows, a popup's
// choices, a checkbox's two states.
std::pair<double, double> DefaultDrawRange(const PF_ParamDef& d) {
  switch (d.param_type) {
    case PF_Param_FLOAT_SLIDER:
      return {std::ceil(d.u.fs_d.slider_min), std::floor(d.u.fs_d.slider_max)};
    case PF_Param_SLIDER:
      return {static_cast<double>(d.u.sd.slider_min), static_cast<double>(d.u.sd.slider_max)};
    case PF_Param_FIX_SLIDER:
      return {std::ceil(d.u.fd.slider_min / 65536.0), std::floor(d.u.fd.slider_max / 65536.0)};
    case PF_Param_POPUP:
      return {1, static_cast<double>(d.u.pd.num_choices)};
    case PF_Param_CHECKBOX:
      return {0, 1};
    default:
      return {0, 359};  // angles
  }
}

class Applier {
 public:
  Applier(const Preset& preset, ParamStore& store, const ApplyOptions& options)
      : m_source(preset.source), m_store(store), m_options(options), m_paths(GroupPaths(store)) {}

  // Runs f, putting the preset's name in front of any refusal.
  template <typename F>
  void Named(F&& f) {
    try {
      f();
    } catch (const PresetError& e) {
      throw PresetError(m_source + ": " + e.what());
    }
  }

  void Entry(const std::string& key, const Json& setting, const std::string& indexKey) {
    PF_ParamIndex index = 0;
    Named([&] {
      index = ResolveKey(m_store, m_paths, key);
      if (!indexKey.empty() && indexKey != key) {
        const PF_ParamIndex byIndex = ResolveKey(m_store, m_paths, indexKey);
        if (byIndex != index) {
          throw PresetError("\"" + key + "\" is parameter " + std::to_string(index) +
                            " here, but the preset says index " + indexKey +
                            " (a preset for another version of the effect?)");
        }
      }
    });
    Named([&] { Set(index, setting); });
  }

  std::vector<Schedule> TakeSchedules() { return std::move(m_schedules); }

 private:
  void Set(PF_ParamIndex index, const Json& setting) {
    if (!setting.is_object()) {
      StoreValue(m_store, m_paths, index, ValueFromJson(m_store, m_paths, index, setting));
      return;
    }
    for (const auto& [name, member] : setting.items()) {
      if (name != "value" && name != "keyframes" && name != "schedule" &&
          kDescriptive.count(name) == 0) {
        Refuse(m_paths, index,
               "has no setting \"" + name + "\" (a parameter takes value, keyframes or schedule)");
      }
    }
    if (setting.contains("keyframes") && setting.contains("schedule")) {
      Refuse(m_paths, index, "takes keyframes or a schedule, not both");
    }
    // A listing gives the value alongside keyframes or a schedule; they win.
    if (setting.contains("keyframes")) {
      SetKeyframes(index, setting["keyframes"]);
    } else if (setting.contains("schedule")) {
      AddSchedule(index, setting["schedule"]);
    } else if (setting.contains("value")) {
      StoreValue(m_store, m_paths, index, ValueFromJson(m_store, m_paths, index, setting["value"]));
    } else {
      Refuse(m_paths, index, "is given no value, keyframes or schedule");
    }
  }

  double Seconds(PF_ParamIndex index, const Json& key) {
    if (key.contains("time") == key.contains("frame")) {
      Refuse(m_paths, index,
             "each keyframe takes a time in seconds or a frame, not " + Describe(key));
    }
    if (key.contains("frame")) {
      std::int64_t frame = 0;
      if (!WholeNumber(key["frame"], 0, std::numeric_limits<A_long>::max(), frame)) {
        Refuse(m_paths, index,
               "a keyframe's frame is a whole number from 0, not " + Describe(key["frame"]));
      }
      return SecondsOfFrame(frame, m_options.rate);
    }
    if (!key["time"].is_number() || !(key["time"].get<double>() >= 0)) {
      Refuse(m_paths, index, "a keyframe's time is seconds from 0, not " + Describe(key["time"]));
    }
    return key["time"].get<double>();
  }

  void SetKeyframes(PF_ParamIndex index, const Json& list) {
    if (!list.is_array() || list.empty()) {
      Refuse(m_paths, index, "takes keyframes as a list of {\"time\" or \"frame\", \"value\"}");
    }
    std::vector<Keyframe> keys;
    for (const Json& k : list) {
      if (!k.is_object() || !k.contains("value")) {
        Refuse(m_paths, index,
               "each keyframe takes a time or frame and a value, not " + Describe(k));
      }
      for (const auto& [name, member] : k.items()) {
        if (name != "time" && name != "frame" && name != "value" && name != "interpolation") {
          Refuse(m_paths, index, "a keyframe has no member \"" + name + "\"");
        }
      }
      Keyframe key = ValueFromJson(m_store, m_paths, index, k["value"]);
      key.seconds = Seconds(index, k);
      if (k.contains("interpolation")) {
        const Json& how = k["interpolation"];
        if (how == "hold") {
          key.interpolation = Interpolation::Hold;
        } else if (how != "linear") {
          Refuse(m_paths, index, "interpolation is \"linear\" or \"hold\", not " + Describe(how));
        }
      }
      keys.push_back(key);
    }
    try {
      m_store.SetKeyframes(index, std::move(keys));
    } catch (const headless::ParamError& e) {
      Refuse(m_paths, index, "keyframe value " + StoreRefusal(e));
    }
  }

  void AddSchedule(PF_ParamIndex index, const Json& setting) {
    const PF_ParamDef d = m_store.Definition(index);
    if (!setting.is_object()) Refuse(m_paths, index, "takes a schedule as an object");
    if (d.param_type == PF_Param_COLOR) Refuse(m_paths, index, "takes no schedule (a colour)");
    for (const auto& [name, member] : setting.items()) {
      static const std::set<std::string> kMembers = {"every", "every_seconds", "start",
                                                     "step",  "seed",          "range",
                                                     "burst", "burst_seconds", "value"};
      if (kMembers.count(name) == 0) {
        Refuse(m_paths, index,
               "a schedule has no member \"" + name +
                   "\" (it takes every or every_seconds, start, step, seed, range, burst or "
                   "burst_seconds, value)");
      }
    }
    for (const char* unit : {"every", "burst"}) {
      const std::string seconds = std::string(unit) + "_seconds";
      if (setting.contains(unit) && setting.contains(seconds)) {
        Refuse(m_paths, index,
               std::string("a schedule takes ") + unit + " (frames) or " + seconds + ", not both");
      }
    }
    auto number = [&](const char* name, double fallback) {
      if (!setting.contains(name)) return fallback;
      if (!setting[name].is_number()) {
        Refuse(
            m_paths, index,
            std::string("a schedule's ") + name + " is a number, not " + Describe(setting[name]));
      }
      return setting[name].get<double>();
    };
    Schedule s;
    s.index = index;
    s.source = setting;
    s.rest = number("value", NumberOf(d));
    s.rate = m_options.rate;
    if (setting.contains("every") && !WholeNumber(setting["every"], 1, 1 << 30, s.every)) {
      Refuse(m_paths, index,
             "a schedule's every is a whole number of frames from 1, not " +
                 Describe(setting["every"]));
    }
    if (setting.contains("every_seconds") &&
        !(Micros(setting["every_seconds"], s.everyMicros) && s.everyMicros > 0)) {
      Refuse(m_paths, index,
             "a schedule's every_seconds is seconds from 0.000001 to 1000000, not " +
                 Describe(setting["every_seconds"]));
    }
    if (setting.contains("step") == setting.contains("seed")) {
      Refuse(m_paths, index, "a schedule takes a step (with a start) or a seed to draw from");
    }
    if (setting.contains("step")) {
      s.mode = Schedule::Mode::Step;
      s.step = number("step", 0);
      s.start = number("start", s.rest);
    } else {
      s.mode = Schedule::Mode::Draw;
      std::int64_t seed = 0;
      if (!WholeNumber(setting["seed"], 0, std::numeric_limits<std::int32_t>::max(), seed)) {
        Refuse(m_paths, index,
               "a schedule's seed is a whole number 0 to 2147483647, not " +
                   Describe(setting["seed"]));
      }
      s.seed = static_cast<std::uint64_t>(seed);
      std::tie(s.low, s.high) = DefaultDrawRange(d);
      if (setting.contains("range")) {
        const Json& r = setting["range"];
        std::int64_t lo = 0, hi = 0;
        constexpr std::int64_t kBig = std::int64_t{1} << 40;
        if (!r.is_array() || r.size() != 2 || !WholeNumber(r[0], -kBig, kBig, lo) ||
            !WholeNumber(r[1], -kBig, kBig, hi) || lo > hi) {
          Refuse(m_paths, index,
                 "a schedule's range is [LOW, HIGH], whole numbers, not " + Describe(r));
        }
        s.low = static_cast<double>(lo);
        s.high = static_cast<double>(hi);
      }
    }
    if (setting.contains("burst")) {
      const Json& b = setting["burst"];
      constexpr std::int64_t kMax = std::numeric_limits<A_long>::max();
      if (!b.is_array() || b.size() != 2 || !WholeNumber(b[0], 0, kMax, s.burstFirst) ||
          !WholeNumber(b[1], 0, kMax, s.burstLast) || s.burstFirst > s.burstLast) {
        Refuse(m_paths, index, "a schedule's burst is [FIRST, LAST] frames, not " + Describe(b));
      }
      s.burst = true;
    }
    if (setting.contains("burst_seconds")) {
      const Json& b = setting["burst_seconds"];
      std::int64_t firstMicros = 0, lastMicros = 0;
      if (!b.is_array() || b.size() != 2 || !Micros(b[0], firstMicros) ||
          !Micros(b[1], lastMicros) || firstMicros > lastMicros) {
        Refuse(m_paths, index,
               "a schedule's burst_seconds is [FIRST, LAST] seconds from 0 to 1000000, not " +
                   Describe(b));
      }
      // The frames whose time lies in [first, last]: n × den / num ≥ first, and ≤ last.
      const Rate& r = s.rate;
      s.burstFirst = CeilDiv(firstMicros * r.num, r.den * kMicros);
      s.burstLast = FloorDiv(lastMicros * r.num, r.den * kMicros);
      s.burstFirstMicros = firstMicros;
      s.burst = true;
    }
    // Check the values a schedule starts from now, so a mistake shows before any frame.
    for (double v : {s.rest, s.mode == Schedule::Mode::Step ? s.start : s.low,
                     s.mode == Schedule::Mode::Step ? s.start : s.high}) {
      try {
        m_store.CheckNumber(index, v);
      } catch (const headless::ParamError& e) {
        Refuse(m_paths, index, "schedule value " + StoreRefusal(e));
      }
    }
    // What the schedule took from the parameter is written into it, so a recorded preset does
    // not depend on the defaults of whichever version reads it.
    if (!s.source.contains("value")) s.source["value"] = s.rest;
    if (s.mode == Schedule::Mode::Step && !s.source.contains("start")) s.source["start"] = s.start;
    StoreValue(m_store, m_paths, index, Keyframe{0, s.rest, {}, Interpolation::Hold});
    m_schedules.erase(std::remove_if(m_schedules.begin(), m_schedules.end(),
                                     [&](const Schedule& o) { return o.index == index; }),
                      m_schedules.end());
    m_schedules.push_back(std::move(s));
  }

  std::string m_source;
  ParamStore& m_store;
  ApplyOptions m_options;
  std::vector<std::string> m_paths;
  std::vector<Schedule> m_schedules;
};

std::string FrameText(std::int64_t frame) {
  return "frame " + std::to_string(frame);
}

// Presets are small; a limit keeps a stray multi-gigabyte file from being read whole, and the
// nesting limit keeps recursive walks of the document (printing it, freeing it) off the end of
// the stack.
constexpr std::size_t kMaxPresetBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxNesting = 64;

std::string Cut(const std::string& text) {
  const std::string quoted = Quoted(text, 200);
  return quoted.substr(1, quoted.size() - 2);
}

// "SOURCE:LINE:COLUMN: why" for the byte at (0-based) of text.
[[noreturn]] void FailAt(const std::string& source, const std::string& text, std::size_t at,
                         const std::string& why) {
  at = std::min(at, text.size());
  const long line = 1 + std::count(text.begin(), text.begin() + static_cast<long>(at), '\n');
  const std::size_t lineStart = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
  const std::size_t column = at - (lineStart == std::string::npos ? 0 : lineStart + 1) + 1;
  throw PresetError(source + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " +
                    why);
}

// Whether a JSON number lies past the largest double. The conversion says only that it is out
// of range, which tiny numbers (rounded to zero, as the parser does) are too.
bool Overflows(std::string_view number) {
  double value = 0;
  if (std::from_chars(number.data(), number.data() + number.size(), value).ec !=
      std::errc::result_out_of_range) {
    return false;
  }
  const std::size_t e = number.find_first_of("eE");
  std::string_view mantissa = number.substr(0, e);
  if (!mantissa.empty() && mantissa[0] == '-') mantissa.remove_prefix(1);
  std::int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = number.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc()) {
      exponent = std::int64_t{1} << 40;  // more digits than any real exponent
    }
    if (negative) exponent = -exponent;
  }
  // The power of ten of the first significant digit.
  const std::size_t point = mantissa.find('.');
  const std::string_view whole = mantissa.substr(0, point);
  const std::size_t lead = whole.find_first_not_of('0');
  std::int64_t magnitude;
  if (lead != std::string_view::npos) {
    magnitude = static_cast<std::int64_t>(whole.size() - lead) - 1;
  } else {
    const std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : mantissa.substr(point + 1);
    magnitude =
        -static_cast<std::int64_t>(std::min(fraction.find_first_not_of('0'), fraction.size())) - 1;
  }
  return magnitude + exponent > 0;
}

// One pass over the text before the JSON library builds anything from it: refuses nesting past
// the limit and numbers past what a double holds, with where they are, and returns where each
// object key starts, in document order, so a repeated key can be placed. Malformed text is left
// for the parser to report.
std::vector<std::size_t> Preflight(const std::string& text, const std::string& source) {
  std::vector<std::size_t> keys;
  std::vector<char> nesting;
  bool expectKey = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (expectKey) keys.push_back(i);
      expectKey = false;
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\') ++i;
      }
    } else if (c == '{' || c == '[') {
      if (nesting.size() >= kMaxNesting) FailAt(source, text, i, "nested deeper than 64 levels");
      nesting.push_back(c);
      expectKey = c == '{';
    } else if (c == '}' || c == ']') {
      if (!nesting.empty()) nesting.pop_back();
      expectKey = false;
    } else if (c == ',') {
      expectKey = !nesting.empty() && nesting.back() == '{';
    } else if (c == '-' || (c >= '0' && c <= '9')) {
      std::size_t end = i;
      while (end < text.size() && std::strchr("+-0123456789.eE", text[end]) != nullptr &&
             text[end] != '\0') {
        ++end;
      }
      if (Overflows(std::string_view(text).substr(i, end - i))) {
        FailAt(source, text, i,
               "the number " + Quoted(text.substr(i, end - i), 40) + " is too large for a double");
      }
      i = end - 1;
    }
  }
  return keys;
}

}  // namespace

Preset ParsePreset(const std::string& text, const std::string& source) {
  if (text.size() > kMaxPresetBytes) {
    Fail(source, "holds " + std::to_string(text.size()) + " bytes; a preset is at most 16 MiB");
  }
  const std::vector<std::size_t> keys = Preflight(text, source);
  Preset preset;
  preset.source = source;
  // Keys by document order, and the keys of each object open at the moment.
  std::size_t keyCount = 0;
  std::vector<std::set<std::string>> open;
  struct DuplicateKey {
    std::size_t ordinal;
    std::string key;
  };
  const Json::parser_callback_t noteKeys = [&](int, nlohmann::json::parse_event_t event,
                                               Json& parsed) {
    using Event = nlohmann::json::parse_event_t;
    if (event == Event::object_start) {
      open.emplace_back();
    } else if (event == Event::object_end) {
      if (!open.empty()) open.pop_back();
    } else if (event == Event::key) {
      const std::string key = parsed.get<std::string>();
      if (!open.empty() && !open.back().insert(key).second) throw DuplicateKey{keyCount, key};
      ++keyCount;
    }
    return true;
  };
  try {
    preset.document = Json::parse(text, noteKeys);
  } catch (const DuplicateKey& d) {
    FailAt(source, text, d.ordinal < keys.size() ? keys[d.ordinal] : 0,
           "the key " + Quoted(d.key) + " is given twice in one object");
  } catch (const nlohmann::json::parse_error& e) {
    // The parser reports the byte it stopped at (1-based); people want a line and a column.
    std::string why = e.what();
    // Keep the parser's reason, not its own position or exception id.
    if (const auto colon = why.find(": "); colon != std::string::npos) why = why.substr(colon + 2);
    FailAt(source, text, e.byte == 0 ? 0 : e.byte - 1, Cut(why));
  } catch (const nlohmann::json::exception& e) {
    // What the text scan above did not foresee: the library's reason, without its id.
    std::string why = e.what();
    if (const auto bracket = why.find("] "); bracket != std::string::npos) {
      why = why.substr(bracket + 2);
    }
    Fail(source, Cut(why));
  }
  const Json& doc = preset.document;
  if (!doc.is_object()) Fail(source, "a preset is a JSON object with \"parameters\"");
  for (const auto& [name, member] : doc.items()) {
    static const std::set<std::string> kMembers = {"program", "effect",     "fps",         "time",
                                                   "render",  "parameters", "description", "depth"};
    if (kMembers.count(name) == 0) {
      Fail(source, "unknown member \"" + name +
                       "\" (a preset has program, effect, fps, time, render, parameters, "
                       "description, depth)");
    }
  }
  if (doc.contains("parameters") && !doc["parameters"].is_object() &&
      !doc["parameters"].is_array()) {
    Fail(source, "\"parameters\" is an object of PATH: VALUE or a list as `params --json` writes");
  }
  if (doc.contains("fps")) PresetRate(preset);
  if (doc.contains("time")) PresetTime(preset);
  if (doc.contains("render")) PresetRender(preset);
  return preset;
}

Preset LoadPreset(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PresetError("cannot read preset '" + path + "': no such file");
  // No more than one byte past the limit is read, whatever the file (or pipe) holds.
  std::string text;
  char buffer[65536];
  while (text.size() <= kMaxPresetBytes && in.read(buffer, sizeof buffer).gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw PresetError("cannot read preset '" + path + "'");
  if (text.size() > kMaxPresetBytes) Fail(path, "holds more than 16 MiB; a preset is at most that");
  return ParsePreset(text, path);
}

std::optional<Rate> PresetRate(const Preset& preset) {
  if (!preset.document.contains("fps")) return std::nullopt;
  const Json& fps = preset.document["fps"];
  const std::string text = fps.is_string() ? fps.get<std::string>() : fps.dump();
  return ParseRate(text, preset.source + ": \"fps\"");
}

std::optional<FrameTime> PresetTime(const Preset& preset) {
  if (!preset.document.contains("time")) return std::nullopt;
  const Json& t = preset.document["time"];
  FrameTime time;
  std::int64_t v[4];
  constexpr std::int64_t kMax = std::numeric_limits<A_long>::max();
  if (!t.is_object() || !t.contains("time") || !t.contains("time_step") ||
      !t.contains("time_scale") || !t.contains("frame") || !WholeNumber(t["time"], 0, kMax, v[0]) ||
      !WholeNumber(t["time_step"], 1, kMax, v[1]) ||
      !WholeNumber(t["time_scale"], 1, std::numeric_limits<A_u_long>::max(), v[2]) ||
      !WholeNumber(t["frame"], 0, kMax, v[3])) {
    Fail(preset.source,
         "\"time\" records {\"frame\", \"seconds\", \"time\", \"time_step\", \"time_scale\"}");
  }
  time.time = static_cast<A_long>(v[0]);
  time.timeStep = static_cast<A_long>(v[1]);
  time.timeScale = static_cast<A_u_long>(v[2]);
  time.frame = v[3];
  return time;
}

RecordedRender PresetRender(const Preset& preset) {
  RecordedRender r;
  if (!preset.document.contains("render")) return r;
  const Json& j = preset.document["render"];
  std::int64_t depth = 0;
  const bool ok = j.is_object() &&
                  (!j.contains("depth") || (WholeNumber(j["depth"], 8, 32, depth) &&
                                            (depth == 8 || depth == 16 || depth == 32))) &&
                  (!j.contains("downsample_x") || j["downsample_x"].is_string()) &&
                  (!j.contains("downsample_y") || j["downsample_y"].is_string());
  if (!ok) Fail(preset.source, "\"render\" records depth 8, 16 or 32 and downsampling \"N/D\"");
  if (j.contains("depth")) r.depth = static_cast<int>(depth);
  if (j.contains("downsample_x")) r.downsampleX = j["downsample_x"];
  if (j.contains("downsample_y")) r.downsampleY = j["downsample_y"];
  return r;
}

std::uint64_t ScheduleHash(std::uint64_t seed, std::uint64_t period) {
  std::uint64_t z = (seed << 32) + period + 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

namespace {

// Frame n's time in units of 1 / (num × 1000000) seconds. Frames past what the host's 32-bit
// time carries at the rate are never rendered; they count as the last one that is.
std::int64_t FrameTicks(std::int64_t frame, const Rate& rate) {
  const std::int64_t limit = std::numeric_limits<A_long>::max() / rate.den;
  return std::clamp(frame, -limit, limit) * rate.den * kMicros;
}

// Where a time-based schedule's periods count from, in the same units: the burst's first moment,
// else its first frame's time, else 0.
std::int64_t OriginTicks(const Schedule& s) {
  if (s.burstFirstMicros >= 0) return s.burstFirstMicros * s.rate.num;
  return s.burst ? FrameTicks(s.burstFirst, s.rate) : 0;
}

}  // namespace

std::int64_t Schedule::PeriodOf(std::int64_t frame) const {
  if (everyMicros > 0) {
    const std::int64_t origin = OriginTicks(*this);
    return FloorDiv(FrameTicks(frame, rate) - origin, everyMicros * rate.num);
  }
  // Floor division, so frames before the origin (none in practice) still count whole periods.
  return FloorDiv(frame - (burst ? burstFirst : 0), every);
}

std::int64_t Schedule::NextPeriodStart(std::int64_t frame) const {
  const std::int64_t period = PeriodOf(frame);
  if (everyMicros > 0) {
    const std::int64_t origin = OriginTicks(*this);
    return std::max(frame + 1,
                    CeilDiv(origin + (period + 1) * everyMicros * rate.num, rate.den * kMicros));
  }
  return (burst ? burstFirst : 0) + (period + 1) * every;
}

double Schedule::ValueAt(std::int64_t frame) const {
  if (burst && (frame < burstFirst || frame > burstLast)) return rest;
  const std::int64_t period = PeriodOf(frame);
  if (mode == Mode::Step) return start + step * static_cast<double>(period);
  const auto span = static_cast<std::uint64_t>(high - low) + 1;
  return low + static_cast<double>(ScheduleHash(seed, static_cast<std::uint64_t>(period)) % span);
}

std::vector<Schedule> ApplyPreset(const Preset& preset, ParamStore& store,
                                  const ApplyOptions& options) {
  const Json& doc = preset.document;
  if (doc.contains("effect") && !options.matchName.empty()) {
    const Json& effect = doc["effect"];
    if (effect.is_object() && effect.contains("match_name") &&
        effect["match_name"] != options.matchName) {
      Fail(preset.source, "the preset is for effect " + Describe(effect["match_name"]) +
                              ", not \"" + options.matchName + "\"");
    }
  }
  Applier applier(preset, store, options);
  if (!doc.contains("parameters")) return {};
  const Json& params = doc["parameters"];
  if (params.is_object()) {
    for (const auto& [key, setting] : params.items()) applier.Entry(key, setting, "");
    return applier.TakeSchedules();
  }
  for (const Json& entry : params) {
    if (!entry.is_object() || !(entry.contains("path") || entry.contains("index"))) {
      Fail(preset.source,
           "each listed parameter names a \"path\" or an \"index\", not " + Describe(entry));
    }
    // A listing's group rows carry no value.
    if (entry.contains("kind") &&
        (entry["kind"] == "group start" || entry["kind"] == "group end")) {
      continue;
    }
    const std::string indexKey = entry.contains("index") ? entry["index"].dump() : "";
    const std::string key = entry.contains("path") && entry["path"].is_string()
                                ? entry["path"].get<std::string>()
                                : indexKey;
    applier.Entry(key, entry, indexKey);
  }
  return applier.TakeSchedules();
}

namespace {

bool Takes(const ParamStore& store, PF_ParamIndex index, double value) {
  try {
    store.CheckNumber(index, value);
    return true;
  } catch (const headless::ParamError&) {
    return false;
  }
}

// The first frame of first to last on which the schedule gives a value its parameter does not
// take. Values change only from one period to the next and a step schedule moves one way, so
// the ends, the second period and a search between them find it without visiting every frame.
std::optional<std::int64_t> FirstRefusedFrame(const Schedule& s, const ParamStore& store,
                                              std::int64_t first, std::int64_t last) {
  std::optional<std::int64_t> found;
  auto consider = [&](std::int64_t f) {
    if (!Takes(store, s.index, s.ValueAt(f)) && (!found || f < *found)) found = f;
  };
  std::int64_t a = first;
  std::int64_t b = last;
  if (s.burst) {
    if (first < s.burstFirst) consider(first);
    if (last > s.burstLast) consider(std::max(first, s.burstLast + 1));
    a = std::max(first, s.burstFirst);
    b = std::min(last, s.burstLast);
  }
  if (a > b) return found;
  consider(a);
  consider(b);
  const std::int64_t next = s.NextPeriodStart(a);
  if (next <= b) consider(next);
  if (s.mode == Schedule::Mode::Step && Takes(store, s.index, s.ValueAt(a)) &&
      !Takes(store, s.index, s.ValueAt(b))) {
    std::int64_t taken = a;
    std::int64_t refused = b;
    while (refused - taken > 1) {
      const std::int64_t mid = taken + (refused - taken) / 2;
      (Takes(store, s.index, s.ValueAt(mid)) ? taken : refused) = mid;
    }
    consider(refused);
  }
  return found;
}

}  // namespace

void CheckSchedules(const std::vector<Schedule>& schedules, const ParamStore& store,
                    std::int64_t first, std::int64_t last) {
  const auto paths = GroupPaths(store);
  for (const Schedule& s : schedules) {
    if (const auto f = FirstRefusedFrame(s, store, first, last)) {
      try {
        store.CheckNumber(s.index, s.ValueAt(*f));
      } catch (const headless::ParamError& e) {
        Refuse(paths, s.index,
               "its schedule reaches a value it does not take at " + FrameText(*f) + ": " +
                   StoreRefusal(e));
      }
    }
  }
}

void ExpandSchedules(const std::vector<Schedule>& schedules, ParamStore& store, const Rate& rate,
                     std::int64_t first, std::int64_t last) {
  CheckSchedules(schedules, store, first, last);
  for (const Schedule& s : schedules) {
    std::vector<Keyframe> keys;
    for (std::int64_t f = first; f <= last; ++f) {
      const double v = s.ValueAt(f);
      if (!keys.empty() && keys.back().number == v) continue;
      Keyframe key;
      key.seconds = SecondsOfFrame(f, rate);
      key.number = v;
      key.interpolation = Interpolation::Hold;
      keys.push_back(key);
    }
    store.SetKeyframes(s.index, std::move(keys));
  }
}

Json KeyframesToJson(const PF_ParamDef& def, const std::vector<Keyframe>& keys) {
  Json list = Json::array();
  for (const Keyframe& k : keys) {
    Json key;
    key["time"] = k.seconds;
    key["value"] = ValueOfKey(def, k);
    key["interpolation"] = k.interpolation == Interpolation::Hold ? "hold" : "linear";
    list.push_back(key);
  }
  return list;
}

Json WritePreset(const ParamStore& store, const PresetHeader& header,
                 const std::vector<Schedule>& schedules) {
  Json doc;
  doc["program"] = std::string("jitterforge ") + JF_VERSION;
  if (!header.matchName.empty()) {
    doc["effect"] = {{"name", header.effectName}, {"match_name", header.matchName}};
  }
  if (header.rate) doc["fps"] = RateText(*header.rate);
  if (header.time) {
    const FrameTime& t = *header.time;
    doc["time"] = {{"frame", t.frame},
                   {"seconds", static_cast<double>(t.time) / t.timeScale},
                   {"time", t.time},
                   {"time_step", t.timeStep},
                   {"time_scale", t.timeScale}};
  }
  if (!header.render.is_null()) doc["render"] = header.render;
  const auto paths = GroupPaths(store);
  std::map<std::string, int> uses;
  for (const auto& p : paths) ++uses[p];
  Json params = Json::object();
  for (A_long i = 1; i < store.Count(); ++i) {
    const PF_ParamDef d = store.Definition(i);
    if (IsGroupRow(d)) continue;
    const std::string key = uses[paths[i]] == 1 ? paths[i] : std::to_string(i);
    const auto schedule = std::find_if(schedules.begin(), schedules.end(),
                                       [&](const Schedule& s) { return s.index == i; });
    if (schedule != schedules.end()) {
      params[key] = {{"schedule", schedule->source}};
    } else if (auto keys = store.Keyframes(i); !keys.empty()) {
      params[key] = {{"keyframes", KeyframesToJson(d, keys)}};
    } else {
      params[key] = ValueToJson(d);
    }
  }
  doc["parameters"] = params;
  return doc;
}

}  // namespace jf::presets
