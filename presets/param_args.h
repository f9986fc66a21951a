// Parameters as the command line names them: by index or by group path, with values in the
// units the controls show.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "headless/params.h"

namespace jf::presets {

/// The group path of every declared parameter, by index: the names of the enclosing groups and
/// the parameter's own, joined with "/" ("Elements Scatter/Circle/Color/Opacity"). Index 0, the
/// input layer, is "Input Layer"; group ends are "<group>/(end)".
std::vector<std::string> GroupPaths(const headless::ParamStore& store);

/// The index a key names: a number 1 … count − 1, or a group path compared without regard to
/// case. Throws PresetError naming the key when it names nothing or a group row.
PF_ParamIndex ResolveKey(const headless::ParamStore& store, const std::vector<std::string>& paths,
                         const std::string& key);

/// Parses value for the parameter's kind (on/off, a number, a popup label, R,G,B or #RRGGBB)
/// and stores it; throws PresetError naming the parameter and what it takes.
void SetFromText(headless::ParamStore& store, const std::vector<std::string>& paths,
                 PF_ParamIndex index, const std::string& value);

/// Parses value as SetFromText does, into a key's number (or colour) without storing it.
headless::Keyframe ParseValueText(const headless::ParamStore& store,
                                  const std::vector<std::string>& paths, PF_ParamIndex index,
                                  const std::string& value);

/// Stores a parsed value (its colour for colour parameters, else its number); throws PresetError
/// naming the parameter and what it takes.
void StoreValue(headless::ParamStore& store, const std::vector<std::string>& paths,
                PF_ParamIndex index, const headless::Keyframe& value);

/// What a store's refusal says the parameter takes, without the store's own naming of it.
std::string StoreRefusal(const headless::ParamError& e);

/// Throws PresetError: "parameter N "path": why".
[[noreturn]] void Refuse(const std::vector<std::string>& paths, PF_ParamIndex index,
                         const std::string& why);

/// Applies "KEY=VALUE" settings in order; returns the indices set.
std::vector<PF_ParamIndex> ApplySettings(headless::ParamStore& store,
                                         const std::vector<std::string>& settings);

/// The kind as a listing shows it ("checkbox", "float slider", "percent", "angle", ...).
std::string KindName(const PF_ParamDef& def);

/// One parameter as JSON: index, path, kind, value and default in display units, ranges,
/// choices, precision.
nlohmann::ordered_json ParamToJson(const headless::ParamStore& store,
                                   const std::vector<std::string>& paths, PF_ParamIndex index);

/// The value of a parameter in display units, as JSON (number, bool, popup number or colour).
nlohmann::ordered_json ValueToJson(const PF_ParamDef& def);

}  // namespace jf::presets
