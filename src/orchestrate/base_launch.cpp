// The launch road: fetch a document into the temporary folder, then open it with the program
// registered for the application's file type.
#include "detect/registry_routines.h"
#include "diag/event_logging.h"
#include "download/download_naming.h"
#include "orchestrate/base.h"
#include "orchestrate/document_command.h"
#include "runtime/library_errors.h"
#include "runtime/script_error.h"

namespace hv {
namespace {

constexpr char16_t kTitle[] = u"Corvantis Halverine Detector";
constexpr TextView kOpenCommandKey = u"Corvantis Executable\\Shell\\Open\\Command";

bool isBlank(TextView url) {
  return url.find_first_not_of(u' ') == TextView::npos;
}

}  // namespace

Variant Base::LAUNCH(Text& url) {
  try {
    downloadMode = kLaunchMode;
    if (isBlank(url))
      return {};
    const bool cvx = HasCvxMime() != kScriptFalse;
    const bool cvt = HasCvtMime() != kScriptFalse;
    if (!cvx && !cvt)
      throw ScriptError(kApplicationNotInstalled, Text(), u"Halverine is not installed");
    Variant urlValue(url);
    remoteFileName = getRemoteFile(urlValue);
    tempDir = GetTempFolder(platform_.tempFolder);
    LogDebug(platform_,
             u"Request URL " + url + u" Remote File " + remoteFileName + u" to path " + tempDir);
    Download(url, tempDir);
  } catch (const ScriptError& failure) {
    // The two handlers draw the line on each side of the limit on purpose: LAUNCH shows the
    // limit's own "Malformed URL" of a URL without "/", LaunchInternal (below) shows only the
    // numbers beyond it.
    if (failure.number() <= kComponentErrorLimit)
      messageBox().showCritical(failure.description(), kTitle);
  }
  return {};
}

Text Base::getRemoteFile(Variant& url) {
  const Text text = url.toText();
  if (text.size() < 5)
    throw ScriptError(kUrlTooShort, Text(), u"Malformed URL");
  remoteFileName = getFileNameFromURL(text);
  return remoteFileName;
}

Variant Base::LaunchInternal(Text& remoteFile) {
  try {
    if (downloadStatus < 0) {
      messageBox().showCritical(
          u"CVX Download failed, please try again by clicking refresh on your browser.",
          std::nullopt);
      return {};
    }
    // Page script may pass any text here: only a file directly in the temporary folder is
    // ever handed to the program, never a path elsewhere or words of a command line.
    requirePlainFileName(remoteFile);
    const Text command =
        RegReadString(platform_.registry, kHkeyClassesRoot, kOpenCommandKey, u"", u"");
    const Text commandLine = withDocumentPath(command, tempDir + remoteFile);
    LogDebug(platform_, commandLine);
    platform_.processes.start(commandLine, WindowStyle::NormalFocus);
  } catch (const ScriptError& failure) {
    // Strictly beyond the limit, unlike LAUNCH: see there.
    if (failure.number() < kComponentErrorLimit)
      messageBox().showCritical(failure.description(), kTitle);
  }
  return {};
}

}  // namespace hv
