#include "orchestrate/document_command.h"

#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr TextView kPlaceholder = u"%1";

void requireOneArgument(TextView path) {
  if (documentPathRefusal(path))
    throw runtimeError(runtime_error::kInvalidProcedureCall);
}

bool holdsBlank(TextView path) {
  return path.find_first_of(u" \t") != TextView::npos;
}

}  // namespace

std::optional<Text> documentPathRefusal(TextView path) {
  if (path.find(u'"') != TextView::npos)
    return u"holds a quote, which no quoting carries whole";
  if (path.ends_with(u'\\'))
    return u"ends with a backslash, which would escape the quote after it";
  if (path.starts_with(u'-'))
    return u"starts with \"-\", so a program would read it as an option";
  return std::nullopt;
}

Text withDocumentPath(TextView command, TextView path) {
  Text line;
  // Where the command reader stands: inside quotes or not, and how many backslashes run up to
  // here. Backslashes count only before a quote: an even run lets the quote group, an odd one
  // makes it literal; "" inside quotes is a literal quote.
  bool quoted = false;
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < command.size();) {
    if (command.substr(i, kPlaceholder.size()) == kPlaceholder) {
      requireOneArgument(path);
      if (!quoted && holdsBlank(path)) {
        // The backslashes before the added quote would escape it; doubled they stay literal.
        line.append(backslashes, u'\\');
        line += u'"';
        line += path;
        line += u'"';
      } else {
        line += path;
      }
      backslashes = 0;
      i += kPlaceholder.size();
      continue;
    }
    const char16_t c = command[i];
    if (c == u'"' && backslashes % 2 == 0) {
      if (quoted && command.substr(i, 2) == u"\"\"") {
        line += u"\"\"";
        i += 2;
        backslashes = 0;
        continue;
      }
      quoted = !quoted;
    }
    backslashes = c == u'\\' ? backslashes + 1 : 0;
    line += c;
    ++i;
  }
  return line;
}

}  // namespace hv
