// Reading PiPL bytes and loading modules, as every platform does.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "headless/module.h"
#include "headless/module_support.h"

namespace jf::headless {
namespace {

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

// The same refusals on every platform, each naming the file; only the words for "no module of
// this platform" and "no PiPL" name the platform's container.
#if defined(_WIN32)
constexpr const char* kNotAModule = "not a Windows module";
constexpr const char* kNoPipl = "no PiPL resource";
#else
constexpr const char* kNotAModule = "not an ELF file";
constexpr const char* kNoPipl = "no .pipl section";
#endif

TEST(ModuleLoad, EachFailureIsOneLineNamingTheFile) {
  const std::string text =
      TempFile(std::string("jf_not_a_module") + JF_MODULE_SUFFIX, {'h', 'e', 'l', 'l', 'o', '\n'});
  const std::string missing = ::testing::TempDir() + "jf_no_such_folder/Effect" JF_MODULE_SUFFIX;
  struct Case {
    std::string path;
    const char* expected;
  };
  for (const Case& c :
       {Case{missing, "cannot open"}, Case{text, kNotAModule}, Case{JF_NO_PIPL_MODULE, kNoPipl},
        Case{::testing::TempDir(), "not a regular file"}}) {
    const std::string message = LoadError(c.path);
    EXPECT_EQ(message.rfind(c.path + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  }
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

}  // namespace
}  // namespace jf::headless
