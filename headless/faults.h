// The gate every host operation passes (call counting, failure injection) and the accounting of
// the resources an effect holds.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "AE_Effect.h"

namespace jf::headless {

/// Counts every host operation by name and fails chosen ones. Operation names are the host's
/// names for them ("PF_NewWorld", "copy", "checkout_param", "AcquireSuite", ...); an operation
/// reachable by two routes (utils and a suite) has one name. Thread-safe.
class Gate {
 public:
  /// Counts one call of operation; returns the error injected for it, or PF_Err_NONE.
  PF_Err Pass(std::string_view operation);

  /// Fails the n-th gated call (1-based, counted from the last ResetCounts) with err.
  void FailNthCall(std::uint64_t n, PF_Err err);
  /// Fails every call of operation with err.
  void FailOperation(std::string_view operation, PF_Err err);
  /// Removes every injected failure; counts are kept.
  void ClearFailures();
  /// Sets every count to zero; injected failures are kept.
  void ResetCounts();

  std::uint64_t TotalCalls() const { return m_total.load(); }
  std::uint64_t Calls(std::string_view operation) const;
  std::map<std::string, std::uint64_t, std::less<>> AllCalls() const;
  /// How many calls were made to fail.
  std::uint64_t InjectedFailures() const { return m_injected.load(); }
  /// The operation of the latest call made to fail ("" before any).
  std::string LastInjectedOperation() const;

 private:
  mutable std::mutex m_mutex;
  std::atomic<std::uint64_t> m_total{0};
  std::atomic<std::uint64_t> m_injected{0};
  std::map<std::string, std::uint64_t, std::less<>> m_calls;
  std::optional<std::pair<std::uint64_t, PF_Err>> m_failNth;
  std::map<std::string, PF_Err, std::less<>> m_failOperation;
  std::string m_lastInjected;
};

/// Live resources an effect holds through the host. Thread-safe.
class Accounting {
 public:
  enum class Kind { World, Handle, Block, Param, EffectRef, Stream };

  void Acquired(Kind kind) { Counter(kind).fetch_add(1); }
  /// Never goes below zero: giving back what was not held is tolerated, not counted.
  void Released(Kind kind);
  void SuiteAcquired(std::string_view name, int version);
  /// Returns false (and records an unbalanced release) when the suite was not held.
  bool SuiteReleased(std::string_view name, int version);

  std::int64_t Live(Kind kind) const { return Counter(kind).load(); }
  std::int64_t SuitesHeld(std::string_view name, int version) const;
  std::int64_t UnbalancedReleases() const { return m_unbalanced.load(); }

  /// Everything the effect still holds, one item per line; empty when nothing is held.
  /// allowedHandles is how many handles the host itself keeps on the effect's behalf (its
  /// global data).
  std::string Leaks(std::int64_t allowedHandles = 0) const;

 private:
  std::atomic<std::int64_t>& Counter(Kind kind) { return m_live[static_cast<int>(kind)]; }
  const std::atomic<std::int64_t>& Counter(Kind kind) const {
    return m_live[static_cast<int>(kind)];
  }

  std::atomic<std::int64_t> m_live[6]{};
  std::atomic<std::int64_t> m_unbalanced{0};
  mutable std::mutex m_mutex;
  std::map<std::string, std::int64_t, std::less<>> m_suites;
};

/// Counts one call of operation on the host current on this thread, if any; for operations
/// that have no way to report an error.
void CountCall(std::string_view operation);

/// An operation name usable as a template argument.
template <std::size_t N>
struct OperationName {
  constexpr OperationName(const char (&s)[N]) { std::copy_n(s, N, text); }
  char text[N];
};

/// A member of a callback table or suite that the host does not serve: counted like every
/// operation, it answers Code (a PF_Err or A_Err), a null pointer or nothing, whatever type the
/// declaration gives the member.
template <OperationName Name, A_long Code, typename F>
struct Unserved;

template <OperationName Name, A_long Code, typename R, typename... A>
struct Unserved<Name, Code, R (*)(A...)> {
  static R Call(A...) {
    CountCall(Name.text);
    if constexpr (std::is_void_v<R>) {
      return;
    } else if constexpr (std::is_pointer_v<R>) {
      return nullptr;
    } else {
      return static_cast<R>(Code);
    }
  }
};

template <OperationName Name, A_long Code, typename R, typename... A>
struct Unserved<Name, Code, R (*)(A..., ...)> {
  static R Call(A..., ...) {
    CountCall(Name.text);
    return static_cast<R>(Code);
  }
};

/// Fills TABLE.MEMBER with an unserved operation named after the member.
#define JF_UNSERVED(TABLE, MEMBER, CODE) \
  (TABLE).MEMBER = &::jf::headless::Unserved<#MEMBER, (CODE), decltype((TABLE).MEMBER)>::Call

}  // namespace jf::headless
