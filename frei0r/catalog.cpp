// See catalog.h.
#include "frei0r/catalog.h"

#include "frei0r/frei0r_api.h"

#include <cstdio>

#include "presets/param_args.h"

namespace jf::frei0r {
namespace {

std::string Number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", v);
  return buffer;
}

std::string Explain(const headless::ParamStore& store, PF_ParamIndex index) {
  const PF_ParamDef def = store.Definition(index);
  const ValueScale s = ScaleOf(def);
  switch (def.param_type) {
    case PF_Param_CHECKBOX:
      return "on or off";
    case PF_Param_COLOR:
      return "colour";
    case PF_Param_POPUP:
      return "0..1 picks the choices evenly, 0 the first, 1 the last: " + store.Text(index);
    case PF_Param_ANGLE:
      return "0..1 is 0..360 degrees";
    default:
      break;
  }
  std::string text = "0..1 is " + Number(s.at0) + ".." + Number(s.at1);
  if (s.lo != s.at0 || s.hi != s.at1) text += " (takes " + Number(s.lo) + ".." + Number(s.hi) + ")";
  if (def.param_type == PF_Param_FIX_SLIDER &&
      (def.u.fd.display_flags & PF_ValueDisplayFlag_PERCENT) != 0) {
    text += " percent";
  }
  return text;
}

}  // namespace

std::vector<CatalogEntry> BuildCatalog(const headless::ParamStore& store) {
  std::vector<CatalogEntry> catalog;
  catalog.push_back(
      {"preset",
       "a Jitterforge JSON preset file or a look's name (jitterforge looks); values set "
       "here override it",
       F0R_PARAM_STRING, 0});
  const std::vector<std::string> paths = presets::GroupPaths(store);
  for (PF_ParamIndex i = 1; i < store.Count(); ++i) {
    int type = 0;
    switch (KindOf(store.Definition(i))) {
      case ValueKind::Bool:
        type = F0R_PARAM_BOOL;
        break;
      case ValueKind::Double:
        type = F0R_PARAM_DOUBLE;
        break;
      case ValueKind::Color:
        type = F0R_PARAM_COLOR;
        break;
      case ValueKind::None:
        continue;
    }
    catalog.push_back({paths[i], Explain(store, i), type, i});
  }
  // Without the effect's parameters a mix here would stand in the place of the first of them.
  if (store.Count() == 0) return catalog;
  catalog.push_back({"mix",
                     "0..1: how much of the rendered frame is blended over the original, as the "
                     "command's --mix (1, the default, the effect alone)",
                     F0R_PARAM_DOUBLE, kMixIndex});
  return catalog;
}

}  // namespace jf::frei0r
