#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "download/inet_downloader.h"

namespace hv {

// An event-handling reference to one downloader (objInetDownloader): the downloader it refers
// to is the only one whose events reach the handler. Binding another, or dropping the
// reference, unbinds the previous one at once, even from inside one of its own events: what it
// raises later goes nowhere.
class DownloaderBinding {
 public:
  using Handler = std::function<void(DispId id, std::span<Variant> args)>;

  explicit DownloaderBinding(Handler handler) : handler_(std::move(handler)) {}
  ~DownloaderBinding() { reset(); }
  DownloaderBinding(const DownloaderBinding&) = delete;
  DownloaderBinding& operator=(const DownloaderBinding&) = delete;

  void bind(std::shared_ptr<InetDownloader> downloader);
  void reset();

  InetDownloader* get() const { return downloader_.get(); }
  InetDownloader* operator->() const { return downloader_.get(); }
  explicit operator bool() const { return downloader_ != nullptr; }

 private:
  class Sink;

  Handler handler_;
  std::shared_ptr<InetDownloader> downloader_;
  std::shared_ptr<Sink> sink_;
  std::uint32_t cookie_ = 0;
};

}  // namespace hv
