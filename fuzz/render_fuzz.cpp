// Parameter values pushed through the effect's entry point: each 9 bytes set one parameter (an
// index byte and a double, or a colour), then a small frame renders at a depth and size from the
// first bytes. Any value the store accepts must render without a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/effect_rig.h"
#include "headless/params.h"
#include "headless/worlds.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  auto& rig = jf::fuzz::EffectRig::Get();
  rig.Reset();
  auto& store = rig.Params();
  const int depth = data[0] % 3 == 0 ? 8 : data[0] % 3 == 1 ? 16 : 32;
  const A_long width = 1 + data[1] % 24;
  const A_long height = 1 + data[2] % 16;
  std::size_t at = 3;
  for (; at + 9 <= size; at += 9) {
    const PF_ParamIndex index = 1 + data[at] % (store.Count() - 1);
    double value;
    std::memcpy(&value, data + at + 1, sizeof value);
    try {
      if (store.Definition(index).param_type == PF_Param_COLOR) {
        store.SetColor(index, PF_Pixel{255, data[at + 1], data[at + 2], data[at + 3]});
      } else {
        store.SetNumber(index, value);
      }
    } catch (const jf::headless::ParamError&) {
    }
  }
  const PF_PixelFormat format = depth == 8    ? PF_PixelFormat_ARGB32
                                : depth == 16 ? PF_PixelFormat_ARGB64
                                              : PF_PixelFormat_ARGB128;
  jf::headless::World input(width, height, format);
  jf::headless::World output(width, height, format);
  // The rest of the input is the picture (NaNs and values past white included at 32 bits).
  std::size_t source = at;
  for (A_long y = 0; y < height; ++y) {
    std::uint8_t* row = input.Row(y);
    for (std::size_t b = 0; b < static_cast<std::size_t>(width) * input.BytesPerPixel(); ++b) {
      row[b] = source < size ? data[source++] : static_cast<std::uint8_t>(b * 37);
    }
  }
  jf::headless::RenderSettings settings;
  settings.time = data[0];
  rig.GetInstance().Render(input, output, settings);
  return 0;
}
