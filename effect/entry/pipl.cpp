// Places the PiPL bytes where a host looks for them: on ELF systems a section named ".pipl". On
// Windows they are the module's "PiPL" resource, which the build makes from the same bytes
// (pipl_tool.cpp writes them to a file, pipl.rc.in hands it to the resource compiler).
#include "entry/pipl.h"

namespace jf {

#if defined(__ELF__)
[[gnu::section(".pipl"), gnu::used]] constexpr std::array<std::uint8_t, kPiplSize> kPiplSection =
    PiplBytes();
#endif

}  // namespace jf
