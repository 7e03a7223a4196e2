#include "runtime/script_error.h"

#include <gtest/gtest.h>

namespace hv {
namespace {

TEST(ScriptError, StandardErrorsKeepTheirTexts) {
  const std::pair<int, Text> cases[] = {{5, u"Invalid procedure call or argument"},
                                        {6, u"Overflow"},
                                        {9, u"Subscript out of range"},
                                        {11, u"Division by zero"},
                                        {13, u"Type mismatch"},
                                        {52, u"Bad file name or number"},
                                        {53, u"File not found"},
                                        {54, u"Bad file mode"},
                                        {55, u"File already open"},
                                        {57, u"Device I/O error"},
                                        {61, u"Disk full"},
                                        {67, u"Too many files"},
                                        {70, u"Permission denied"},
                                        {75, u"Path/File access error"},
                                        {76, u"Path not found"}};
  for (const auto& [number, text] : cases) {
    const ScriptError e = runtimeError(number);
    EXPECT_EQ(e.number(), number);
    EXPECT_EQ(e.description(), text) << number;
    EXPECT_TRUE(e.source().empty());
  }
  EXPECT_STREQ(runtimeError(13).what(), "13 Type mismatch");
}

}  // namespace
}  // namespace hv
