#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <system_error>

#include "host/command.h"
#include "host/exit_status.h"
#include "messaging/browser_manifests.h"
#include "posix/composition/environment_error.h"
#include "posix/composition/registry_location.h"

namespace hv {
namespace {

namespace fs = std::filesystem;

// The messaging host sits where an install puts it, lib/hvdetector/ beside the bin/ this
// program runs from (the build tree keeps the same shape), so any installation prefix works.
fs::path messagingHostBesideThisProgram() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  const fs::path host =
      self.parent_path().parent_path() / "lib/hvdetector/hvdetector-messaging-host";
  if (error || ::access(host.c_str(), X_OK) != 0)
    throw EnvironmentError("the messaging host is not installed beside this hvdetector (" +
                           host.string() + ")");
  return fs::weakly_canonical(host);
}

UserFolders userFolders() {
  const char* home = std::getenv("HOME");
  const auto config = userConfigFolder();
  if (home == nullptr || *home != '/' || !config)
    throw EnvironmentError("no home folder to register the browsers' manifests in: set HOME");
  return {home, *config};
}

// `--profile DIR`, the only argument either command takes.
std::optional<fs::path> profileArgument(CommandContext& context, bool& usage) {
  const auto& args = context.args;
  usage = false;
  if (args.empty())
    return std::nullopt;
  if (args.size() == 2 && args[0] == "--profile" && !args[1].empty())
    return fs::path(args[1]);
  if (args.size() == 1 && args[0].starts_with("--profile=") && args[0].size() > 10)
    return fs::path(args[0].substr(10));
  usage = true;
  return std::nullopt;
}

// A new file renamed over the old, so a browser starting meanwhile reads one manifest or the
// other, never half of one.
void writeManifest(const HostManifest& manifest) {
  std::error_code error;
  fs::create_directories(manifest.file.parent_path(), error);
  const fs::path partial = manifest.file.string() + ".partial";
  std::ofstream out(partial, std::ios::trunc);
  out << manifest.text;
  out.close();
  if (error || !out || (fs::rename(partial, manifest.file, error), error)) {
    fs::remove(partial, error);
    throw EnvironmentError("cannot write " + manifest.file.string());
  }
}

// The folder the manifest goes in, once its file has gone: a folder only our manifest kept is
// taken away with it; one holding another program's manifest stays.
void removeFolderIfEmpty(const fs::path& folder) {
  std::error_code error;
  if (fs::is_empty(folder, error) && !error)
    fs::remove(folder, error);
}

}  // namespace

int registerBrowsersCommand(CommandContext& context) {
  bool usage;
  const auto profile = profileArgument(context, usage);
  if (usage)
    return usageError(context, "register-browsers takes only --profile DIR");
  const fs::path host = messagingHostBesideThisProgram();
  bool registered = false;
  for (const auto& manifest :
       hostManifests(host, profile ? UserFolders{} : userFolders(), profile)) {
    std::error_code error;
    if (!profile && !fs::is_directory(manifest.configFolder, error)) {
      context.out << manifest.browser << ": not found (no " << manifest.configFolder.string()
                  << ")\n";
      continue;
    }
    writeManifest(manifest);
    registered = true;
    context.out << manifest.browser << ": " << manifest.file.string() << "\n";
  }
  if (!registered)
    throw EnvironmentError(
        "no browser's configuration folder was found: start the browser once, "
        "then register again");
  return kExitSuccess;
}

int unregisterBrowsersCommand(CommandContext& context) {
  bool usage;
  const auto profile = profileArgument(context, usage);
  if (usage)
    return usageError(context, "unregister-browsers takes only --profile DIR");
  for (const auto& manifest : hostManifests({}, profile ? UserFolders{} : userFolders(), profile)) {
    std::error_code error;
    if (fs::remove(manifest.file, error)) {
      context.out << manifest.browser << ": removed " << manifest.file.string() << "\n";
      removeFolderIfEmpty(manifest.file.parent_path());
    } else if (error) {
      throw EnvironmentError("cannot remove " + manifest.file.string() + ": " + error.message());
    }
  }
  return kExitSuccess;
}

}  // namespace hv
