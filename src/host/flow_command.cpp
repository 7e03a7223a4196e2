#include "host/flow_command.h"

#include <algorithm>
#include <ostream>

#include "download/download_naming.h"
#include "download/site_domain.h"
#include "host/exit_status.h"
#include "posix/composition/usable_environment.h"
#include "posix/posix_code_page.h"
#include "runtime/printable_text.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

bool isAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A scheme is a letter, then letters, digits, "+", "-" or ".", ended by a colon.
bool startsWithScheme(std::string_view text) {
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0 || !isAsciiLetter(text.front()))
    return false;
  return std::all_of(
      text.begin() + 1, text.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
      });
}

}  // namespace

FlowSetting::FlowSetting(CommandContext& context, std::string_view command, FlowDriver driver)
    : context(context),
      who("hvdetector " + std::string(command)),
      run(context, who),
      host(context.options, context.err) {
  if (driver == FlowDriver::PageBase)
    page.emplace(context, host);
  requireUsableTempFolder(host.platform().tempFolder);
}

int runOnUrl(CommandContext& context, std::string_view command, FlowDriver driver,
             int (*flow)(FlowSetting& setting, const Text& url)) {
  if (context.args.size() != 1)
    return usageError(context, std::string(command) + " takes exactly one URL");
  const auto url = urlFromCommandLine(context, command, context.args[0]);
  if (!url)
    return kExitUsage;
  FlowSetting setting(context, command, driver);
  return flow(setting, *url);
}

std::optional<Text> urlFromCommandLine(CommandContext& context, std::string_view what,
                                       const std::string& text) {
  if (!startsWithScheme(text)) {
    usageError(context, std::string(what) + " takes a URL such as http://www." +
                            toUtf8(SiteDomain()) + "/file.cvx, not " + echoed(text));
    return std::nullopt;
  }
  return fromAnsi(text, kPosixCodePage);
}

int reportScriptError(CommandContext& context, std::string_view who, const ScriptError& error,
                      TextView url) {
  context.err << who << ": error " << error.number() << ": " << printableText(error.description());
  if (const auto trouble = urlTrouble(url); trouble && trouble->number == error.number())
    context.err << "; " << trouble->words;
  context.err << "\n";
  return kExitFlowFailure;
}

std::optional<UrlTrouble> urlTrouble(TextView url) {
  if (url.size() > kLongestSearchableText) {
    return UrlTrouble{runtime_error::kOverflow,
                      "the URL is " + std::to_string(url.size()) +
                          " characters long, and the control searches no text longer than " +
                          std::to_string(kLongestSearchableText)};
  }
  const auto firstSlash = url.find(u'/');
  if (firstSlash == TextView::npos || url.find(u'/', firstSlash + 1) == TextView::npos) {
    return UrlTrouble{runtime_error::kSubscriptOutOfRange,
                      "the URL has fewer than two \"/\", so it names no host (scheme://host/path)"};
  }
  const auto question = url.rfind(u'?');
  if (question != TextView::npos && question < url.rfind(u'/')) {
    return UrlTrouble{runtime_error::kInvalidProcedureCall,
                      "the URL's last \"?\" comes before its last \"/\", so it names no file"};
  }
  return std::nullopt;
}

}  // namespace hv
