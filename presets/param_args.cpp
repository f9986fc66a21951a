// See param_args.h.
#include "presets/param_args.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "presets/errors.h"
#include "presets/suggest.h"
#include "presets/text.h"
#include "params/param_descriptions.h"

namespace jf::presets {
namespace {

using headless::ParamStore;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  const auto e = s.find_last_not_of(" \t");
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool ParseDouble(const std::string& text, double& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  char* end = nullptr;
  out = std::strtod(t.c_str(), &end);
  return end == t.c_str() + t.size() && std::isfinite(out);
}

bool ParseInt(const std::string& text, long& out) {
  const std::string t = Trim(text);
  auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
  return ec == std::errc() && p == t.data() + t.size() && !t.empty();
}

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::string item;
  std::istringstream in(s);
  while (std::getline(in, item, sep)) out.push_back(item);
  if (!s.empty() && s.back() == sep) out.emplace_back();
  return out;
}

bool IsGroupRow(const PF_ParamDef& d) {
  return d.param_type == PF_Param_GROUP_START || d.param_type == PF_Param_GROUP_END;
}

bool IsPercent(const PF_ParamDef& d) {
  return d.param_type == PF_Param_FIX_SLIDER &&
         (d.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) != 0;
}

// The unit suffixes a number parameter's values may carry, the one to show first; null-ended.
const char* const* UnitSuffixes(const ParamStore& store, const PF_ParamDef& d,
                                PF_ParamIndex index) {
  static const char* const kNone[] = {nullptr};
  static const char* const kPercent[] = {"%", nullptr};
  static const char* const kDegrees[] = {"deg", "\u00b0", nullptr};
  static const char* const kPixels[] = {"px", nullptr};
  if (IsPercent(d)) return kPercent;
  if (d.param_type == PF_Param_ANGLE) return kDegrees;
  // The descriptions are this effect's; another module's parameters have only their kinds.
  if (store.Count() == kParamCount && DescribeParam(index).unit == ParamUnit::Pixels) {
    return kPixels;
  }
  return kNone;
}

std::string ColorText(const PF_Pixel& c) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", c.red, c.green, c.blue);
  return buffer;
}

// "did you mean ...?" naming the value parameter whose path, or the same number of its last
// components, is closest to key; empty when none is close.
std::string SuggestPath(const ParamStore& store, const std::vector<std::string>& paths,
                        const std::string& key) {
  const auto depth = std::count(key.begin(), key.end(), '/');
  std::vector<std::string> tails;
  std::vector<PF_ParamIndex> rows;
  for (A_long i = 1; i < store.Count(); ++i) {
    if (IsGroupRow(store.Definition(i))) continue;
    const std::string& path = paths[i];
    std::size_t from = path.size();
    for (auto n = depth; n >= 0 && from != std::string::npos; --n) {
      from = from == 0 ? std::string::npos : path.rfind('/', from - 1);
    }
    tails.push_back(from == std::string::npos ? path : path.substr(from + 1));
    rows.push_back(i);
  }
  const auto best = ClosestIndex(key, tails);
  return best ? "did you mean \"" + paths[rows[*best]] + "\"?" : std::string();
}

}  // namespace

void Refuse(const std::vector<std::string>& paths, PF_ParamIndex index, const std::string& why) {
  throw PresetError("parameter " + std::to_string(index) + " \"" + paths[index] + "\": " + why);
}

std::vector<std::string> GroupPaths(const ParamStore& store) {
  std::vector<std::string> paths;
  std::vector<std::string> groups;
  const A_long count = store.Count();
  for (A_long i = 0; i < count; ++i) {
    const PF_ParamDef d = store.Definition(i);
    std::string prefix;
    for (const auto& g : groups) prefix += g + "/";
    if (i == 0) {
      paths.push_back("Input Layer");
    } else if (d.param_type == PF_Param_GROUP_START) {
      paths.push_back(prefix + d.name);
      groups.push_back(d.name);
    } else if (d.param_type == PF_Param_GROUP_END) {
      paths.push_back(prefix + "(end)");
      if (!groups.empty()) groups.pop_back();
    } else {
      paths.push_back(prefix + d.name);
    }
  }
  return paths;
}

PF_ParamIndex ResolveKey(const ParamStore& store, const std::vector<std::string>& paths,
                         const std::string& key) {
  const A_long count = store.Count();
  long number = 0;
  PF_ParamIndex index = -1;
  if (ParseInt(key, number)) {
    if (number < 1 || number >= count) {
      throw PresetError("no parameter " + Quoted(key) + ": indices run from 1 to " +
                        std::to_string(count - 1));
    }
    index = static_cast<PF_ParamIndex>(number);
  } else {
    const std::string wanted = Lower(Trim(key));
    // A full path first; else the last components of exactly one parameter's path ("Sort
    // Direction" for "Pixel Sorter/Sort Direction").
    std::vector<PF_ParamIndex> exact;
    std::vector<PF_ParamIndex> tail;
    for (A_long i = 1; i < count; ++i) {
      const std::string path = Lower(paths[i]);
      if (path == wanted) {
        exact.push_back(i);
      } else if (!IsGroupRow(store.Definition(i)) && path.size() > wanted.size() &&
                 path.compare(path.size() - wanted.size(), wanted.size(), wanted) == 0 &&
                 path[path.size() - wanted.size() - 1] == '/') {
        tail.push_back(i);
      }
    }
    if (exact.size() > 1) {
      throw PresetError("parameter \"" + key + "\" is ambiguous: use its index (" +
                        std::to_string(exact[0]) + " or " + std::to_string(exact[1]) + ")");
    }
    if (exact.empty() && tail.size() > 1) {
      std::string candidates;
      for (PF_ParamIndex i : tail) {
        candidates +=
            (candidates.empty() ? "" : ", ") + std::to_string(i) + " \"" + paths[i] + "\"";
      }
      throw PresetError("parameter \"" + key + "\" is ambiguous: it names " +
                        std::to_string(tail.size()) + " parameters (" + candidates + ")");
    }
    index = !exact.empty() ? exact[0] : !tail.empty() ? tail[0] : -1;
    if (index < 0) {
      const std::string hint = SuggestPath(store, paths, Trim(key));
      throw PresetError("no parameter " + Quoted(key) + ": " +
                        (hint.empty() ? "give an index or a group path as `jitterforge params` "
                                        "lists them"
                                      : hint));
    }
  }
  if (IsGroupRow(store.Definition(index))) Refuse(paths, index, "is a group row, not a value");
  return index;
}

headless::Keyframe ParseValueText(const ParamStore& store, const std::vector<std::string>& paths,
                                  PF_ParamIndex index, const std::string& value) {
  const PF_ParamDef d = store.Definition(index);
  const std::string v = Lower(Trim(value));
  headless::Keyframe key;
  switch (d.param_type) {
    case PF_Param_CHECKBOX: {
      if (v == "on" || v == "true" || v == "1" || v == "yes") {
        key.number = 1;
      } else if (v == "off" || v == "false" || v == "0" || v == "no") {
        key.number = 0;
      } else {
        Refuse(paths, index, "takes on or off, not " + Quoted(value));
      }
      return key;
    }
    case PF_Param_POPUP: {
      long choice = 0;
      if (!ParseInt(v, choice)) {
        const auto names = Split(store.Text(index), '|');
        for (std::size_t k = 0; k < names.size(); ++k) {
          if (Lower(names[k]) == v) choice = static_cast<long>(k) + 1;
        }
        if (choice == 0) {
          const std::string hint = DidYouMean(Trim(value), names);
          Refuse(paths, index,
                 "has no choice " + Quoted(value) +
                     (hint.empty() ? " (choices 1 to " + std::to_string(d.u.pd.num_choices) + ": " +
                                         store.Text(index) + ")"
                                   : ": " + hint));
        }
      }
      key.number = static_cast<double>(choice);
      return key;
    }
    case PF_Param_COLOR: {
      PF_Pixel c{255, 0, 0, 0};
      unsigned r = 0, g = 0, b = 0;
      const std::string t = Trim(value);
      long parts[3];
      const auto fields = Split(t, ',');
      if (t.size() == 7 && t[0] == '#' &&
          std::sscanf(t.c_str() + 1, "%2x%2x%2x", &r, &g, &b) == 3 &&
          std::all_of(t.begin() + 1, t.end(), [](unsigned char ch) { return std::isxdigit(ch); })) {
        c.red = static_cast<A_u_char>(r);
        c.green = static_cast<A_u_char>(g);
        c.blue = static_cast<A_u_char>(b);
      } else if (fields.size() == 3 && ParseInt(fields[0], parts[0]) &&
                 ParseInt(fields[1], parts[1]) && ParseInt(fields[2], parts[2]) &&
                 std::all_of(parts, parts + 3, [](long p) { return p >= 0 && p <= 255; })) {
        c.red = static_cast<A_u_char>(parts[0]);
        c.green = static_cast<A_u_char>(parts[1]);
        c.blue = static_cast<A_u_char>(parts[2]);
      } else {
        Refuse(paths, index, "takes R,G,B (each 0 to 255) or #RRGGBB, not " + Quoted(value));
      }
      key.color = c;
      return key;
    }
    default: {
      // A number may carry the unit its parameter counts in: "50%", "90deg", "12px".
      const char* const* units = UnitSuffixes(store, d, index);
      std::string number = Trim(value);
      for (const char* const* unit = units; *unit != nullptr; ++unit) {
        const std::string suffix = *unit;
        if (number.size() > suffix.size() &&
            Lower(number.substr(number.size() - suffix.size())) == suffix) {
          number.resize(number.size() - suffix.size());
          break;
        }
      }
      if (!ParseDouble(number, key.number)) {
        const std::string unit = units[0] == nullptr ? "" : units[0];
        Refuse(paths, index,
               "takes a number" + (unit.empty() ? "" : " (with or without " + unit + ")") +
                   ", not " + Quoted(value));
      }
      return key;
    }
  }
}

void StoreValue(ParamStore& store, const std::vector<std::string>& paths, PF_ParamIndex index,
                const headless::Keyframe& value) {
  try {
    if (store.Definition(index).param_type == PF_Param_COLOR) {
      store.SetColor(index, value.color);
    } else {
      store.SetNumber(index, value.number);
    }
  } catch (const headless::ParamError& e) {
    Refuse(paths, index, StoreRefusal(e));
  }
}

std::string StoreRefusal(const headless::ParamError& e) {
  // The store names the parameter by its bare name; keep only what it takes.
  const std::string what = e.what();
  const auto takes = what.find(") takes ");
  if (takes != std::string::npos) return what.substr(takes + 2);
  const auto colon = what.find("\": ");
  return colon == std::string::npos ? what : what.substr(colon + 3);
}

void SetFromText(ParamStore& store, const std::vector<std::string>& paths, PF_ParamIndex index,
                 const std::string& value) {
  StoreValue(store, paths, index, ParseValueText(store, paths, index, value));
}

std::vector<PF_ParamIndex> ApplySettings(ParamStore& store,
                                         const std::vector<std::string>& settings) {
  const auto paths = GroupPaths(store);
  std::vector<PF_ParamIndex> set;
  for (const std::string& setting : settings) {
    const auto eq = setting.find('=');
    if (eq == std::string::npos) {
      throw PresetError("--set takes KEY=VALUE, not " + Quoted(setting));
    }
    const PF_ParamIndex index = ResolveKey(store, paths, setting.substr(0, eq));
    SetFromText(store, paths, index, setting.substr(eq + 1));
    set.push_back(index);
  }
  return set;
}

std::string KindName(const PF_ParamDef& d) {
  if (IsPercent(d)) return "percent";
  return headless::ParamTypeName(d.param_type);
}

nlohmann::ordered_json ValueToJson(const PF_ParamDef& d) {
  switch (d.param_type) {
    case PF_Param_CHECKBOX:
      return (d.u.bd.value & 0xFF) == 1;
    case PF_Param_FLOAT_SLIDER:
      return d.u.fs_d.value;
    case PF_Param_SLIDER:
      return d.u.sd.value;
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE:
      return (d.param_type == PF_Param_ANGLE ? d.u.ad.value : d.u.fd.value) / 65536.0;
    case PF_Param_POPUP:
      return d.u.pd.value;
    case PF_Param_COLOR:
      return ColorText(d.u.cd.value);
    default:
      return nullptr;
  }
}

nlohmann::ordered_json ParamToJson(const ParamStore& store, const std::vector<std::string>& paths,
                                   PF_ParamIndex index) {
  const PF_ParamDef d = store.Definition(index);
  nlohmann::ordered_json j;
  j["index"] = index;
  j["path"] = paths[index];
  j["kind"] = KindName(d);
  if (IsGroupRow(d)) return j;
  j["value"] = ValueToJson(d);
  switch (d.param_type) {
    case PF_Param_CHECKBOX:
      j["default"] = d.u.bd.dephault == 1;
      break;
    case PF_Param_FLOAT_SLIDER:
      j["default"] = d.u.fs_d.dephault;
      j["slider_range"] = {d.u.fs_d.slider_min, d.u.fs_d.slider_max};
      j["valid_range"] = {d.u.fs_d.valid_min, d.u.fs_d.valid_max};
      j["precision"] = d.u.fs_d.precision;
      break;
    case PF_Param_FIX_SLIDER:
      j["default"] = d.u.fd.dephault / 65536.0;
      j["slider_range"] = {d.u.fd.slider_min / 65536.0, d.u.fd.slider_max / 65536.0};
      j["valid_range"] = {d.u.fd.valid_min / 65536.0, d.u.fd.valid_max / 65536.0};
      break;
    case PF_Param_ANGLE:
      j["default"] = d.u.ad.dephault / 65536.0;
      break;
    case PF_Param_POPUP: {
      j["default"] = d.u.pd.dephault;
      j["choices"] = Split(store.Text(index), '|');
      j["choice_count"] = d.u.pd.num_choices;
      break;
    }
    case PF_Param_COLOR:
      j["default"] = ColorText(d.u.cd.dephault);
      break;
    default:
      break;
  }
  return j;
}

}  // namespace jf::presets
