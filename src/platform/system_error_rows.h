#pragma once

#include <cstdint>
#include <span>

namespace hv {

// What the system was asked when it failed: the runtime gives one system error other numbers
// for a file and for a program (a missing file is "Path not found" to Open, "File not found" to
// a start; a denied one "Path/File access error" to Open, "Permission denied" to a start).
enum class SystemRequest { File, ProgramStart };

// One system error and the runtime's numbers for it, as each adapter's map lists them.
template <class Code>
struct SystemErrorRow {
  Code systemError;
  std::int32_t file;
  std::int32_t programStart;
};

// The runtime's number for `systemError` in `rows`, or `other`'s when no row lists it.
template <class Code>
std::int32_t runtimeErrorIn(std::span<const SystemErrorRow<Code>> rows,
                            const SystemErrorRow<Code>& other, Code systemError,
                            SystemRequest request) {
  const SystemErrorRow<Code>* row = &other;
  for (const SystemErrorRow<Code>& candidate : rows) {
    if (candidate.systemError == systemError)
      row = &candidate;
  }
  return request == SystemRequest::File ? row->file : row->programStart;
}

}  // namespace hv
