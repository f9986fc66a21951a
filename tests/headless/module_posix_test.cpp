// The ELF side of loading: finding the .pipl section, and an entry point the module lacks.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "headless/module.h"
#include "headless/module_support.h"

namespace jf::headless {
namespace {

// A minimal ELF shared object: header, a name table, one section named name, section headers.
Bytes Elf(const std::string& name, const Bytes& contents) {
  const std::string names = std::string("\0.shstrtab\0", 11) + name + '\0';
  Bytes file(sizeof(Elf64_Ehdr));
  const std::size_t namesAt = file.size();
  file.insert(file.end(), names.begin(), names.end());
  const std::size_t contentsAt = file.size();
  file.insert(file.end(), contents.begin(), contents.end());
  while (file.size() % 8 != 0) file.push_back(0);
  const std::size_t headersAt = file.size();

  Elf64_Shdr sh[3]{};
  sh[1].sh_name = 1;
  sh[1].sh_type = SHT_STRTAB;
  sh[1].sh_offset = namesAt;
  sh[1].sh_size = names.size();
  sh[2].sh_name = 11;
  sh[2].sh_type = SHT_PROGBITS;
  sh[2].sh_offset = contentsAt;
  sh[2].sh_size = contents.size();
  const auto* raw = reinterpret_cast<const std::uint8_t*>(sh);
  file.insert(file.end(), raw, raw + sizeof sh);

  Elf64_Ehdr eh{};
  std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
  eh.e_ident[EI_CLASS] = ELFCLASS64;
  eh.e_ident[EI_DATA] = ELFDATA2LSB;
  eh.e_ident[EI_VERSION] = EV_CURRENT;
  eh.e_type = ET_DYN;
  eh.e_machine = EM_X86_64;
  eh.e_shoff = headersAt;
  eh.e_ehsize = sizeof eh;
  eh.e_shentsize = sizeof(Elf64_Shdr);
  eh.e_shnum = 3;
  eh.e_shstrndx = 1;
  std::memcpy(file.data(), &eh, sizeof eh);
  return file;
}

std::string SectionError(const Bytes& file) {
  try {
    ReadElfSection(file, ".pipl", "m.so");
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(ElfSection, FindsTheSectionByName) {
  const Bytes contents{1, 2, 3, 4, 5};
  EXPECT_EQ(ReadElfSection(Elf(".pipl", contents), ".pipl", "m.so"), contents);
  EXPECT_NE(SectionError(Elf(".data", contents)).find("no .pipl section"), std::string::npos);
}

TEST(ElfSection, NeverReadsOutsideTheFile) {
  const Bytes good = Elf(".pipl", {1, 2, 3, 4});
  Elf64_Ehdr eh;
  std::memcpy(&eh, good.data(), sizeof eh);

  Bytes headersCut(good.begin(), good.end() - 8);
  EXPECT_NE(SectionError(headersCut).find("run past the end"), std::string::npos);

  Bytes contentsOutside = good;
  Elf64_Shdr sh;
  const std::size_t at = eh.e_shoff + 2 * sizeof(Elf64_Shdr);
  std::memcpy(&sh, contentsOutside.data() + at, sizeof sh);
  sh.sh_size = ~0ull - 2;  // offset + size wraps around
  std::memcpy(contentsOutside.data() + at, &sh, sizeof sh);
  EXPECT_NE(SectionError(contentsOutside).find("runs past the end"), std::string::npos);

  Bytes badNames = good;
  eh.e_shstrndx = 7;
  std::memcpy(badNames.data(), &eh, sizeof eh);
  EXPECT_NE(SectionError(badNames).find("index out of range"), std::string::npos);

  Bytes executable = good;
  Elf64_Ehdr exec = eh;
  exec.e_type = ET_EXEC;
  std::memcpy(executable.data(), &exec, sizeof exec);
  EXPECT_NE(SectionError(executable).find("not an ELF shared library"), std::string::npos);

  Bytes narrow = good;
  narrow[EI_CLASS] = ELFCLASS32;
  EXPECT_NE(SectionError(narrow).find("not a 64-bit"), std::string::npos);
  EXPECT_NE(SectionError(Bytes{0x7F, 'E', 'L', 'F'}).find("not an ELF file"), std::string::npos);
}

TEST(ModuleLoad, AnEntryPointTheModuleDoesNotExportIsRefused) {
  // Rename the entry point inside the .pipl section only; the module itself stays intact.
  Bytes file = ReadAll(JF_MODULE_PATH);
  const Bytes section = ReadElfSection(file, ".pipl", "module");
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  std::size_t sectionAt = 0;
  for (int i = 0; i < eh.e_shnum; ++i) {
    Elf64_Shdr sh;
    std::memcpy(&sh, file.data() + eh.e_shoff + i * sizeof sh, sizeof sh);
    if (sh.sh_size == section.size() &&
        std::equal(section.begin(), section.end(),
                   file.begin() + static_cast<long>(sh.sh_offset))) {
      sectionAt = sh.sh_offset;
    }
  }
  ASSERT_NE(sectionAt, 0u);
  const std::string name = "EntryPointFunc";
  auto begin = file.begin() + static_cast<long>(sectionAt);
  auto inSection =
      std::search(begin, begin + static_cast<long>(section.size()), name.begin(), name.end());
  ASSERT_NE(inSection, begin + static_cast<long>(section.size()));
  inSection[name.size() - 1] = 'X';
  const std::string path = TempFile("jf_renamed_entry.so", file);
  const std::string message = LoadError(path);
  EXPECT_NE(message.find("\"EntryPointFunX\" named by the PiPL is not exported"), std::string::npos)
      << message;
  std::remove(path.c_str());
}

}  // namespace
}  // namespace jf::headless
