// The install road: fetch the installer, run it silently and wait once it proves to be the
// vendor's, and say how it went in the status label.
#include <string>

#include "control/control_layout.h"
#include "download/download_naming.h"
#include "orchestrate/base.h"
#include "orchestrate/installer_check.h"
#include "orchestrate/shell_and_wait.h"
#include "runtime/library_errors.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

Text decimal(std::uint32_t value) {
  return textFromAscii(std::to_string(value));
}

// An installer reports success with 0, or with one of the two standard codes for a success that
// a restart completes. Anything else is a failed install, never "complete".
void requireInstallerSucceeded(const ProcessOutcome& outcome) {
  Text failure;
  switch (outcome.kind) {
    case ProcessOutcome::Kind::Exited:
      if (outcome.code == 0 || outcome.code == 3010 || outcome.code == 1641)
        return;
      failure = u"The installer ended with exit status " + decimal(outcome.code);
      break;
    case ProcessOutcome::Kind::Signalled:
      failure = u"The installer was ended by signal " + decimal(outcome.code);
      break;
    case ProcessOutcome::Kind::WaitFailed:
      failure = u"The installer could not be waited for: " + outcome.reason;
      break;
  }
  throw ScriptError(kRefusedOrFailed, u"InstallInternal", failure);
}

}  // namespace

Variant Base::INSTALL() {
  downloadMode = kInstallMode;
  if (installInProgress != kScriptFalse)
    return {};
  installInProgress = kScriptTrue;
  try {
    tempDir = GetTempFolder(platform_.tempFolder);
    Variant location(downloadLocationUrl);
    remoteFileName = getRemoteFile(location);
    installerUrl_ = downloadLocationUrl;
    Download(downloadLocationUrl, tempDir);
    installerDownload_ = objInetDownloader.get();
  } catch (...) {
    // A download that never started ends in no event, and nothing else would clear the flag.
    installInProgress = kScriptFalse;
    throw;
  }
  return {};
}

Variant Base::InstallInternal(Text& remoteFile) {
  // Any bound download completing in install mode arrives here, a document too. Only the file
  // that INSTALL itself fetched is an installer; anything else runs nothing and never becomes a
  // program. Asked before the pump, which may bind another download.
  const bool fetchedByInstall =
      installerDownload_ != nullptr && objInetDownloader.get() == installerDownload_;
  const Text fetchedFrom = installerUrl_;
  try {
    lblDownload->setCaption(u"Installing......");
    platform_.messagePump.pumpOnce();
    const Text installer = tempDir + remoteFile;
    if (!fetchedByInstall) {
      throw installerRefusal(remoteFile + u" is not the installer that INSTALL fetched");
    }
    const auto checked = checkFetchedInstaller(platform_, installer, fetchedFrom);
    platform_.processes.allowToRun(installer);
    requireInstallerSucceeded(shellAndWait(platform_, {installer, {u"/S", u"/P"}}));
    platform_.messagePump.pumpOnce();
    lblDownload->setCaption(u"Install complete");
  } catch (const ScriptError& failure) {
    lblDownload->setForeColor(kRed);
    lblDownload->setCaption(u"Install error");
    messageBox().showCritical(
        u"Install failed, please try again by clicking refresh on your browser.\r\n" +
            failure.description(),
        std::nullopt);
  }
  return {};
}

}  // namespace hv
