// Loading an effect module: its PiPL from where the platform keeps it (the ELF section ".pipl",
// the Windows resource "PiPL" 16000), then the entry point the PiPL names.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "AE_Effect.h"

namespace jf::headless {

/// A module that cannot be used; what() is one line naming the file and the problem.
class ModuleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// One PiPL property as stored: four-character codes are given in reading order ("8BIM").
struct PiplProperty {
  std::string vendor;
  std::string key;
  std::uint32_t id = 0;
  std::vector<std::uint8_t> value;
};

/// What a host reads from an effect's PiPL. Absent optional properties leave their defaults.
struct Pipl {
  std::string kind{};  ///< "eFKT" for an effect
  std::string name{};  ///< display name
  std::string category{};
  std::string matchName{};
  std::string entryPoint{};  ///< from the "8664" code property
  std::uint16_t piplVersionMajor = 0, piplVersionMinor = 0;
  std::uint16_t specVersionMajor = 0, specVersionMinor = 0;
  std::uint32_t effectVersion = 0;
  std::uint16_t infoFlags = 0;
  std::uint32_t outFlags = 0;
  std::uint32_t outFlags2 = 0;
  std::uint32_t reservedInfo = 0;
  std::vector<PiplProperty> properties{};  ///< every property, in file order
};

/// Parses PiPL bytes; throws ModuleError("<origin>: ...") when they are malformed, are not an
/// effect's ("eFKT") or name no entry point. Never reads outside bytes.
Pipl ParsePipl(std::span<const std::uint8_t> bytes, const std::string& origin);

/// The PiPL bytes the module file at path carries, read without running any of its code; throws
/// ModuleError("<path>: ...") as Module::Load does.
std::vector<std::uint8_t> ReadModulePipl(const std::string& path);

/// Returns the contents of the section called name in a 64-bit little-endian ELF shared
/// object held in file (ELF systems only); throws ModuleError("<origin>: ...") when file is no such
/// object or the section is missing.
std::vector<std::uint8_t> ReadElfSection(std::span<const std::uint8_t> file,
                                         const std::string& sectionName, const std::string& origin);

/// A loaded effect module: its PiPL and its entry point. Unloaded when destroyed.
class Module {
 public:
  /// Reads path, parses its PiPL, loads it and finds the entry point the PiPL names; throws
  /// ModuleError with one line naming the file and what is wrong.
  static Module Load(const std::string& path);

  /// A module whose entry point is a function of this process, for hosting test effects.
  static Module FromEntryPoint(PF_FilterProc entry, Pipl pipl);

  Module(Module&& other) noexcept;
  Module& operator=(Module&& other) noexcept;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module();

  const Pipl& GetPipl() const { return m_pipl; }
  PF_FilterProc EntryPoint() const { return m_entry; }
  const std::string& Path() const { return m_path; }

 private:
  Module(std::string path, Pipl pipl, void* library, PF_FilterProc entry);

  std::string m_path;
  Pipl m_pipl;
  void* m_library = nullptr;
  PF_FilterProc m_entry = nullptr;
};

}  // namespace jf::headless
