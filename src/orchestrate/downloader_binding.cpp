#include "orchestrate/downloader_binding.h"

namespace hv {

// A raise already under way goes on to the sinks connected when it began, so unbinding also
// silences the sink itself.
class DownloaderBinding::Sink : public EventSink {
 public:
  explicit Sink(const Handler& handler) : handler_(&handler) {}

  void onEvent(DispId id, std::span<Variant> args) override {
    if (handler_ != nullptr)
      (*handler_)(id, args);
  }

  void silence() { handler_ = nullptr; }

 private:
  const Handler* handler_;
};

void DownloaderBinding::bind(std::shared_ptr<InetDownloader> downloader) {
  reset();
  auto sink = std::make_shared<Sink>(handler_);
  const Guid& events = downloader->classInfo().eventInterface.current.iid;
  cookie_ = downloader->findConnectionPoint(events)->advise(sink);
  downloader_ = std::move(downloader);
  sink_ = std::move(sink);
}

void DownloaderBinding::reset() {
  if (!downloader_)
    return;
  sink_->silence();
  downloader_->findConnectionPoint(downloader_->classInfo().eventInterface.current.iid)
      ->unadvise(cookie_);
  sink_.reset();
  downloader_.reset();
}

}  // namespace hv
