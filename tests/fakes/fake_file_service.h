#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_service_port.h"
#include "runtime/file_numbers.h"
#include "runtime/script_error.h"

namespace hv::testing {

// Files held in memory, by path; can be told to fail as a full disk or a locked folder would.
class FakeFileService : public FileServicePort {
 public:
  std::int16_t freeFileNumber() override { return open_.freeNumber(); }

  void open(std::int16_t number, TextView path, FileOpenMode mode) override {
    if (failOpen)
      throw runtimeError(*failOpen);
    OpenFile& slot = open_.slotToOpen(number);
    const Text name(path);
    if (mode == FileOpenMode::CreateNew && files.contains(name))
      throw runtimeError(runtime_error::kFileAlreadyExists);
    if (mode != FileOpenMode::BinaryWrite)
      files[name].clear();
    files[name];
    slot = {name, 0};
    opened.push_back(name);
  }

  void seek(std::int16_t number, std::int64_t position) override {
    open_.openFile(number).position = static_cast<std::size_t>(position - 1);
  }

  void write(std::int16_t number, std::span<const std::uint8_t> bytes) override {
    if (failWrite)
      throw runtimeError(*failWrite);
    auto& file = open_.openFile(number);
    auto& content = files[*file.path];
    if (content.size() < file.position + bytes.size())
      content.resize(file.position + bytes.size());
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<long>(file.position));
    file.position += bytes.size();
  }

  void close(std::int16_t number) override {
    if (OpenFile* file = open_.find(number))
      *file = {};
  }

  void remove(TextView path) override {
    if (files.erase(Text(path)) == 0)
      throw runtimeError(runtime_error::kFileNotFound);
    removed.push_back(Text(path));
  }

  bool isOpen(std::int16_t number) { return open_.find(number) != nullptr; }
  std::size_t openCount() {
    return static_cast<std::size_t>(
        std::ranges::count_if(open_.slots(), [](const OpenFile& file) { return file.isOpen(); }));
  }
  std::string content(const Text& path) const {
    const auto& bytes = files.at(path);
    return std::string(bytes.begin(), bytes.end());
  }

  std::map<Text, std::vector<std::uint8_t>> files;
  std::vector<Text> opened;
  std::vector<Text> removed;
  std::optional<std::int32_t> failOpen;
  std::optional<std::int32_t> failWrite;

 private:
  struct OpenFile {
    std::optional<Text> path;
    std::size_t position = 0;
    bool isOpen() const { return path.has_value(); }
  };
  FileNumbers<OpenFile> open_;
};

}  // namespace hv::testing
