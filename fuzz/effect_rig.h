// The effect hosted in the fuzzing process itself, so the fuzzer sees the coverage of its code:
// one instance with its parameters declared, put back to the declared values before each input.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "entry/pipl.h"
#include "headless/instance.h"
#include "headless/module.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

namespace jf::fuzz {

class EffectRig {
 public:
  static EffectRig& Get() {
    static EffectRig rig;
    return rig;
  }

  headless::ParamStore& Params() { return m_instance->Params(); }
  headless::Instance& GetInstance() { return *m_instance; }
  const std::string& MatchName() const { return m_module.GetPipl().matchName; }

  /// Every parameter back to its declared value, keyframes gone.
  void Reset() {
    auto& store = Params();
    for (PF_ParamIndex i = 1; i < static_cast<PF_ParamIndex>(m_declared.size()); ++i) {
      const PF_ParamDef& d = m_declared[i];
      if (d.param_type == PF_Param_GROUP_START || d.param_type == PF_Param_GROUP_END) continue;
      if (d.param_type == PF_Param_COLOR) {
        store.SetColor(i, d.u.cd.value);
      } else {
        store.SetNumber(i, Declared(d));
      }
    }
  }

 private:
  EffectRig()
      : m_module(headless::Module::FromEntryPoint(&EntryPointFunc,
                                                  headless::ParsePipl(PiplBytes(), "the effect"))) {
    m_host.SetThreadCount(1);
    m_instance = std::make_unique<headless::Instance>(m_host, m_module);
    if (m_instance->GlobalSetup() != PF_Err_NONE ||
        m_instance->ParamsSetup(headless::StdoutRoute::Discard) != PF_Err_NONE) {
      __builtin_trap();
    }
    for (PF_ParamIndex i = 0; i < Params().Count(); ++i)
      m_declared.push_back(Params().Definition(i));
  }

  static double Declared(const PF_ParamDef& d) {
    switch (d.param_type) {
      case PF_Param_CHECKBOX:
        return d.u.bd.value & 0xFF;
      case PF_Param_FLOAT_SLIDER:
        return d.u.fs_d.value;
      case PF_Param_SLIDER:
        return d.u.sd.value;
      case PF_Param_FIX_SLIDER:
        return d.u.fd.value / 65536.0;
      case PF_Param_ANGLE:
        return d.u.ad.value / 65536.0;
      case PF_Param_POPUP:
        return d.u.pd.value;
      default:
        return 0;
    }
  }

  headless::Module m_module;
  headless::Host m_host;
  std::unique_ptr<headless::Instance> m_instance;
  std::vector<PF_ParamDef> m_declared;
};

}  // namespace jf::fuzz
