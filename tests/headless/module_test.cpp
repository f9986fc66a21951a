// Reading PiPL bytes, finding the .pipl section of an ELF file, and loading modules.
#include <elf.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "headless/module.h"

namespace jf::headless {
namespace {

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Four-character codes lie byte-reversed: "8BIM" is stored as "MIB8".
void PutCode(Bytes& b, const char* code) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(code[i]));
}

struct Property {
  const char* key;
  Bytes value;
};

Bytes Pascal(const std::string& s) {
  Bytes b{static_cast<std::uint8_t>(s.size())};
  b.insert(b.end(), s.begin(), s.end());
  return b;
}

Bytes CString(const std::string& s) {
  Bytes b(s.begin(), s.end());
  b.push_back(0);
  return b;
}

Bytes Code(const char* code) {
  Bytes b;
  PutCode(b, code);
  return b;
}

Bytes U32(std::uint32_t v) {
  Bytes b;
  PutU32(b, v);
  return b;
}

Bytes PiplBytes(const std::vector<Property>& properties, std::uint32_t count) {
  Bytes b{1, 0};
  PutU32(b, 0);
  PutU32(b, count);
  for (const Property& p : properties) {
    PutCode(b, "8BIM");
    PutCode(b, p.key);
    PutU32(b, 0);
    PutU32(b, static_cast<std::uint32_t>(p.value.size()));
    b.insert(b.end(), p.value.begin(), p.value.end());
    while ((b.size() - 10) % 4 != 0) b.push_back(0);  // values padded to 4 after the header
  }
  return b;
}

std::vector<Property> GoodProperties() {
  return {{"kind", Code("eFKT")},          {"name", Pascal("Sample")},
          {"catg", Pascal("Tests")},       {"8664", CString("Entry")},
          {"ePVR", {2, 0, 0, 0}},          {"eSVR", {13, 0, 9, 0}},
          {"eVER", U32(0x00081801)},       {"eINF", {0, 0}},
          {"eGLO", U32(0x06000000)},       {"eGL2", U32(0x00001408)},
          {"eMNA", Pascal("TestsSample")}, {"aeFL", U32(0)}};
}

std::string ParseError(const Bytes& bytes) {
  try {
    ParsePipl(bytes, "m.so");
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(Pipl, ReadsEveryPropertyOfAnEffect) {
  const Pipl p = ParsePipl(PiplBytes(GoodProperties(), 12), "m.so");
  EXPECT_EQ(p.kind, "eFKT");
  EXPECT_EQ(p.name, "Sample");
  EXPECT_EQ(p.category, "Tests");
  EXPECT_EQ(p.matchName, "TestsSample");
  EXPECT_EQ(p.entryPoint, "Entry");
  EXPECT_EQ(p.piplVersionMajor, 2);
  EXPECT_EQ(p.specVersionMajor, 13);
  EXPECT_EQ(p.specVersionMinor, 9);
  EXPECT_EQ(p.effectVersion, 0x00081801u);
  EXPECT_EQ(p.outFlags, 0x06000000u);
  EXPECT_EQ(p.outFlags2, 0x00001408u);
  ASSERT_EQ(p.properties.size(), 12u);
  EXPECT_EQ(p.properties[0].vendor, "8BIM");
}

TEST(Pipl, RefusesMalformedBytesWithOneLineNamingTheFile) {
  const Bytes good = PiplBytes(GoodProperties(), 12);
  struct Case {
    const char* what;
    Bytes bytes;
    const char* expected;
  };
  Bytes truncated(good.begin(), good.end() - 9);
  Bytes longValue = good;
  longValue[22] = 0xFF;  // the first property claims 65535 bytes
  longValue[23] = 0xFF;
  Bytes badVersion = good;
  badVersion[0] = 2;
  for (const Case& c :
       {Case{"empty", {}, "runs past the end"}, Case{"truncated", truncated, "runs past the end"},
        Case{"count too high", PiplBytes(GoodProperties(), 13), "property 13 of 13"},
        Case{"value past the end", longValue, "runs past the end"},
        Case{"version", badVersion, "version 2"}}) {
    const std::string message = ParseError(c.bytes);
    EXPECT_EQ(message.rfind("m.so: ", 0), 0u) << c.what << ": " << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << c.what;
  }
}

TEST(Pipl, RefusesWhatIsNotALoadableEffect) {
  auto props = GoodProperties();
  props[0].value = Code("AEgx");
  EXPECT_NE(ParseError(PiplBytes(props, 12)).find("kind is \"AEgx\""), std::string::npos);

  props = GoodProperties();
  props.erase(props.begin() + 3);  // no "8664"
  EXPECT_NE(ParseError(PiplBytes(props, 11)).find("no x64 entry point"), std::string::npos);

  props = GoodProperties();
  props[3].value = {'E', 'n', 't', 'r'};  // no terminator
  EXPECT_NE(ParseError(PiplBytes(props, 12)).find("not terminated"), std::string::npos);
  props[3].value = {};  // nothing at all
  EXPECT_NE(ParseError(PiplBytes(props, 12)).find("not terminated"), std::string::npos);

  props = GoodProperties();
  props[1].value = {30, 'a'};  // string longer than its value
  EXPECT_NE(ParseError(PiplBytes(props, 12)).find("runs past its value"), std::string::npos);

  EXPECT_NE(ParseError(PiplBytes({}, 0)).find("no kind"), std::string::npos);
}

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

std::string LoadError(const std::string& path) {
  try {
    Module::Load(path);
  } catch (const ModuleError& e) {
    return e.what();
  }
  return "(no error)";
}

std::string TempFile(const std::string& name, const Bytes& bytes) {
  std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  return path;
}

TEST(ModuleLoad, EachFailureIsOneLineNamingTheFile) {
  const std::string text = TempFile("jf_not_a_module.txt", {'h', 'e', 'l', 'l', 'o', '\n'});
  struct Case {
    std::string path;
    const char* expected;
  };
  for (const Case& c :
       {Case{"/nonexistent/dir/Effect.so", "cannot open"}, Case{text, "not an ELF file"},
        Case{"/bin/true", "no .pipl section"}, Case{"/tmp", "not a regular file"}}) {
    const std::string message = LoadError(c.path);
    EXPECT_EQ(message.rfind(c.path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(ModuleLoad, ReadsTheBuiltEffectsPiplAndEntryPoint) {
  const Module module = Module::Load(JF_MODULE_PATH);
  EXPECT_NE(module.EntryPoint(), nullptr);
  const Pipl& p = module.GetPipl();
  EXPECT_EQ(p.name, "Jitterforge");
  EXPECT_EQ(p.category, "Tarnwell");
  EXPECT_EQ(p.matchName, "TarnwellJitterforge");
  EXPECT_EQ(p.entryPoint, "EntryPointFunc");
  EXPECT_EQ(p.effectVersion, 0x00081801u);
  EXPECT_EQ(p.outFlags, 0x06000000u);
  EXPECT_EQ(p.outFlags2, 0x00001408u);
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
