// The parameters as a frei0r host sees them: first the preset file, then every value parameter
// of the effect in declaration order, named by its group path, then the mix. The order is frozen
// with the effect's declaration, because ffmpeg passes values as a positional list: what the
// filter adds of its own goes at the end.
#pragma once

#include <string>
#include <vector>

#include "frei0r/value_map.h"
#include "headless/params.h"

namespace jf::frei0r {

/// One frei0r parameter.
struct CatalogEntry {
  std::string name;         ///< "preset" or the group path ("Pixel Sorter/Sort Direction")
  std::string explanation;  ///< how 0..1 maps, for hosts that show it
  int type = 0;             ///< F0R_PARAM_*
  PF_ParamIndex index = 0;  ///< the effect's parameter index; 0 for the preset, kMixIndex
};

/// The frei0r index of the preset file parameter.
inline constexpr int kPresetParam = 0;
/// The index of the mix entry, the last one, which is the filter's own: no effect parameter.
inline constexpr PF_ParamIndex kMixIndex = -1;

/// The list for a store whose parameters are declared.
std::vector<CatalogEntry> BuildCatalog(const headless::ParamStore& store);

}  // namespace jf::frei0r
