// See params.h.
#include "headless/params.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <utility>

namespace jf::headless {
namespace {

// An effect's strings are read up to here at most: a label has no business being longer, and a
// missing terminator must not walk through the effect's memory.
constexpr std::size_t kMaxTextBytes = 1 << 16;

std::string CopyText(const char* text) {
  if (text == nullptr) return {};
  return std::string(text, strnlen(text, kMaxTextBytes));
}

std::string Number(double v) {
  std::ostringstream s;
  s.precision(10);
  s << v;
  return s.str();
}

double FixedToDouble(PF_Fixed v) {
  return v / 65536.0;
}

// Keys count as reached this close before their time, so a key placed on a frame's time is
// reached by that frame's checkout however the two times were rounded on the way.
constexpr double kKeyTolerance = 1e-9;

bool AlwaysHolds(const PF_ParamDef& d) {
  return d.param_type == PF_Param_CHECKBOX || d.param_type == PF_Param_POPUP;
}

// Stores value, in the units the control shows, into d; throws ParamError when d cannot take it.
void StoreNumber(PF_ParamDef& d, PF_ParamIndex index, double value) {
  auto refuse = [&](const std::string& takes) {
    throw ParamError("parameter " + std::to_string(index) + " \"" + d.name + "\" (" +
                     ParamTypeName(d.param_type) + ") takes " + takes + ", not " + Number(value));
  };
  const bool whole = std::isfinite(value) && std::trunc(value) == value;
  switch (d.param_type) {
    case PF_Param_FLOAT_SLIDER: {
      const double lo = d.u.fs_d.valid_min, hi = d.u.fs_d.valid_max;
      if (!(value >= lo && value <= hi)) refuse(Number(lo) + " to " + Number(hi));
      d.u.fs_d.value = value;
      return;
    }
    case PF_Param_SLIDER: {
      const PF_ParamValue lo = d.u.sd.valid_min, hi = d.u.sd.valid_max;
      if (!whole || value < lo || value > hi) {
        refuse("whole numbers " + std::to_string(lo) + " to " + std::to_string(hi));
      }
      d.u.sd.value = static_cast<PF_ParamValue>(value);
      return;
    }
    case PF_Param_FIX_SLIDER: {
      // Shown as a number, stored as 16.16 fixed point truncated toward zero: the conversion
      // the effect applies to its own defaults, so a typed default reads back unchanged.
      const PF_Fixed lo = d.u.fd.valid_min, hi = d.u.fd.valid_max;
      const double fixed = std::isfinite(value) ? std::trunc(value * 65536.0) : NAN;
      if (!(fixed >= lo && fixed <= hi)) {
        refuse(Number(FixedToDouble(lo)) + " to " + Number(FixedToDouble(hi)));
      }
      d.u.fd.value = static_cast<PF_Fixed>(fixed);
      return;
    }
    case PF_Param_ANGLE: {
      // Any angle the 16.16 value can hold.
      const double fixed = std::isfinite(value) ? std::trunc(value * 65536.0) : NAN;
      if (!(fixed >= -2147483648.0 && fixed <= 2147483647.0)) refuse("degrees within +-32767");
      d.u.ad.value = static_cast<PF_Fixed>(fixed);
      return;
    }
    case PF_Param_POPUP: {
      if (!whole || value < 1 || value > d.u.pd.num_choices) {
        refuse("a choice 1 to " + std::to_string(d.u.pd.num_choices));
      }
      d.u.pd.value = static_cast<PF_ParamValue>(value);
      return;
    }
    case PF_Param_CHECKBOX: {
      if (value != 0 && value != 1) refuse("0 or 1");
      d.u.bd.value = static_cast<PF_ParamValue>(value);
      return;
    }
    default:
      refuse("no number");
  }
}

void StoreKey(PF_ParamDef& d, PF_ParamIndex index, const Keyframe& key) {
  if (d.param_type == PF_Param_COLOR) {
    d.u.cd.value = key.color;
  } else {
    StoreNumber(d, index, key.number);
  }
}

// The value between keys a and b at fraction t (0 at a, 1 at b), stored into d.
void StoreBetween(PF_ParamDef& d, PF_ParamIndex index, const Keyframe& a, const Keyframe& b,
                  double t) {
  if (d.param_type == PF_Param_COLOR) {
    auto mix = [t](A_u_char x, A_u_char y) {
      return static_cast<A_u_char>(std::lround(x + (y - x) * t));
    };
    d.u.cd.value = PF_Pixel{mix(a.color.alpha, b.color.alpha), mix(a.color.red, b.color.red),
                            mix(a.color.green, b.color.green), mix(a.color.blue, b.color.blue)};
    return;
  }
  // Clamped to the two keys: rounding must never carry the value past a valid end point.
  double v = std::clamp(a.number + (b.number - a.number) * t, std::min(a.number, b.number),
                        std::max(a.number, b.number));
  if (d.param_type == PF_Param_SLIDER) v = std::round(v);
  StoreNumber(d, index, v);
}

}  // namespace

std::string ParamTypeName(PF_ParamType type) {
  switch (type) {
    case PF_Param_LAYER:
      return "layer";
    case PF_Param_SLIDER:
      return "slider";
    case PF_Param_FIX_SLIDER:
      return "percent slider";
    case PF_Param_ANGLE:
      return "angle";
    case PF_Param_CHECKBOX:
      return "checkbox";
    case PF_Param_COLOR:
      return "colour";
    case PF_Param_POINT:
      return "point";
    case PF_Param_POPUP:
      return "popup";
    case PF_Param_CUSTOM:
      return "custom";
    case PF_Param_NO_DATA:
      return "no data";
    case PF_Param_FLOAT_SLIDER:
      return "float slider";
    case PF_Param_ARBITRARY_DATA:
      return "arbitrary data";
    case PF_Param_PATH:
      return "path";
    case PF_Param_GROUP_START:
      return "group start";
    case PF_Param_GROUP_END:
      return "group end";
    case PF_Param_BUTTON:
      return "button";
    case PF_Param_POINT_3D:
      return "3D point";
    default:
      return "type " + std::to_string(type);
  }
}

ParamStore::ParamStore() {
  Reset();
}

void ParamStore::Reset() {
  std::lock_guard lock(m_mutex);
  m_entries.clear();
  auto layer = std::make_unique<Entry>();
  layer->def.param_type = PF_Param_LAYER;
  layer->def.u.ld.dephault = PF_LayerDefault_MYSELF;
  m_entries.push_back(std::move(layer));
}

PF_Err ParamStore::Add(PF_ParamIndex index, const PF_ParamDef* def) {
  if (def == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  switch (def->param_type) {
    case PF_Param_LAYER:
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE:
    case PF_Param_CHECKBOX:
    case PF_Param_COLOR:
    case PF_Param_POINT:
    case PF_Param_POPUP:
    case PF_Param_CUSTOM:
    case PF_Param_NO_DATA:
    case PF_Param_FLOAT_SLIDER:
    case PF_Param_ARBITRARY_DATA:
    case PF_Param_PATH:
    case PF_Param_GROUP_START:
    case PF_Param_GROUP_END:
    case PF_Param_BUTTON:
    case PF_Param_POINT_3D:
      break;
    default:
      return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  std::lock_guard lock(m_mutex);
  if (index != -1 && index != static_cast<PF_ParamIndex>(m_entries.size())) {
    return PF_Err_INVALID_INDEX;
  }
  auto entry = std::make_unique<Entry>();
  entry->def = *def;
  entry->def.name[sizeof entry->def.name - 1] = '\0';
  if (def->param_type == PF_Param_POPUP) {
    entry->text = CopyText(def->u.pd.u.namesptr);
  } else if (def->param_type == PF_Param_CHECKBOX) {
    entry->text = CopyText(def->u.bd.u.nameptr);
  }
  m_entries.push_back(std::move(entry));
  return PF_Err_NONE;
}

PF_ParamDef ParamStore::CopyOut(const Entry& entry) const {
  PF_ParamDef out = entry.def;
  // The effect's own pointers may be gone; hand out the host's copies.
  if (out.param_type == PF_Param_POPUP) out.u.pd.u.namesptr = entry.text.c_str();
  if (out.param_type == PF_Param_CHECKBOX) out.u.bd.u.nameptr = entry.text.c_str();
  return out;
}

PF_ParamDef ParamStore::CopyOutAt(const Entry& entry, double seconds) const {
  PF_ParamDef out = CopyOut(entry);
  const auto& keys = entry.keys;
  if (keys.empty()) return out;
  // The last key reached; before the first, the first holds.
  // Keys were checked when set, so storing them cannot fail here (the index only names the
  // parameter in a refusal).
  auto next = std::upper_bound(keys.begin(), keys.end(), seconds + kKeyTolerance,
                               [](double s, const Keyframe& k) { return s < k.seconds; });
  if (next == keys.begin()) {
    StoreKey(out, 0, keys.front());
    return out;
  }
  const Keyframe& a = *(next - 1);
  if (next == keys.end() || a.interpolation == Interpolation::Hold || AlwaysHolds(out)) {
    StoreKey(out, 0, a);
    return out;
  }
  const Keyframe& b = *next;
  const double t = std::clamp((seconds - a.seconds) / (b.seconds - a.seconds), 0.0, 1.0);
  StoreBetween(out, 0, a, b, t);
  return out;
}

PF_Err ParamStore::Checkout(PF_ParamIndex index, A_long time, A_long /*timeStep*/,
                            A_u_long timeScale, PF_ParamDef* out) const {
  if (out == nullptr) return PF_Err_BAD_CALLBACK_PARAM;
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    return PF_Err_INVALID_INDEX;
  }
  const double seconds = timeScale == 0 ? 0.0 : static_cast<double>(time) / timeScale;
  *out = CopyOutAt(*m_entries[index], seconds);
  return PF_Err_NONE;
}

PF_ParamDef ParamStore::DefinitionAt(PF_ParamIndex index, double seconds) const {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    throw std::out_of_range("no parameter " + std::to_string(index));
  }
  return CopyOutAt(*m_entries[index], seconds);
}

A_long ParamStore::Count() const {
  std::lock_guard lock(m_mutex);
  return static_cast<A_long>(m_entries.size());
}

const ParamStore::Entry& ParamStore::At(PF_ParamIndex index) const {
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    throw ParamError("no parameter " + std::to_string(index) + " (the effect declares 1 to " +
                     std::to_string(static_cast<long>(m_entries.size()) - 1) + ")");
  }
  return *m_entries[index];
}

ParamStore::Entry& ParamStore::At(PF_ParamIndex index) {
  return const_cast<Entry&>(std::as_const(*this).At(index));
}

PF_ParamDef ParamStore::Definition(PF_ParamIndex index) const {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    throw std::out_of_range("no parameter " + std::to_string(index));
  }
  return CopyOut(*m_entries[index]);
}

std::string ParamStore::Text(PF_ParamIndex index) const {
  std::lock_guard lock(m_mutex);
  return At(index).text;
}

std::string ParamStore::Describe(PF_ParamIndex index) const {
  std::lock_guard lock(m_mutex);
  const PF_ParamDef& d = At(index).def;
  std::string s =
      "parameter " + std::to_string(index) + " \"" + d.name + "\" (" + ParamTypeName(d.param_type);
  switch (d.param_type) {
    case PF_Param_FLOAT_SLIDER:
      s += ", " + Number(d.u.fs_d.valid_min) + " to " + Number(d.u.fs_d.valid_max);
      break;
    case PF_Param_SLIDER:
      s += ", " + std::to_string(d.u.sd.valid_min) + " to " + std::to_string(d.u.sd.valid_max);
      break;
    case PF_Param_FIX_SLIDER:
      s += ", " + Number(FixedToDouble(d.u.fd.valid_min)) + " to " +
           Number(FixedToDouble(d.u.fd.valid_max));
      break;
    case PF_Param_POPUP:
      s += ", 1 to " + std::to_string(d.u.pd.num_choices);
      break;
    case PF_Param_CHECKBOX:
      s += ", 0 or 1";
      break;
    case PF_Param_ANGLE:
      s += ", any degrees";
      break;
    case PF_Param_COLOR:
      s += ", any 8-bit channels";
      break;
    default:
      break;
  }
  return s + ")";
}

void ParamStore::SetNumber(PF_ParamIndex index, double value) {
  std::lock_guard lock(m_mutex);
  Entry& e = At(index);
  StoreNumber(e.def, index, value);
  e.keys.clear();
}

void ParamStore::CheckNumber(PF_ParamIndex index, double value) const {
  std::lock_guard lock(m_mutex);
  PF_ParamDef scratch = At(index).def;
  StoreNumber(scratch, index, value);
}

void ParamStore::SetColor(PF_ParamIndex index, const PF_Pixel& color) {
  std::lock_guard lock(m_mutex);
  PF_ParamDef& d = At(index).def;
  if (d.param_type != PF_Param_COLOR) {
    throw ParamError("parameter " + std::to_string(index) + " \"" + d.name + "\" (" +
                     ParamTypeName(d.param_type) + ") takes no colour");
  }
  d.u.cd.value = color;
  At(index).keys.clear();
}

void ParamStore::SetKeyframes(PF_ParamIndex index, std::vector<Keyframe> keys) {
  std::lock_guard lock(m_mutex);
  Entry& e = At(index);
  std::stable_sort(keys.begin(), keys.end(),
                   [](const Keyframe& a, const Keyframe& b) { return a.seconds < b.seconds; });
  // Check every key on a scratch copy first, so a refusal changes nothing.
  PF_ParamDef scratch = e.def;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    if (!std::isfinite(keys[k].seconds)) {
      throw ParamError("parameter " + std::to_string(index) + " \"" + e.def.name +
                       "\": a keyframe time must be a finite number of seconds");
    }
    if (k > 0 && keys[k].seconds - keys[k - 1].seconds <= kKeyTolerance) {
      throw ParamError("parameter " + std::to_string(index) + " \"" + e.def.name +
                       "\": two keyframes at " + Number(keys[k].seconds) + " s");
    }
    if (e.def.param_type != PF_Param_COLOR) {
      StoreNumber(scratch, index, keys[k].number);
    } else {
      scratch.u.cd.value = keys[k].color;
    }
  }
  if (!keys.empty()) StoreKey(e.def, index, keys.front());
  e.keys = std::move(keys);
}

std::vector<Keyframe> ParamStore::Keyframes(PF_ParamIndex index) const {
  std::lock_guard lock(m_mutex);
  return At(index).keys;
}

PF_Err ParamStore::SetHidden(PF_ParamIndex index, bool hidden) {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    return PF_Err_INVALID_INDEX;
  }
  m_entries[index]->hidden = hidden;
  return PF_Err_NONE;
}

bool ParamStore::Hidden(PF_ParamIndex index) const {
  std::lock_guard lock(m_mutex);
  if (index < 0 || index >= static_cast<PF_ParamIndex>(m_entries.size())) {
    throw std::out_of_range("no parameter " + std::to_string(index));
  }
  return m_entries[index]->hidden;
}

void ParamStore::SetLayerWorld(const PF_EffectWorld* world) {
  std::lock_guard lock(m_mutex);
  PF_LayerDef& ld = m_entries[0]->def.u.ld;
  if (world != nullptr) {
    ld = *world;
  } else {
    ld = PF_LayerDef{};
  }
  ld.dephault = PF_LayerDefault_MYSELF;
}

}  // namespace jf::headless
