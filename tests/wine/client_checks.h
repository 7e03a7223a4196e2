#pragma once

#include <ole2.h>

#include <cstdio>
#include <string>

#include "control/guid.h"

namespace hv::client {

class BoxWatcher;

// Counts checks and names each failure; main prints "N passed, N failed".
struct Checks {
  int passed = 0;
  int failed = 0;

  void check(const std::string& label, bool ok) {
    if (ok) {
      ++passed;
      return;
    }
    ++failed;
    std::printf("FAIL: %s\n", label.c_str());
    std::fflush(stdout);  // a run that hangs later still shows what failed before
  }

  template <typename T>
  void equal(const std::string& label, const T& actual, const T& expected) {
    check(label + " (got " + show(actual) + ", expected " + show(expected) + ")",
          actual == expected);
  }

 private:
  static std::string show(long long v) { return std::to_string(v); }
  static std::string show(unsigned long long v) { return std::to_string(v); }
  static std::string show(long v) { return std::to_string(v); }
  static std::string show(unsigned long v) { return std::to_string(v); }
  static std::string show(int v) { return std::to_string(v); }
  static std::string show(unsigned v) { return std::to_string(v); }
  static std::string show(short v) { return std::to_string(v); }
  static std::string show(unsigned short v) { return std::to_string(v); }
  static std::string show(bool v) { return v ? "true" : "false"; }
  static std::string show(const std::string& v) { return "\"" + v + "\""; }
  static std::string show(const std::wstring& v) {
    return "\"" + std::string(v.begin(), v.end()) + "\"";
  }
  static std::string show(const void* v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%p", v);
    return buffer;
  }
  static std::string show(const Guid& v) { return v.toString(); }
};

// The module the client was started on, as its path names it.
const std::wstring& modulePathUnderTest();

GUID toGuid(const Guid& id);
GUID guidOf(const char* text);
Guid fromGuid(const GUID& id);
std::wstring bstrText(BSTR value);

// The check groups, each on a fresh object of its own.
void checkObjectSafety(Checks& checks);
void checkInterfaces(Checks& checks);
void checkDispatch(Checks& checks);
void checkTypeLibrary(Checks& checks);
void checkRegistration(Checks& checks, const std::wstring& modulePath);
void checkPorts(Checks& checks);
void checkInstallerTrust(Checks& checks);
void checkResources(Checks& checks, const std::wstring& modulePath);
void checkHostileCalls(Checks& checks);
void checkArguments(Checks& checks);
void checkLifetimes(Checks& checks);
// The process side of a lifetime check: one thread uses the control `name` once and ends; the
// exit status says how it went (0 ended cleanly with the module unloaded).
int runLoneThread(const std::wstring& name);
void checkEmbedding(Checks& checks);
void checkTransferPort(Checks& checks);
void checkTransfers(Checks& checks);
void checkBaseDownloads(Checks& checks);
void checkUiSite(Checks& checks);
void checkFlows(Checks& checks, BoxWatcher& watcher);
void checkSiteFlows(Checks& checks, BoxWatcher& watcher);

}  // namespace hv::client
