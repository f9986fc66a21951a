// See params_listing.h.
#include "cli/params_listing.h"

#include <cstdio>
#include <sstream>

#include "cli/errors.h"
#include "presets/param_args.h"
#include "params/param_descriptions.h"

namespace jf::cli {
namespace {

using headless::ParamStore;

std::string Number(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", v);
  return buffer;
}

std::vector<std::string> Choices(const std::string& text) {
  std::vector<std::string> names;
  std::size_t from = 0;
  for (std::size_t bar; (bar = text.find('|', from)) != std::string::npos; from = bar + 1) {
    names.push_back(text.substr(from, bar - from));
  }
  names.push_back(text.substr(from));
  return names;
}

const ParamDescription* Description(const ParamStore& store, PF_ParamIndex index) {
  // The descriptions are this effect's; another module's parameters go without.
  return store.Count() == kParamCount ? &DescribeParam(index) : nullptr;
}

std::string UnitSuffix(const ParamStore& store, const PF_ParamDef& d, PF_ParamIndex index) {
  if (KindName(d) == "percent") return "%";
  if (d.param_type == PF_Param_ANGLE) return "\u00b0";
  const ParamDescription* description = Description(store, index);
  return description != nullptr && description->unit == ParamUnit::Pixels ? " px" : "";
}

// A value as the control shows it: on/off, a popup's choice by name, a number with its unit.
std::string ValueText(const ParamStore& store, PF_ParamIndex index, const PF_ParamDef& d,
                      double number, const PF_Pixel& color) {
  switch (d.param_type) {
    case PF_Param_CHECKBOX:
      return number != 0 ? "on" : "off";
    case PF_Param_POPUP: {
      const auto names = Choices(store.Text(index));
      const auto choice = static_cast<long>(number);
      // The declared count runs one past the names; that last choice has no name to show.
      return choice >= 1 && choice <= static_cast<long>(names.size())
                 ? "\"" + names[choice - 1] + "\""
                 : Number(number);
    }
    case PF_Param_COLOR: {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", color.red, color.green, color.blue);
      return buffer;
    }
    default:
      return Number(number) + UnitSuffix(store, d, index);
  }
}

double NumberOf(const PF_ParamDef& d, bool dephault) {
  switch (d.param_type) {
    case PF_Param_CHECKBOX:
      return dephault ? d.u.bd.dephault : d.u.bd.value & 0xFF;
    case PF_Param_POPUP:
      return dephault ? d.u.pd.dephault : d.u.pd.value;
    case PF_Param_FLOAT_SLIDER:
      return dephault ? d.u.fs_d.dephault : d.u.fs_d.value;
    case PF_Param_SLIDER:
      return dephault ? d.u.sd.dephault : d.u.sd.value;
    case PF_Param_FIX_SLIDER:
      return (dephault ? d.u.fd.dephault : d.u.fd.value) / 65536.0;
    case PF_Param_ANGLE:
      return (dephault ? d.u.ad.dephault : d.u.ad.value) / 65536.0;
    default:
      return 0;
  }
}

std::string CurrentText(const ParamStore& store, PF_ParamIndex index, const PF_ParamDef& d) {
  return ValueText(store, index, d, NumberOf(d, false), d.u.cd.value);
}

std::string DefaultText(const ParamStore& store, PF_ParamIndex index, const PF_ParamDef& d) {
  return ValueText(store, index, d, NumberOf(d, true), d.u.cd.dephault);
}

// "1 to 100 (typed: 1 to 100000)" for sliders, in the unit they count in; empty otherwise.
std::string RangeText(const ParamStore& store, PF_ParamIndex index, const PF_ParamDef& d) {
  double range[4];
  if (d.param_type == PF_Param_FLOAT_SLIDER) {
    const auto& s = d.u.fs_d;
    range[0] = s.slider_min, range[1] = s.slider_max, range[2] = s.valid_min,
    range[3] = s.valid_max;
  } else if (d.param_type == PF_Param_FIX_SLIDER) {
    const auto& s = d.u.fd;
    range[0] = s.slider_min / 65536.0, range[1] = s.slider_max / 65536.0,
    range[2] = s.valid_min / 65536.0, range[3] = s.valid_max / 65536.0;
  } else {
    return "";
  }
  const std::string unit = UnitSuffix(store, d, index);
  std::string text = Number(range[0]) + " to " + Number(range[1]) + unit;
  if (range[2] != range[0] || range[3] != range[1]) {
    text += " (typed: " + Number(range[2]) + " to " + Number(range[3]) + unit + ")";
  }
  return text;
}

std::string KeysText(const ParamStore& store, PF_ParamIndex index, const PF_ParamDef& d,
                     const std::vector<headless::Keyframe>& keys) {
  // A long run of keys (a burst every two seconds) shows its start and how many there are.
  constexpr std::size_t kShown = 6;
  std::string text;
  for (std::size_t k = 0; k < keys.size() && k < kShown; ++k) {
    const auto& key = keys[k];
    text += (text.empty() ? "" : ", ") + Number(key.seconds) +
            " s: " + ValueText(store, index, d, key.number, key.color) +
            (key.interpolation == headless::Interpolation::Hold ? " (hold)" : "");
  }
  if (keys.size() > kShown) text += ", ... (" + std::to_string(keys.size()) + " keys)";
  return text;
}

}  // namespace

std::string ParamsListing(const ParamStore& store, const std::vector<std::string>& paths,
                          const ListingMoment& moment) {
  std::ostringstream out;
  out << "Values at " << moment.label << ".";
  if (moment.hidden != nullptr) {
    out << " (hidden): not shown in the host's controls with the current settings; can still be "
           "set.";
  }
  out << "\n";
  const A_long count = store.Count();
  for (A_long i = 1; i < count; ++i) {
    const PF_ParamDef d = store.DefinitionAt(i, moment.seconds);
    if (d.param_type == PF_Param_GROUP_END) continue;
    char head[16];
    std::snprintf(head, sizeof head, "%4d  ", i);
    out << head << paths[i] << "  [" << KindName(d) << "]";
    if (d.param_type != PF_Param_GROUP_START) {
      out << "  = " << CurrentText(store, i, d) << "  (default " << DefaultText(store, i, d) << ")";
    }
    if (const std::string range = RangeText(store, i, d); !range.empty()) out << "  " << range;
    if (d.param_type == PF_Param_POPUP) out << "  choices: " << store.Text(i);
    if (moment.hidden != nullptr && i < static_cast<A_long>(moment.hidden->size()) &&
        (*moment.hidden)[i]) {
      out << "  (hidden)";
    }
    if (auto s = moment.schedules.find(i); s != moment.schedules.end()) {
      out << "  schedule " << s->second;
    } else if (auto keys = store.Keyframes(i); !keys.empty()) {
      out << "  keyframes " << KeysText(store, i, d, keys);
    }
    out << "\n";
    if (const ParamDescription* description = Description(store, i);
        description != nullptr && d.param_type != PF_Param_GROUP_START) {
      out << "        " << description->text << "\n";
    }
  }
  return out.str();
}

std::string ParamsMarkdown(const ParamStore& store, const std::vector<std::string>& paths) {
  std::ostringstream out;
  out << "# Parameters\n\n"
         "Every parameter of the effect in the order the host declares them, with its default "
         "and what it does. `--set` and presets name a parameter by its index, by its path "
         "(`Pixel Sorter/Sort Direction`) or by the end of its path when only one parameter has "
         "it (`Sort Direction`); a number may carry its unit (`50%`, `90deg`, `12px`). Sliders "
         "accept typed values beyond the range their control shows, up to the typed range.\n\n"
         "This file is generated by `cmake --build BUILD --target parameters_doc`, which runs "
         "`jitterforge params --markdown`.\n";
  // Long choice lists (the blend modes) are written once, after the tables.
  std::map<std::string, std::string> longLists;
  const A_long count = store.Count();
  for (A_long i = 1; i < count; ++i) {
    const PF_ParamDef d = store.Definition(i);
    if (d.param_type == PF_Param_GROUP_END) continue;
    const std::string& path = paths[i];
    if (d.param_type == PF_Param_GROUP_START && path.find('/') == std::string::npos) {
      out << "\n## " << path << "\n\n"
          << "| Index | Parameter | Kind | Default | Range | What it does |\n"
          << "|---|---|---|---|---|---|\n";
      continue;
    }
    if (d.param_type == PF_Param_GROUP_START) continue;
    const ParamDescription* description = Description(store, i);
    std::string range = RangeText(store, i, d);
    if (d.param_type == PF_Param_POPUP) {
      const auto names = Choices(store.Text(i));
      if (names.size() > 10) {
        range = "one of the " + std::to_string(names.size()) + " blend modes below";
        longLists.emplace(store.Text(i), "");
      } else {
        for (const auto& name : names) range += (range.empty() ? "" : ", ") + name;
      }
    }
    out << "| " << i << " | " << path.substr(path.find('/') + 1) << " | " << KindName(d) << " | "
        << DefaultText(store, i, d) << " | " << range << " | "
        << (description != nullptr ? description->text : "") << " |\n";
  }
  for (const auto& [list, unused] : longLists) {
    out << "\n## Blend modes\n\n";
    for (const auto& name : Choices(list)) out << "- " << name << "\n";
  }
  return out.str();
}

}  // namespace jf::cli
