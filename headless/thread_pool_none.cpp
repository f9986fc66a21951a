// Builds without oneTBB: every pool is one of standard threads.
#include "headless/thread_pool.h"

namespace jf::headless::detail {

std::unique_ptr<ThreadPool> MakeLibraryPool(int) {
  return nullptr;
}

bool HaveLibraryPool() {
  return false;
}

}  // namespace jf::headless::detail
