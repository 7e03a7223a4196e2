#pragma once

#include <iosfwd>
#include <string_view>

namespace hv {

// One row of a --help table: the name and its argument, then the summary in a column. The
// manual page is made from --help, so every table keeps this shape for help2man to read.
void printHelpRow(std::ostream& out, std::string_view name, std::string_view argument,
                  std::string_view summary);

// The exit statuses, each with what it means, as the manual page lists them.
void printExitStatuses(std::ostream& out);

// The environment variables and files the host reads.
// What the installer's exit status means to install, and what this system keeps of it.
void printInstallerStatuses(std::ostream& out);
void printEnvironmentAndFiles(std::ostream& out);

}  // namespace hv
