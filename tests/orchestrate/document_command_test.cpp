#include "orchestrate/document_command.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/errors.h"

namespace hv {
namespace {

struct CommandCase {
  const char* name;
  Text command;
  Text path;
  std::optional<Text> line;  // none: refused with error 5
};

void PrintTo(const CommandCase& c, std::ostream* os) {
  *os << c.name;
}

class DocumentCommand : public ::testing::TestWithParam<CommandCase> {};

TEST_P(DocumentCommand, PutsThePathInAsOneArgument) {
  const CommandCase& c = GetParam();
  if (c.line) {
    EXPECT_EQ(withDocumentPath(c.command, c.path), *c.line);
  } else {
    EXPECT_EQ(testing::errorNumberOf([&] { withDocumentPath(c.command, c.path); }), 5);
  }
}

constexpr char16_t kBlankPath[] = u"/tmp/my dir/a.cvx";

INSTANTIATE_TEST_SUITE_P(
    Command, DocumentCommand,
    ::testing::Values(
        CommandCase{"QuotedPlaceholder", u"\"C:\\Program Files\\V\\v.exe\" \"%1\"",
                    u"C:\\Temp\\abc63921449486000.cvx",
                    u"\"C:\\Program Files\\V\\v.exe\" \"C:\\Temp\\abc63921449486000.cvx\""},
        CommandCase{"NoPlaceholderUnchanged", u"v.exe /show", u"/tmp/a.cvx", u"v.exe /show"},
        CommandCase{"EveryPlaceholder", u"v %1 --also=%1", u"/tmp/a.cvx",
                    u"v /tmp/a.cvx --also=/tmp/a.cvx"},
        CommandCase{"PlaceholderNeighbours", u"v %%1 %10 %2", u"/tmp/a.cvx",
                    u"v %/tmp/a.cvx /tmp/a.cvx0 %2"},
        CommandCase{"InsertedTextIsNotSearched", u"v \"%1\"", u"/tmp/x%1y.cvx",
                    u"v \"/tmp/x%1y.cvx\""},
        CommandCase{"UnquotedPathWithoutBlanksUnchanged", u"v %1", u"/tmp/a.cvx", u"v /tmp/a.cvx"},
        CommandCase{"UnquotedPathWithBlankQuoted", u"v %1", kBlankPath, u"v \"/tmp/my dir/a.cvx\""},
        CommandCase{"UnquotedPathWithTabQuoted", u"v %1", u"/tmp/a\tb.cvx", u"v \"/tmp/a\tb.cvx\""},
        CommandCase{"QuotedPathWithBlankUnchanged", u"v \"%1\"", kBlankPath,
                    u"v \"/tmp/my dir/a.cvx\""},
        CommandCase{"InsideALongerQuotedArgument", u"v \"/open %1\"", kBlankPath,
                    u"v \"/open /tmp/my dir/a.cvx\""},
        CommandCase{"AfterAClosedQuote", u"\"v\" %1", kBlankPath, u"\"v\" \"/tmp/my dir/a.cvx\""},
        CommandCase{"AfterAnEscapedQuote", u"v \\\"%1", kBlankPath, u"v \\\"\"/tmp/my dir/a.cvx\""},
        CommandCase{"AfterABackslashThatStaysLiteral", u"v x\\%1", kBlankPath,
                    u"v x\\\\\"/tmp/my dir/a.cvx\""},
        CommandCase{"DoubledQuoteKeepsQuoting", u"v \"a\"\"%1\"", kBlankPath,
                    u"v \"a\"\"/tmp/my dir/a.cvx\""},
        CommandCase{"AsTheProgram", u"%1 /x", kBlankPath, u"\"/tmp/my dir/a.cvx\" /x"},
        CommandCase{"PathReadAsAnOption", u"v \"%1\"", u"--option", std::nullopt},
        CommandCase{"PathHoldingAQuote", u"v \"%1\"", u"/tmp/a\"b/a.cvx", std::nullopt},
        CommandCase{"PathEndingInABackslash", u"v \"%1\"", u"C:\\Temp\\", std::nullopt},
        CommandCase{"UnusedPathIsNotJudged", u"v.exe", u"--option", u"v.exe"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hv
