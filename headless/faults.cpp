// See faults.h.
#include "headless/faults.h"

namespace jf::headless {
namespace {

std::string SuiteKey(std::string_view name, int version) {
  return std::string(name) + " v" + std::to_string(version);
}

}  // namespace

PF_Err Gate::Pass(std::string_view operation) {
  std::lock_guard lock(m_mutex);
  std::uint64_t n = m_total.fetch_add(1) + 1;
  auto it = m_calls.find(operation);
  if (it == m_calls.end()) {
    m_calls.emplace(std::string(operation), 1);
  } else {
    ++it->second;
  }
  PF_Err err = PF_Err_NONE;
  if (m_failNth && m_failNth->first == n) err = m_failNth->second;
  if (auto f = m_failOperation.find(operation); f != m_failOperation.end()) err = f->second;
  if (err != PF_Err_NONE) {
    m_injected.fetch_add(1);
    m_lastInjected = std::string(operation);
  }
  return err;
}

std::string Gate::LastInjectedOperation() const {
  std::lock_guard lock(m_mutex);
  return m_lastInjected;
}

void Gate::FailNthCall(std::uint64_t n, PF_Err err) {
  std::lock_guard lock(m_mutex);
  m_failNth.emplace(n, err);
}

void Gate::FailOperation(std::string_view operation, PF_Err err) {
  std::lock_guard lock(m_mutex);
  m_failOperation[std::string(operation)] = err;
}

void Gate::ClearFailures() {
  std::lock_guard lock(m_mutex);
  m_failNth.reset();
  m_failOperation.clear();
}

void Gate::ResetCounts() {
  std::lock_guard lock(m_mutex);
  m_total = 0;
  m_injected = 0;
  m_calls.clear();
}

std::uint64_t Gate::Calls(std::string_view operation) const {
  std::lock_guard lock(m_mutex);
  auto it = m_calls.find(operation);
  return it == m_calls.end() ? 0 : it->second;
}

std::map<std::string, std::uint64_t, std::less<>> Gate::AllCalls() const {
  std::lock_guard lock(m_mutex);
  return m_calls;
}

void Accounting::Released(Kind kind) {
  auto& counter = Counter(kind);
  std::int64_t held = counter.load();
  while (held > 0 && !counter.compare_exchange_weak(held, held - 1)) {
  }
}

void Accounting::SuiteAcquired(std::string_view name, int version) {
  std::lock_guard lock(m_mutex);
  ++m_suites[SuiteKey(name, version)];
}

bool Accounting::SuiteReleased(std::string_view name, int version) {
  std::lock_guard lock(m_mutex);
  auto it = m_suites.find(SuiteKey(name, version));
  if (it == m_suites.end() || it->second == 0) {
    m_unbalanced.fetch_add(1);
    return false;
  }
  --it->second;
  return true;
}

std::int64_t Accounting::SuitesHeld(std::string_view name, int version) const {
  std::lock_guard lock(m_mutex);
  auto it = m_suites.find(SuiteKey(name, version));
  return it == m_suites.end() ? 0 : it->second;
}

std::string Accounting::Leaks(std::int64_t allowedHandles) const {
  std::string out;
  auto line = [&](const std::string& what, std::int64_t n) {
    if (n != 0) out += what + ": " + std::to_string(n) + "\n";
  };
  line("live worlds", Live(Kind::World));
  line("live handles", Live(Kind::Handle) - allowedHandles);
  line("live memory blocks", Live(Kind::Block));
  line("checked-out parameters", Live(Kind::Param));
  line("live AEGP effect references", Live(Kind::EffectRef));
  line("live AEGP streams", Live(Kind::Stream));
  line("suite releases without an acquire", UnbalancedReleases());
  std::lock_guard lock(m_mutex);
  for (const auto& [suite, held] : m_suites) line("suite \"" + suite + "\" held", held);
  return out;
}

}  // namespace jf::headless
