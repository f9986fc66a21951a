// See host.h.
#include "headless/host.h"

#include <algorithm>
#include <cstdint>
#include <thread>

#include "headless/instance.h"

namespace jf::headless {
namespace {

thread_local Host* t_currentHost = nullptr;

}  // namespace

void CountCall(std::string_view operation) {
  if (Host* host = Host::Current()) host->GetGate().Pass(operation);
}

Host::Host() : m_basic(BasicSuiteTable()) {
  AddStandardSuites(m_suites);
  SetThreadCount(static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
}

Host::~Host() = default;

void Host::SetThreadCount(int threads, ThreadPoolKind kind) {
  m_threads = std::max(1, threads);
  m_pool = MakeThreadPool(m_threads, kind);
}

std::string Host::Leaks() const {
  std::int64_t kept = 0;
  {
    std::lock_guard lock(m_instancesMutex);
    for (const Instance* instance : m_instances) {
      if (instance->GlobalData() != nullptr && m_handles.Contains(instance->GlobalData())) ++kept;
    }
  }
  return m_accounting.Leaks(kept);
}

Host* Host::Current() {
  return t_currentHost;
}

Host::Activation::Activation(Host& host) : m_previous(t_currentHost) {
  t_currentHost = &host;
}

Host::Activation::~Activation() {
  t_currentHost = m_previous;
}

PF_Err Enter(Host* host, std::string_view operation, PF_Err noHost) {
  return host == nullptr ? noHost : host->GetGate().Pass(operation);
}

}  // namespace jf::headless
