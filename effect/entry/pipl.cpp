// Places the PiPL bytes where a host looks for them: on Linux an ELF section named ".pipl".
#include "entry/pipl.h"

namespace jf {

#if defined(__ELF__)
[[gnu::section(".pipl"), gnu::used]] constexpr std::array<std::uint8_t, kPiplSize> kPiplSection =
    PiplBytes();
#endif

}  // namespace jf
