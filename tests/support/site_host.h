#pragma once

#include <string>
#include <vector>

#include "support/host_run.h"
#include "support/loopback_http_server.h"
#include "support/minisign_signer.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace hv::testing {

inline constexpr char kSiteUrl[] = "http://www.corvantis.example";
inline constexpr char kInstallerPath[] = "/cvAppDownloads/library/windows/vm/install.exe";

// The host in front of a loopback stand-in for the vendor's site: www.corvantis.example goes to
// `site`, the registry store is a folder of its own, downloads land in `downloads`, and boxes are
// printed rather than waited on.
class SiteHost {
 public:
  SiteHost() { runHost({"register"}); }

  // The options that point the host at the store and the site, then `args`.
  std::vector<std::string> hostArgs(std::vector<std::string> args) const {
    args.insert(args.begin(),
                {"--registry", store.path().string(), "--boxes", "print", "--connect-to",
                 "www.corvantis.example:80:127.0.0.1:" + std::to_string(site.port())});
    return args;
  }

  HostRun runHost(std::vector<std::string> args) const { return runHostWith(hostArgs(args)); }

  // `install` of the installer on this site: the library's own default place is on https, which
  // the loopback site does not serve.
  static std::vector<std::string> installOfTheSitesInstaller() {
    return {"install", "--location", std::string(kSiteUrl) + kInstallerPath};
  }

  // Serves `bytes` as the installer at `path`, its signature by the build's demo key beside it.
  void serveSignedInstaller(const std::string& bytes, const std::string& path = kInstallerPath) {
    const TempDir scratch;
    writeFile(scratch / "installer", bytes);
    site.route(path, okReply(bytes));
    site.route(path + ".minisig", okReply(MinisignSigner::demo().sign(scratch / "installer")));
  }

  // Adds a .reg file to the store, as an installer would.
  void addToStore(const std::string& name, const std::string& regText) const {
    writeFile(store / name, "Windows Registry Editor Version 5.00\r\n\r\n" + regText);
  }

  // The application's document type and `command` as its open command.
  void installApplication(const std::string& command) const {
    std::string escaped;
    for (char c : command)
      escaped += c == '"' || c == '\\' ? std::string("\\") + c : std::string(1, c);
    addToStore("application.reg",
               "[HKEY_LOCAL_MACHINE\\Software\\Classes\\MIME\\Database\\Content Type\\"
               "application/x-corvantis-x-file]\r\n\"Extension\"=\".cvx\"\r\n\r\n"
               "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Corvantis Executable\\Shell\\Open\\"
               "Command]\r\n@=\"" +
                   escaped + "\"\r\n");
  }

  LoopbackHttpServer site;
  TempDir downloads;
  TempDir store;
  ScopedEnv tmpdir{"TMPDIR", downloads.path().string()};
};

}  // namespace hv::testing
