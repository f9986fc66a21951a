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

/// Definitions by index; index 0 is the input layer, which the host supplies itself. Keyframes
/// are not kept: every value holds at all times, though reads name a time. Thread-safe.
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

  /// Copies the definition at index with its value at time (time / timeScale seconds).
  /// PF_Err_INVALID_INDEX out of range, PF_Err_BAD_CALLBACK_PARAM for a null out.
  PF_Err Checkout(PF_ParamIndex index, A_long time, A_long timeStep, A_u_long timeScale,
                  PF_ParamDef* out) const;

  /// Number of definitions, the input layer included.
  A_long Count() const;
  /// A copy of the definition at index as declared with its current value; throws
  /// std::out_of_range for a bad index.
  PF_ParamDef Definition(PF_ParamIndex index) const;
  /// The popup's "|"-separated choices or the checkbox label ("" for other types).
  std::string Text(PF_ParamIndex index) const;
  /// One line: index, name, type and the values it takes.
  std::string Describe(PF_ParamIndex index) const;

  /// Sets a number-valued parameter, in the units it is shown in: float and integer sliders
  /// their value, percent (fixed) sliders the percentage, angles degrees, popups the 1-based
  /// choice, checkboxes 0 or 1. Throws ParamError when the index is bad, the parameter takes no
  /// number, or the value lies outside its declared valid range.
  void SetNumber(PF_ParamIndex index, double value);
  /// Sets a colour parameter (any 8-bit channels); throws ParamError for other parameters.
  void SetColor(PF_ParamIndex index, const PF_Pixel& color);

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
  };
  const Entry& At(PF_ParamIndex index) const;  // throws ParamError
  Entry& At(PF_ParamIndex index);
  PF_ParamDef CopyOut(const Entry& entry) const;

  mutable std::mutex m_mutex;
  std::vector<std::unique_ptr<Entry>> m_entries;  // stable addresses for the text pointers
};

}  // namespace jf::headless
