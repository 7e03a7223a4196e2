#include "host/help_text.h"

#include <ostream>
#include <string>

#include "host/exit_status.h"

#ifndef HVDETECTOR_DATA_DIR
#error "HVDETECTOR_DATA_DIR is set by the build"
#endif

namespace hv {

void printHelpRow(std::ostream& out, std::string_view name, std::string_view argument,
                  std::string_view summary) {
  std::string left = std::string(name) + (argument.empty() ? "" : " ") + std::string(argument);
  if (left.size() < 22)
    left.resize(22, ' ');
  out << "  " << left << "  " << summary << "\n";
}

void printExitStatuses(std::ostream& out) {
  struct Row {
    ExitStatus status;
    std::string_view meaning;
  };
  constexpr Row rows[] = {
      {kExitSuccess, "success"},
      {kExitFlowFailure, "the flow failed: an error box, a failed download or install"},
      {kExitUsage,
       "a usage mistake: an unknown command or option, a bad option value, a text that is no URL"},
      {kExitEnvironment,
       "the registry store is missing or malformed, or the temporary folder "
       "cannot be used"},
  };
  out << "Exit status:\n";
  for (const auto& row : rows)
    printHelpRow(out, std::to_string(row.status), "", row.meaning);
}

void printInstallerStatuses(std::ostream& out) {
  out << "Installer statuses:\n";
  printHelpRow(out, "0, 3010, 1641", "",
               "the installer succeeded (3010 and 1641: a restart completes it)");
  printHelpRow(out, "any other", "", "an install error");
  out << "  This system keeps only the low 8 bits of a program's exit status: an installer's 3010\n"
         "  arrives as 194 (an install error) and an exit 256 as 0 (success).\n";
}

void printEnvironmentAndFiles(std::ostream& out) {
  out << "Environment:\n";
  printHelpRow(out, "HVDETECTOR_REGISTRY", "", "the registry store when --registry is not given");
  printHelpRow(out, "XDG_CONFIG_HOME", "",
               "holds hvdetector/registry, the store when nothing else names one (~/.config "
               "when not set or not absolute)");
  printHelpRow(out, "TMPDIR", "", "the temporary folder downloads go to (/tmp when not set)");
  out << "\nFiles:\n";
  printHelpRow(out, "~/.config/hvdetector/registry", "",
               "the registry store when nothing else names one: a .reg file or a folder of them");
  printHelpRow(out, HVDETECTOR_DATA_DIR "/registry", "",
               "a sample store to try detect on as it stands (--registry with this folder): a "
               "machine with the control registered, the Participant edition and both document "
               "types installed");
}

}  // namespace hv
