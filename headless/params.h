// The parameter store of one effect instance: definitions received through add_param and the
// current values.
#pragma once

#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "AE_Effect.h"

namespace jf::headless {

/// A refused value; what() names the parameter and the values it takes.
class ParamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Readable name of a parameter type ("float slider", "popup", ...).
std::string ParamTypeName(PF_ParamType type);

/// How a value travels from one keyframe to the next.
enum class Interpolation { Linear, Hold };

/// One key of an animated parameter: at seconds, the value in the units SetNumber takes (or a
/// colour for colour parameters); interpolation runs from this key to the next.
struct Keyframe {
  double seconds = 0;
  double number = 0;
  PF_Pixel color{};
  Interpolation interpolation = Interpolation::Linear;
};

/// Definitions by index; index 0 is the input layer, which the host supplies itself. A value
/// either holds at all times or follows keyframes, evaluated at the time a checkout names.
/// Thread-safe.
class ParamStore {
 public:
  ParamStore();

  /// Drops every definition but the input layer.
  void Reset();

  /// Stores a copy of def (with copies of its name, popup choices and checkbox label, which
  /// the effect only guarantees while it is loaded). index -1, or the next index, appends;
  /// any other index gives PF_Err_INVALID_INDEX; a null def PF_Err_BAD_CALLBACK_PARAM; a type
  /// the host does not know PF_Err_UNRECOGNIZED_PARAM_TYPE.
  PF_Err Add(PF_ParamIndex index, const PF_ParamDef* def);

  /// Copies the definition at index with its value at time (time / timeScale seconds; a zero
  /// timeScale reads time 0). PF_Err_INVALID_INDEX out of range, PF_Err_BAD_CALLBACK_PARAM for
  /// a null out.
  PF_Err Checkout(PF_ParamIndex index, A_long time, A_long timeStep, A_u_long timeScale,
                  PF_ParamDef* out) const;

  /// The definition at index with its value at seconds; throws std::out_of_range for a bad index.
  PF_ParamDef DefinitionAt(PF_ParamIndex index, double seconds) const;

  /// Number of definitions, the input layer included.
  A_long Count() const;
  /// A copy of the definition at index as declared with its current value (for an animated
  /// parameter, its first key's); throws std::out_of_range for a bad index.
  PF_ParamDef Definition(PF_ParamIndex index) const;
  /// The popup's "|"-separated choices or the checkbox label ("" for other types).
  std::string Text(PF_ParamIndex index) const;
  /// One line: index, name, type and the values it takes.
  std::string Describe(PF_ParamIndex index) const;

  /// Sets a number-valued parameter, in the units it is shown in: float and integer sliders
  /// their value, percent (fixed) sliders the percentage, angles degrees, popups the 1-based
  /// choice, checkboxes 0 or 1. Throws ParamError when the index is bad, the parameter takes no
  /// number, or the value lies outside its declared valid range. The value then holds at all
  /// times: any keyframes are dropped.
  void SetNumber(PF_ParamIndex index, double value);
  /// Throws ParamError exactly when SetNumber(index, value) would, and changes nothing.
  void CheckNumber(PF_ParamIndex index, double value) const;
  /// Sets a colour parameter (any 8-bit channels); throws ParamError for other parameters. Drops
  /// any keyframes.
  void SetColor(PF_ParamIndex index, const PF_Pixel& color);

  /// Animates a parameter. Keys are sorted by time; each value is checked as SetNumber or
  /// SetColor would, and nothing changes when one is refused (ParamError). Between two keys a
  /// number moves linearly in the units it is shown in and is then stored as SetNumber stores
  /// it (integer sliders rounded to nearest); colours move per channel, rounded. Checkboxes and
  /// popups always hold. Before the first key its value holds, after the last key the last's.
  /// Two keys at one time are refused. An empty list makes the current value hold again.
  void SetKeyframes(PF_ParamIndex index, std::vector<Keyframe> keys);
  /// The keys of an animated parameter, sorted by time; empty when its value holds.
  std::vector<Keyframe> Keyframes(PF_ParamIndex index) const;

  /// The world a checkout of the input layer (index 0) describes; null when there is none.
  void SetLayerWorld(const PF_EffectWorld* world);

  /// The hidden flag an effect sets on a parameter's stream; it stays until the effect changes
  /// it or the parameters are declared again. PF_Err_INVALID_INDEX for a bad index.
  PF_Err SetHidden(PF_ParamIndex index, bool hidden);
  /// Throws std::out_of_range for a bad index.
  bool Hidden(PF_ParamIndex index) const;

 private:
  struct Entry {
    PF_ParamDef def{};
    std::string text;  // popup choices or checkbox label
    bool hidden = false;
    std::vector<Keyframe> keys;  // sorted by time; empty when the value holds
  };
  const Entry& At(PF_ParamIndex index) const;  // throws ParamError
  Entry& At(PF_ParamIndex index);
  PF_ParamDef CopyOut(const Entry& entry) const;
  PF_ParamDef CopyOutAt(const Entry& entry, double seconds) const;

  mutable std::mutex m_mutex;
  std::vector<std::unique_ptr<Entry>> m_entries;  // stable addresses for the text pointers
};

}  // namespace jf::headless
