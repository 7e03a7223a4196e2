#include "posix/windows_command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace hv {
namespace {

struct SplitCase {
  const char* name;
  const char* line;
  const char* program;
  std::vector<std::string> arguments;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
  *os << c.name;
}

class WindowsCommandLine : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WindowsCommandLine, SplitsAsWindowsAndTheCRuntimeRead) {
  const SplitCase& c = GetParam();
  const CommandLineWords words = splitWindowsCommandLine(c.line);
  EXPECT_EQ(words.program, c.program);
  EXPECT_EQ(words.arguments, c.arguments);
}

// Rows marked "naive" are where splitting at blanks and dropping quotes gives another answer.
INSTANTIATE_TEST_SUITE_P(
    Split, WindowsCommandLine,
    ::testing::Values(
        SplitCase{"Empty", "", "", {}}, SplitCase{"ProgramAlone", "viewer", "viewer", {}},
        SplitCase{"BlanksAndTabsSeparate", "viewer \t a\t\tb  ", "viewer", {"a", "b"}},
        SplitCase{"QuotedProgramHoldsBlanks",
                  "\"C:\\Program Files\\V\\viewer.exe\" \"C:\\Temp\\a.cvx\"",
                  "C:\\Program Files\\V\\viewer.exe",
                  {"C:\\Temp\\a.cvx"}},
        SplitCase{"QuotedProgramHasNoEscapes", "\"C:\\dir\\\\\" a", "C:\\dir\\\\", {"a"}},
        SplitCase{"TextGluedToTheProgramsQuoteIsNoArgument", "\"a\"b c", "a", {"c"}},
        SplitCase{"UnquotedProgramEndsAtTheFirstBlank", "a\"b c\"d e", "a\"b", {"e"}},
        SplitCase{"UnclosedQuotedProgram", "\"a b", "a b", {}},
        SplitCase{"QuotesGroupAndVanishNaive", "p \"a b\" c", "p", {"a b", "c"}},
        SplitCase{"QuotesInsideAWordNaive", "p a\"b c\"d", "p", {"ab cd"}},
        SplitCase{"BackslashesElsewhereAreLiteral",
                  "p C:\\dir\\file a\\\\b",
                  "p",
                  {"C:\\dir\\file", "a\\\\b"}},
        SplitCase{"OneBackslashMakesTheQuoteLiteralNaive", "p \\\"a b\\\"", "p", {"\"a", "b\""}},
        SplitCase{"TwoBackslashesGiveOneAndTheQuoteGroupsNaive", "p a\\\\\"b c\"", "p", {"a\\b c"}},
        SplitCase{"ThreeBackslashesGiveOneAndALiteralQuoteNaive", "p a\\\\\\\"b", "p", {"a\\\"b"}},
        SplitCase{"FourBackslashesGiveTwoNaive", "p \"a\\\\\\\\\" b", "p", {"a\\\\", "b"}},
        SplitCase{"TrailingBackslashOfAQuotedFolderNaive",
                  "p \"C:\\dir\\\\\" x",
                  "p",
                  {"C:\\dir\\", "x"}},
        SplitCase{"DoubledQuoteInsideQuotesIsLiteralNaive", "p \"a\"\"b\"", "p", {"a\"b"}},
        SplitCase{"DoubledQuoteKeepsTheQuotingOpenNaive", "p \"a\"\"b c\"", "p", {"a\"b c"}},
        SplitCase{"DoubledQuoteOutsideQuotesIsNothingNaive", "p a\"\"b", "p", {"ab"}},
        SplitCase{"EmptyQuotedArgumentCountsNaive", "p \"\" x", "p", {"", "x"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", "p \"a  b", "p", {"a  b"}},
        SplitCase{"ShellCharactersAreText",
                  "p $(id) ; | & `x` > y",
                  "p",
                  {"$(id)", ";", "|", "&", "`x`", ">", "y"}},
        SplitCase{
            "EightBitTextPassesThrough", "p \"\xC3\xA9 \xC3\xBC\"", "p", {"\xC3\xA9 \xC3\xBC"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
