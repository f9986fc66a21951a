// See declare.h.
#include "params/declare.h"

#include <cstdio>
#include <cstring>

#include "AE_EffectCB.h"
#include "entry/global.h"
#include "params/param_table.h"
#include "params/string_table.h"

namespace jf {
namespace {

/// v in 16.16 fixed point: v × 65536 in double precision, truncated toward zero. The table's
/// values are checked at build time to fit.
PF_Fixed ToFixed(float v) {
  return static_cast<PF_Fixed>(static_cast<double>(v) * 65536.0);
}

/// A color channel from 0 to 255: truncated toward zero, low 8 bits kept.
A_u_char ToChannel(float v) {
  return static_cast<A_u_char>(static_cast<A_long>(v) & 0xFF);
}

PF_ParamType HostType(ParamKind kind) {
  switch (kind) {
    case ParamKind::GroupStart:
      return PF_Param_GROUP_START;
    case ParamKind::GroupEnd:
      return PF_Param_GROUP_END;
    case ParamKind::Checkbox:
      return PF_Param_CHECKBOX;
    case ParamKind::FloatSlider:
      return PF_Param_FLOAT_SLIDER;
    case ParamKind::Percent:
      return PF_Param_FIX_SLIDER;
    case ParamKind::Angle:
      return PF_Param_ANGLE;
    case ParamKind::Color:
      return PF_Param_COLOR;
    case ParamKind::Popup:
      return PF_Param_POPUP;
    case ParamKind::None:
      break;
  }
  return PF_Param_RESERVED;
}

/// The host definition of row id, ready for add_param.
void FillDefinition(PF_InData* in, ParamId id, const ParamDescriptor& row, PF_ParamDef& def) {
  std::memset(&def, 0, sizeof def);

  if (row.supervise != 0) def.flags |= PF_ParamFlag_SUPERVISE;
  // Basic Blocks is the one stage a new instance renders, so its group alone starts open.
  if (id != ParamId::BasicBlocksGroupStart) def.flags |= PF_ParamFlag_START_COLLAPSED;

  def.param_type = HostType(row.kind);
  if (row.kind != ParamKind::GroupEnd) {
    in->utils->ansi.strcpy(def.name, LookUpString(row.name));
  }

  const ParamSlot dflt = row.values[ParamDescriptor::kDefault];
  switch (row.kind) {
    case ParamKind::None:
    case ParamKind::GroupStart:
    case ParamKind::GroupEnd:
      break;
    case ParamKind::Checkbox: {
      const A_u_char on = static_cast<A_u_char>(dflt.AsInt() & 0xFF);
      def.u.bd.value = on;
      def.u.bd.dephault = static_cast<PF_Boolean>(on);
      def.u.bd.u.nameptr = "";
      break;
    }
    case ParamKind::FloatSlider: {
      PF_FloatSliderDef& fs = def.u.fs_d;
      fs.valid_min = row.values[ParamDescriptor::kValidMin].AsFloat();
      fs.valid_max = row.values[ParamDescriptor::kValidMax].AsFloat();
      fs.slider_min = row.values[ParamDescriptor::kSliderMin].AsFloat();
      fs.slider_max = row.values[ParamDescriptor::kSliderMax].AsFloat();
      fs.dephault = row.values[ParamDescriptor::kSliderDefault].AsFloat();
      fs.value = static_cast<PF_FpLong>(fs.dephault);
      fs.precision = static_cast<A_short>(row.precision);
      fs.display_flags = 0;
      fs.curve_tolerance = AEFX_AUDIO_DEFAULT_CURVE_TOLERANCE;
      fs.fs_flags = 0;
      break;
    }
    case ParamKind::Percent: {
      // A percent is a 16.16 fixed slider over 0 to 100, shown with one decimal and a "%".
      PF_FixedSliderDef& fd = def.u.fd;
      fd.valid_min = 0;
      fd.valid_max = ToFixed(100.0f);
      fd.slider_min = 0;
      fd.slider_max = ToFixed(100.0f);
      fd.dephault = ToFixed(dflt.AsFloat());
      fd.value = fd.dephault;
      fd.precision = 1;
      fd.display_flags = PF_ValueDisplayFlag_PERCENT;
      break;
    }
    case ParamKind::Angle:
      // Angles are unbounded: both bounds stay 0.
      def.u.ad.dephault = ToFixed(dflt.AsFloat());
      def.u.ad.value = def.u.ad.dephault;
      break;
    case ParamKind::Color: {
      PF_Pixel pixel;
      pixel.alpha = 255;
      pixel.red = ToChannel(row.values[ParamDescriptor::kRed].AsFloat());
      pixel.green = ToChannel(row.values[ParamDescriptor::kGreen].AsFloat());
      pixel.blue = ToChannel(row.values[ParamDescriptor::kBlue].AsFloat());
      def.u.cd.value = pixel;
      def.u.cd.dephault = pixel;
      break;
    }
    case ParamKind::Popup:
      // The host's choice fields are 16 bits wide; the value is that default, sign-extended.
      def.u.pd.num_choices = static_cast<A_short>(row.choiceCount);
      def.u.pd.dephault = static_cast<A_short>(dflt.AsInt());
      def.u.pd.value = def.u.pd.dephault;
      def.u.pd.u.namesptr = LookUpString(row.choices);
      break;
  }

  def.uu.id = row.diskId;
}

}  // namespace

PF_Err DeclareParams(PF_InData* in, PF_OutData* out) {
  PF_Err err = PF_Err_NONE;
  for (A_long index = 1; index < kParamCount && err == PF_Err_NONE; ++index) {
    const ParamId id = static_cast<ParamId>(index);
    const ParamDescriptor& row = LookUpParam(id);

    std::printf("%d %s %d\n", static_cast<int>(index), LookUpString(row.name),
                static_cast<int>(row.kind));

    PF_ParamDef def;
    FillDefinition(in, id, row, def);
    err = in->inter.add_param(in->effect_ref, -1, &def);
  }
  // The lines must reach a redirected stdout even when the host never flushes it.
  std::fflush(stdout);
  if (err != PF_Err_NONE) return err;

  out->num_params = kParamCount;
  // The flag lets the visibility update act. Global setup may have ended without installing
  // GlobalData (or the handle may hold no block); the parameters are declared all the same and
  // the flag has nowhere to go, so the visibility update stays idle, as before a declaration.
  if (out->global_data != nullptr && *out->global_data != nullptr) {
    static_cast<GlobalData*>(*out->global_data)->paramsDeclared = 1;
  }
  return PF_Err_NONE;
}

}  // namespace jf
