#include "posix/reg_store/reg_file_reader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry_port.h"
#include "posix/reg_store/reg_file_error.h"
#include "posix/reg_store/reg_file_format.h"
#include "posix/reg_store/reg_file_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

using Bytes = std::vector<std::uint8_t>;

RegistryTree read(const std::string& utf8) {
  RegistryTree tree;
  readRegFile(fromUtf8(utf8), tree);
  return tree;
}

const RegistryValue& valueOf(const RegistryTree& tree, std::uint32_t root, TextView path,
                             TextView name) {
  const RegistryKey* key = tree.findKey(root, path);
  if (key == nullptr)
    throw std::runtime_error("no key " + toUtf8(path));
  const auto it = key->values.find(foldRegistryName(name));
  if (it == key->values.end())
    throw std::runtime_error("no value " + toUtf8(name));
  return it->second;
}

Bytes utf16z(TextView text) {
  Bytes bytes;
  for (const char16_t c : text) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

const char kEveryKind[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; a comment line\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Corvantis\\Kinds]\r\n"
    "@=\"default\"\r\n"
    "\"Path\"=\"C:\\\\Program Files\\\\\\\"Q\\\"\"\r\n"
    "\"Empty\"=\"\"\r\n"
    "\"Number\"=dword:0000002a\r\n"
    "\"Short\"=DWORD:ff ; trailing comment\r\n"
    "\"Blob\"=hex:de,ad,\\\r\n"
    "  be,ef\r\n"
    "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"None\"=hex(0):\r\n"
    "\"Wide\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\"Gone\"=\"soon\"\r\n"
    "\"GONE\"=-\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\.cvx]\r\n"
    "@=\"Corvantis.Document\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Doomed\\Child]\r\n"
    "\"x\"=\"y\"\r\n"
    "[-HKEY_CURRENT_USER\\Software\\Doomed]\r\n"
    "[hkcu\\software\\KEPT]\r\n"
    "\"caf\xc3\xa9\"=\"\xe2\x82\xac\"\r\n";

TEST(RegFileReader, ReadsEveryValueKindOfTheCurrentFormat) {
  const RegistryTree tree = read(kEveryKind);
  const TextView kinds = u"Software\\Corvantis\\Kinds";
  struct Expected {
    TextView name;
    std::uint32_t type;
    Bytes data;
  };
  const Expected expected[] = {
      {u"", kRegSz, utf16z(u"default")},
      {u"path", kRegSz, utf16z(u"C:\\Program Files\\\"Q\"")},
      {u"Empty", kRegSz, utf16z(u"")},
      {u"Number", kRegDword, {0x2a, 0, 0, 0}},
      {u"Short", kRegDword, {0xff, 0, 0, 0}},
      {u"Blob", kRegBinary, {0xde, 0xad, 0xbe, 0xef}},
      {u"Expand", kRegExpandSz, utf16z(u"%A%")},
      {u"Multi", kRegMultiSz, {0x61, 0, 0, 0, 0x62, 0, 0, 0, 0, 0}},
      {u"None", kRegNone, {}},
      {u"Wide", kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(toUtf8(e.name));
    const RegistryValue& value = valueOf(tree, kHkeyLocalMachine, kinds, e.name);
    EXPECT_EQ(value.type, e.type);
    EXPECT_EQ(value.data, e.data);
  }
  EXPECT_EQ(tree.findKey(kHkeyLocalMachine, kinds)->values.count(u"gone"), 0u);
  EXPECT_EQ(valueOf(tree, kHkeyLocalMachine, u"Software\\Classes\\.CVX", u"").data,
            utf16z(u"Corvantis.Document"));
  EXPECT_FALSE(tree.keyExists(kHkeyCurrentUser, u"Software\\Doomed"));
  EXPECT_FALSE(tree.keyExists(kHkeyCurrentUser, u"Software\\Doomed\\Child"));
  EXPECT_EQ(valueOf(tree, kHkeyCurrentUser, u"Software\\Kept", u"CAF\u00c9").data,
            utf16z(u"\u20ac"));
}

TEST(RegFileReader, ReadsTheCurrentFormatInUtf16AsWrittenByTheSystemTool) {
  RegistryTree tree;
  readRegFile(decodeRegFileBytes(encodeRegFileText(fromUtf8(kEveryKind))), tree);
  EXPECT_EQ(tree, read(kEveryKind));
}

TEST(RegFileReader, ReadsTheOlderFormatInTheAnsiCodePageOrUtf8) {
  const std::string ansi =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Old]\n\"Name\"=\"caf\xe9\"\n"
      "\"Expand\"=hex(2):25,e9,00\n";
  const std::string utf8 =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Old]\n\"Name\"=\"caf\xc3\xa9\"\n"
      "\"Expand\"=hex(2):25,e9,00\n";
  for (const auto& bytes : {ansi, utf8, "\xEF\xBB\xBF" + utf8}) {
    RegistryTree tree;
    readRegFile(decodeRegFileBytes(bytes), tree);
    EXPECT_EQ(valueOf(tree, kHkeyLocalMachine, u"Software\\Old", u"Name").data,
              utf16z(u"caf\u00e9"));
    // Old files give string types in code-page bytes; kept as UTF-16 like every other string.
    EXPECT_EQ(valueOf(tree, kHkeyLocalMachine, u"Software\\Old", u"Expand").data,
              utf16z(u"%\u00e9"));
  }
}

struct MalformedCase {
  const char* name;
  std::string content;
  std::size_t line;
  std::string reason;
};

void PrintTo(const MalformedCase& c, std::ostream* os) {
  *os << c.name;
}

class MalformedRegFileTest : public ::testing::TestWithParam<MalformedCase> {};

// Messages go to a terminal: whatever a file holds, they stay one short line with every control
// character escaped, in what they quote and in the file's name.
TEST_P(MalformedRegFileTest, NamesTheLineOfTheFaultInAShortPrintableMessage) {
  const auto& c = GetParam();
  RegistryTree tree;
  try {
    readRegFile(decodeRegFileBytes(c.content), tree);
    FAIL() << "read without complaint";
  } catch (const RegFileError& e) {
    EXPECT_EQ(e.line(), c.line);
    EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.reason();
    const std::string message = e.inFile("dir/\x1b[2Jname.reg").what();
    EXPECT_TRUE(message.starts_with("dir/\\x1b[2Jname.reg:")) << message;
    EXPECT_LT(message.size(), 200u);
    EXPECT_TRUE(std::none_of(message.begin(), message.end(), [](unsigned char ch) {
      return ch < 0x20 || ch == 0x7f;
    })) << message;
  }
}

const std::string k5 = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n";

const MalformedCase kMalformed[] = {
    {"BadHeader", "Windows Registry Editor Version 6.00\n[HKEY_CURRENT_USER\\K]\n", 1,
     "not a registry file"},
    {"EmptyFile", "", 1, "not a registry file"},
    {"UnterminatedString", k5 + "\"a\"=\"no end\n", 4, "unterminated string"},
    {"UnterminatedName", k5 + "\"a=\"x\"\n", 4, "\"=\" expected"},
    {"BadHexByte", k5 + "\"a\"=hex:01,zz\n", 4, "bad hex byte \"zz\""},
    {"HexByteTooLong", k5 + "\"a\"=hex:012\n", 4, "bad hex byte"},
    {"BadHexOnAContinuationLine", k5 + "\"a\"=hex:01,\\\n  02,0x\n", 5, "bad hex byte"},
    {"ContinuationAtEndOfFile", k5 + "\"a\"=hex:01,\\", 4, "end of the file"},
    {"BadDword", k5 + "\"a\"=dword:123456789\n", 4, "bad dword"},
    {"BadType", k5 + "\"a\"=hex(q):00\n", 4, "bad value type"},
    {"UnknownData", k5 + "\"a\"=42\n", 4, "value data expected"},
    {"TextAfterString", k5 + "\"a\"=\"x\" y\n", 4, "unexpected text"},
    {"UnknownEscape", k5 + "\"a\"=\"C:\\Temp\"\n", 4, "unknown escape"},
    {"UnknownRoot", k5 + "[HKEY_NOWHERE\\K]\n", 4, "unknown root key"},
    {"EmptyKeyLevel", k5 + "[HKEY_CURRENT_USER\\a\\\\b]\n", 4, "empty level"},
    {"KeyWithoutBracket", k5 + "[HKEY_CURRENT_USER\\K\n", 4, "closing"},
    {"ValueBeforeAnyKey", "REGEDIT4\n\"a\"=\"b\"\n", 2, "outside a key"},
    {"ValueAfterADeletedKey", k5 + "[-HKEY_CURRENT_USER\\K]\n\"a\"=\"b\"\n", 5, "outside a key"},
    {"Utf16CutInsideACharacter", std::string("\xFF\xFE", 2) + "W\0i\0n", 0, "UTF-16"},
    {"TenMegabyteLine", k5 + "\"a\"=\"x\" " + std::string(10'000'000, 'y') + "\n", 4,
     "unexpected text after the value: \"" + std::string(80, 'y') + "...\""},
    {"HugeHexToken", k5 + "\"a\"=hex:" + std::string(1'000'000, '0') + "\n", 4,
     "bad hex byte \"" + std::string(80, '0') + "...\""},
    {"EscapeSequenceAfterAValue", k5 + "\"a\"=\"x\" \x1b]0;owned\x07\x1b[31m\n", 4,
     "\"\\x1b]0;owned\\x07\\x1b[31m\""},
    {"EscapeInARootName", k5 + "[HKEY_\x1b[8mHIDDEN\\K]\n", 4, "\"HKEY_\\x1b[8mHIDDEN\""},
    {"C1ControlAndBidiOverride", k5 + "\"a\"=hex:\xc2\x9b\xe2\x80\xae\n", 4, "\"\\x9b\\u202e\""},
    {"EscapedControlAfterABackslash", k5 + "\"a\"=\"\\\x1b\"\n", 4, "unknown escape \"\\\\x1b\""},
    {"LongLineCutAfterASurrogatePair",
     k5 + "\"a\"=\"x\" " + std::string(79, 'z') + "\xf0\x9f\x98\x80" + "tail\n", 4,
     std::string(79, 'z') + "\xf0\x9f\x98\x80...\""},
};

INSTANTIATE_TEST_SUITE_P(Cases, MalformedRegFileTest, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RegFileFormat, WritesWhatReadsBackToTheSameTree) {
  RegistryTree tree = read(kEveryKind);
  RegistryKey& odd = tree.createKey(kHkeyLocalMachine, u"Software\\Odd \"Key\"");
  odd.values[u"lines"] = {u"Lines", kRegSz, utf16z(u"one\r\ntwo")};
  odd.values[u"unterminated"] = {u"Unterminated", kRegSz, {0x61, 0}};
  odd.values[u"odd bytes"] = {u"Odd Bytes", kRegSz, {0x61, 0, 0}};
  odd.values[u"long"] = {u"Long", kRegBinary, Bytes(100, 0x5a)};
  odd.values[u"q\"uote\\"] = {u"Q\"uote\\", kRegDword, {1, 2, 3}};
  tree.createKey(kHkeyCurrentUser, u"Software\\Empty Key");

  RegistryTree again;
  readRegFile(formatRegFile(tree), again);
  EXPECT_EQ(again, tree);
}

// Store files are anyone's bytes: damaged copies of a valid file either read or are refused
// with a line, never a crash or a read out of bounds (the sanitizer build checks).
TEST(RegFileReader, DamagedFilesAreReadOrRefusedWithoutHarm) {
  const std::string valid = encodeRegFileText(fromUtf8(kEveryKind));
  std::uint32_t seed = 12345;
  const auto next = [&seed] { return seed = seed * 1103515245 + 12345, seed >> 8; };
  int read = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = round % 2 == 0 ? valid : std::string(kEveryKind);
    for (int flips = 1 + next() % 4; flips > 0; --flips)
      damaged[next() % damaged.size()] = static_cast<char>(next());
    damaged.resize(damaged.size() - next() % 8);
    RegistryTree tree;
    try {
      readRegFile(decodeRegFileBytes(damaged), tree);
      ++read;
    } catch (const RegFileError& e) {
      ++refused;
      // The line named is one the file has (0: the file as a whole), the reason a short one.
      const auto lines = std::count(damaged.begin(), damaged.end(), '\n') + 1;
      EXPECT_LE(e.line(), static_cast<std::size_t>(lines)) << e.reason();
      EXPECT_FALSE(e.reason().empty());
      EXPECT_LT(std::string(e.inFile("store.reg").what()).size(), 200u);
    }
  }
  // Both ways out were taken: the damage reached the reader rather than stopping short of it.
  EXPECT_GT(read, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace hv
