#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_service_port.h"
#include "runtime/script_error.h"

namespace hv::testing {

// Files held in memory, by path; can be told to fail as a full disk or a locked folder would.
class FakeFileService : public FileServicePort {
 public:
  std::int16_t freeFileNumber() override {
    for (std::int16_t n = 1; n <= 255; ++n) {
      if (!open_.contains(n))
        return n;
    }
    throw runtimeError(runtime_error::kTooManyFiles);
  }

  void open(std::int16_t number, TextView path, FileOpenMode mode) override {
    if (failOpen)
      throw runtimeError(*failOpen);
    if (open_.contains(number))
      throw runtimeError(runtime_error::kFileAlreadyOpen);
    const Text name(path);
    if (mode == FileOpenMode::CreateNew && files.contains(name))
      throw runtimeError(runtime_error::kFileAlreadyExists);
    if (mode != FileOpenMode::BinaryWrite)
      files[name].clear();
    files[name];
    open_[number] = {name, 0};
    opened.push_back(name);
  }

  void seek(std::int16_t number, std::int64_t position) override {
    at(number).position = static_cast<std::size_t>(position - 1);
  }

  void write(std::int16_t number, std::span<const std::uint8_t> bytes) override {
    if (failWrite)
      throw runtimeError(*failWrite);
    auto& file = at(number);
    auto& content = files[file.path];
    if (content.size() < file.position + bytes.size())
      content.resize(file.position + bytes.size());
    std::copy(bytes.begin(), bytes.end(), content.begin() + static_cast<long>(file.position));
    file.position += bytes.size();
  }

  void close(std::int16_t number) override { open_.erase(number); }

  void remove(TextView path) override {
    if (files.erase(Text(path)) == 0)
      throw runtimeError(runtime_error::kFileNotFound);
    removed.push_back(Text(path));
  }

  bool isOpen(std::int16_t number) const { return open_.contains(number); }
  std::size_t openCount() const { return open_.size(); }
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
    Text path;
    std::size_t position;
  };
  OpenFile& at(std::int16_t number) {
    const auto found = open_.find(number);
    if (found == open_.end())
      throw runtimeError(runtime_error::kBadFileNameOrNumber);
    return found->second;
  }
  std::map<std::int16_t, OpenFile> open_;
};

}  // namespace hv::testing
