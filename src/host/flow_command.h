#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/command.h"
#include "host/flow_run.h"
#include "host/page_base.h"
#include "posix/composition/posix_platform.h"
#include "runtime/script_error.h"
#include "runtime/text.h"

namespace hv {

// What drives a command's flow: an InetDownloader of its own, or Base on a page.
enum class FlowDriver { Downloader, PageBase };

// What a command that runs a flow to its outcome (fetch, download, launch, install) sets up
// before the flow starts, in this order: its time limit, the POSIX platform, the page's Base
// when the page drives the flow, and a temporary folder for the fetched file. Throws
// EnvironmentError when the registry store or the temporary folder cannot be used.
struct FlowSetting {
  FlowSetting(CommandContext& context, std::string_view command, FlowDriver driver);

  CommandContext& context;
  std::string who;  // "hvdetector COMMAND", the start of every line the command writes
  FlowRun run;
  PosixPlatform host;
  std::optional<PageBase> page;
};

// Runs a command that takes one URL (fetch, download, launch): `flow` runs in the command's
// setting with the URL as the page's script would pass it, once the command line holds that URL
// and nothing else; else the usage mistake is reported.
int runOnUrl(CommandContext& context, std::string_view command, FlowDriver driver,
             int (*flow)(FlowSetting& setting, const Text& url));

// `text` as a URL for `what` ("install --location"); nothing, once a usage mistake is reported,
// when it is no URL at all: a URL starts with its scheme and a colon.
std::optional<Text> urlFromCommandLine(CommandContext& context, std::string_view what,
                                       const std::string& text);

// Reports a script error the control raised on being handed `url`: its number and description
// and, when the URL's shape brought it about, what is wrong with the URL. Returns the exit
// status for it.
int reportScriptError(CommandContext& context, std::string_view who, const ScriptError& error,
                      TextView url);

// What is wrong with `url` for the control, when its shape makes the control fail before any
// request: too long to search, no host part, a "?" before its last "/".
struct UrlTrouble {
  std::int32_t number;  // the runtime error the control raises for it
  std::string words;
};
std::optional<UrlTrouble> urlTrouble(TextView url);

}  // namespace hv
