#include "posix/curl_transfer.h"

#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "posix/libcurl.h"
#include "runtime/text_encoding.h"
#include "transfer/body_buffer.h"
#include "transfer/response_headers.h"
#include "transfer/transfer_pace.h"
#include "transfer/transfer_policy.h"
#include "transfer/transfer_rules.h"

namespace hv {
namespace {

// The body waits here between the network and GetChunk; libcurl is paused while it is full, so
// memory stays bounded however large the file.
constexpr std::size_t kBufferCapacity = 1024 * 1024;
constexpr long kReceiveBuffer = 256 * 1024;
constexpr auto kNetworkWaitSlice = std::chrono::milliseconds(1000);

constexpr PolicyFailureCodes kCurlCodes{TransferCode::curl(CURLE_OPERATION_TIMEDOUT),
                                        TransferCode::curl(CURLE_WEIRD_SERVER_REPLY),
                                        TransferCode::curl(CURLE_BAD_CONTENT_ENCODING)};

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::string_view withoutLineBreak(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
    line.remove_suffix(1);
  return line;
}

}  // namespace

struct CurlTransferFactory::Multi {
  Multi(EventLoop& eventLoop, CurlTransferSettings transferSettings);
  ~Multi();

  // The multi handle, made with the first request: a run that makes none never loads libcurl.
  CURLM* open();
  void onSocket(curl_socket_t socket, unsigned ready);
  void onTimeout();
  void collectFinished();

  EventLoop& loop;
  CurlTransferSettings settings;
  CURLM* handle = nullptr;
  curl_slist* connectTo = nullptr;
  ConnectToRecord connectToRecord;
  std::optional<EventLoop::TimerId> timer;
};

// One request at a time on one easy handle. libcurl's callbacks only buffer and post; page
// script runs from posted notifications, so no script ever runs with libcurl on the stack.
class CurlTransfer : public TransferPolicy {
 public:
  explicit CurlTransfer(CurlTransferFactory::Multi& multi);
  ~CurlTransfer() override;

  void finished(CURLcode result);

 private:
  void startRequest(TextView url) override;
  void stopRequest() override;
  bool bodyReady(std::size_t count) override;
  void waitForBody() override;
  std::vector<std::uint8_t> takeBody(std::size_t count) override;
  void notify(std::int16_t state) override;

  static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);

  // The easy handle, made for the first request: Base makes a transfer it never executes.
  CURL* open();
  void start(const std::string& url);
  void stop();
  bool headerLine(std::string_view line);
  void endOfHeaders();
  std::size_t bodyData(const char* data, std::size_t size);
  void beginBody();
  void endBody(CURLcode result, const std::string& reason);
  void followRedirect();
  void resumeWhenRoom();
  void watchPace(EventLoop::Clock::duration after);
  void checkPace();
  std::string reasonFor(CURLcode result) const;
  std::size_t buffered() const { return buffer_.size(); }

  CurlTransferFactory::Multi& multi_;
  CURL* easy_ = nullptr;
  // Notifications posted for an earlier request, or before a Cancel, are dropped on arrival.
  std::uint64_t generation_ = 0;
  bool inMulti_ = false;
  bool paused_ = false;
  bool bodyEnded_ = false;
  bool redirecting_ = false;
  int redirects_ = 0;
  std::string currentUrl_;
  std::optional<EventLoop::TimerId> paceTimer_;
  PaceMeter pace_;

  bool httpResponse_ = false;

  BodyBuffer buffer_;
  char errorText_[CURL_ERROR_SIZE] = {};
};

// --- the multi handle and the event loop ---------------------------------------------------

CurlTransferFactory::Multi::Multi(EventLoop& eventLoop, CurlTransferSettings transferSettings)
    : loop(eventLoop), settings(std::move(transferSettings)), connectToRecord(settings.connectTo) {}

CURLM* CurlTransferFactory::Multi::open() {
  if (handle != nullptr)
    return handle;
  handle = libcurl().multi_init();
  if (handle == nullptr)
    throw std::runtime_error("libcurl could not create a multi handle");
  for (const auto& entry : settings.connectTo)
    connectTo = libcurl().slist_append(connectTo, entry.c_str());
  libcurl().multi_setopt(handle, CURLMOPT_SOCKETDATA, this);
  libcurl().multi_setopt(
      handle, CURLMOPT_SOCKETFUNCTION,
      +[](CURL*, curl_socket_t socket, int what, void* self, void*) -> int {
        auto* multi = static_cast<Multi*>(self);
        if (what == CURL_POLL_REMOVE) {
          multi->loop.unwatch(socket);
          return 0;
        }
        const unsigned events = ((what & CURL_POLL_IN) ? EventLoop::kReadable : 0u) |
                                ((what & CURL_POLL_OUT) ? EventLoop::kWritable : 0u);
        multi->loop.watch(socket, events,
                          [multi, socket](unsigned ready) { multi->onSocket(socket, ready); });
        return 0;
      });
  libcurl().multi_setopt(handle, CURLMOPT_TIMERDATA, this);
  libcurl().multi_setopt(
      handle, CURLMOPT_TIMERFUNCTION, +[](CURLM*, long timeoutMillis, void* self) -> int {
        auto* multi = static_cast<Multi*>(self);
        if (multi->timer)
          multi->loop.cancelTimer(*multi->timer);
        multi->timer.reset();
        if (timeoutMillis >= 0) {
          multi->timer = multi->loop.startTimer(std::chrono::milliseconds(timeoutMillis), [multi] {
            multi->timer.reset();
            multi->onTimeout();
          });
        }
        return 0;
      });
  return handle;
}

CurlTransferFactory::Multi::~Multi() {
  if (timer)
    loop.cancelTimer(*timer);
  if (handle == nullptr)
    return;
  libcurl().multi_cleanup(handle);
  libcurl().slist_free_all(connectTo);
}

void CurlTransferFactory::Multi::onSocket(curl_socket_t socket, unsigned ready) {
  const int flags = ((ready & EventLoop::kReadable) ? CURL_CSELECT_IN : 0) |
                    ((ready & EventLoop::kWritable) ? CURL_CSELECT_OUT : 0);
  int running = 0;
  libcurl().multi_socket_action(handle, socket, flags, &running);
  collectFinished();
}

void CurlTransferFactory::Multi::onTimeout() {
  int running = 0;
  libcurl().multi_socket_action(handle, CURL_SOCKET_TIMEOUT, 0, &running);
  collectFinished();
}

void CurlTransferFactory::Multi::collectFinished() {
  int left = 0;
  while (CURLMsg* message = libcurl().multi_info_read(handle, &left)) {
    if (message->msg != CURLMSG_DONE)
      continue;
    CURL* easy = message->easy_handle;
    const CURLcode result = message->data.result;
    char* owner = nullptr;
    libcurl().easy_getinfo(easy, CURLINFO_PRIVATE, &owner);
    reinterpret_cast<CurlTransfer*>(owner)->finished(result);
  }
}

CurlTransferFactory::CurlTransferFactory(EventLoop& loop, CurlTransferSettings settings)
    : multi_(std::make_unique<Multi>(loop, std::move(settings))) {}

CurlTransferFactory::~CurlTransferFactory() = default;

std::unique_ptr<TransferControl> CurlTransferFactory::createTransferControl() {
  return std::make_unique<CurlTransfer>(*multi_);
}

const ConnectToRecord& CurlTransferFactory::connectToRecord() const {
  return multi_->connectToRecord;
}

// --- one transfer ---------------------------------------------------------------------------

CurlTransfer::CurlTransfer(CurlTransferFactory::Multi& multi) : multi_(multi) {}

CURL* CurlTransfer::open() {
  if (easy_ != nullptr)
    return easy_;
  multi_.open();
  easy_ = libcurl().easy_init();
  if (easy_ == nullptr)
    throw std::runtime_error("libcurl could not create a transfer");
  libcurl().easy_setopt(easy_, CURLOPT_PRIVATE, reinterpret_cast<char*>(this));
  libcurl().easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  libcurl().easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  libcurl().easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  libcurl().easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  libcurl().easy_setopt(easy_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  libcurl().easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
  libcurl().easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
  libcurl().easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  // The file is the bytes as served. Decoding would also let a small body expand without bound
  // inside libcurl while the reader is behind.
  libcurl().easy_setopt(easy_, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  libcurl().easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
  libcurl().easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  libcurl().easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
  libcurl().easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  if (multi_.connectTo != nullptr)
    libcurl().easy_setopt(easy_, CURLOPT_CONNECT_TO, multi_.connectTo);
  return easy_;
}

CurlTransfer::~CurlTransfer() {
  stop();
  if (easy_ != nullptr)
    libcurl().easy_cleanup(easy_);
}

void CurlTransfer::startRequest(TextView url) {
  redirects_ = 0;
  start(toUtf8(url));
}

void CurlTransfer::stopRequest() {
  ++generation_;
  stop();
  buffer_.release();
  paused_ = false;
}

bool CurlTransfer::bodyReady(std::size_t count) {
  return buffered() >= count || bodyEnded_;
}

void CurlTransfer::waitForBody() {
  resumeWhenRoom();
  multi_.loop.waitAndPump(kNetworkWaitSlice);
}

std::vector<std::uint8_t> CurlTransfer::takeBody(std::size_t count) {
  std::vector<std::uint8_t> chunk = buffer_.take(count);
  resumeWhenRoom();
  return chunk;
}

void CurlTransfer::start(const std::string& url) {
  currentUrl_ = url;
  errorText_[0] = '\0';
  httpResponse_ = false;
  forgetHead();
  redirecting_ = false;
  bodyEnded_ = false;
  try {
    open();
  } catch (const std::runtime_error& e) {
    fail({TransferCode::curl(CURLE_FAILED_INIT), e.what()});
    return;
  }
  libcurl().easy_setopt(easy_, CURLOPT_URL, url.c_str());
  // Once any mapping is given, a request it does not cover must not fall back to a name lookup.
  if (const auto unmapped = multi_.connectToRecord.noteRequest(url)) {
    fail({TransferCode::curl(CURLE_COULDNT_RESOLVE_HOST),
          serverText(*unmapped) + " matches no connect-to entry: nothing was looked up or sent"});
    return;
  }
  libcurl().easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeoutSeconds_));
  if (libcurl().multi_add_handle(multi_.handle, easy_) != CURLM_OK) {
    fail({TransferCode::curl(CURLE_FAILED_INIT), "the request could not be started"});
    return;
  }
  inMulti_ = true;
  pace_ = PaceMeter(timeoutSeconds_);
  pace_.restart(EventLoop::Clock::now());
  watchPace(pace_.period());
}

void CurlTransfer::stop() {
  if (inMulti_)
    libcurl().multi_remove_handle(multi_.handle, easy_);
  inMulti_ = false;
  if (paceTimer_)
    multi_.loop.cancelTimer(*paceTimer_);
  paceTimer_.reset();
}

// The pace is judged when a period may have run its course; a pause for the reader restarts it.
void CurlTransfer::watchPace(EventLoop::Clock::duration after) {
  if (timeoutSeconds_ <= 0)
    return;
  paceTimer_ = multi_.loop.startTimer(std::chrono::ceil<std::chrono::milliseconds>(after), [this] {
    paceTimer_.reset();
    checkPace();
  });
}

void CurlTransfer::checkPace() {
  if (phase() != Phase::kRequesting && phase() != Phase::kResponded)
    return;
  const auto now = EventLoop::Clock::now();
  if (paused_) {
    watchPace(pace_.period());
    return;
  }
  switch (pace_.judge(now)) {
    case PaceMeter::Verdict::kPeriodRunning:
      watchPace(pace_.remaining(now));
      return;
    case PaceMeter::Verdict::kNextPeriod:
      watchPace(pace_.period());
      return;
    case PaceMeter::Verdict::kTooSlow:
      stop();
      if (phase() == Phase::kRequesting) {
        fail(headTimedOut(kCurlCodes, timeoutSeconds_));
      } else {
        bodyEnded_ = true;
        failBody(bodyTooSlow(kCurlCodes, timeoutSeconds_));
      }
      return;
  }
}

void CurlTransfer::finished(CURLcode result) {
  stop();
  if (phase() == Phase::kResponded) {
    endBody(result, reasonFor(result));
    return;
  }
  if (phase() != Phase::kRequesting)
    return;
  if (redirecting_) {
    followRedirect();
    return;
  }
  if (result != CURLE_OK) {
    fail({TransferCode::curl(result), reasonFor(result)});
    return;
  }
  if (httpResponse_) {
    fail({TransferCode::curl(CURLE_WEIRD_SERVER_REPLY), "The server sent no final response"});
    return;
  }
  beginBody();  // an ftp file with no bytes
  bodyEnded_ = true;
}

// GetChunk hands out what arrived, then the end of the body or, when the transfer failed, the
// failure.
void CurlTransfer::endBody(CURLcode result, const std::string& reason) {
  bodyEnded_ = true;
  if (result != CURLE_OK)
    failBody({TransferCode::curl(result), reason});
}

std::string CurlTransfer::reasonFor(CURLcode result) const {
  return errorText_[0] != '\0' ? errorText_ : libcurl().easy_strerror(result);
}

void CurlTransfer::followRedirect() {
  char* location = nullptr;
  libcurl().easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location);
  std::optional<Text> target;
  if (location != nullptr)
    target = fromUtf8(location);
  if (auto failure = redirectFailure(status_, reason_, fromUtf8(currentUrl_), target, ++redirects_,
                                     multi_.settings.redirectAllowed)) {
    fail(std::move(*failure));
    return;
  }
  start(location);
}

std::size_t CurlTransfer::onHeader(char* data, std::size_t size, std::size_t count, void* self) {
  auto* transfer = static_cast<CurlTransfer*>(self);
  return transfer->headerLine({data, size * count}) ? size * count : 0;
}

std::size_t CurlTransfer::onBody(char* data, std::size_t size, std::size_t count, void* self) {
  return static_cast<CurlTransfer*>(self)->bodyData(data, size * count);
}

// Returns false to abort the transfer.
bool CurlTransfer::headerLine(std::string_view line) {
  if (phase() == Phase::kResponded)
    return true;  // trailers of a chunked body: the response was judged on its head
  line = withoutLineBreak(line);
  if (line.starts_with("HTTP/")) {
    httpResponse_ = true;
    headers_.clear();
    const auto space = line.find(' ');
    const std::string_view rest = space == std::string_view::npos ? "" : line.substr(space + 1);
    status_ = std::strtol(std::string(rest.substr(0, 3)).c_str(), nullptr, 10);
    reason_ = std::string(trimmed(rest.size() > 3 ? rest.substr(3) : ""));
    return true;
  }
  if (line.empty()) {
    endOfHeaders();
    return phase() != Phase::kFailed;
  }
  if (httpResponse_)
    headers_.addLine(line);
  return true;
}

// A 1xx head is followed by another; the first other head decides.
void CurlTransfer::endOfHeaders() {
  if (!httpResponse_ || (status_ >= 100 && status_ < 200))
    return;
  HeadVerdict verdict = judgeHead(status_, reason_, headers_, kCurlCodes);
  switch (verdict.kind) {
    case HeadVerdict::kRedirect:
      redirecting_ = true;
      return;
    case HeadVerdict::kRefused:
      fail(std::move(verdict.refusal));
      return;
    case HeadVerdict::kFile:
      beginBody();
      return;
  }
}

std::size_t CurlTransfer::bodyData(const char* data, std::size_t size) {
  if (redirecting_)
    return size;  // a redirect's own body is not the file
  if (phase() == Phase::kRequesting && !httpResponse_)
    beginBody();  // ftp has no header block: the first data is the response
  if (phase() != Phase::kResponded)
    return 0;
  if (buffered() >= kBufferCapacity) {
    paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  buffer_.append(data, size);
  pace_.count(size);
  return size;
}

void CurlTransfer::beginBody() {
  if (phase() != Phase::kRequesting)
    return;
  if (!httpResponse_) {
    long code = 0;
    libcurl().easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    status_ = code;
    curl_off_t length = -1;
    libcurl().easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length >= 0)
      headers_.addLine("Content-Length: " + std::to_string(length));
  }
  pace_.restart(EventLoop::Clock::now());
  respond();
}

void CurlTransfer::notify(std::int16_t state) {
  multi_.loop.post([this, alive = alive_, generation = generation_, state] {
    if (*alive && generation == generation_)
      deliver(state);
  });
}

void CurlTransfer::resumeWhenRoom() {
  if (paused_ && inMulti_ && buffered() < kBufferCapacity / 2) {
    paused_ = false;
    pace_.restart(EventLoop::Clock::now());
    libcurl().easy_pause(easy_, CURLPAUSE_CONT);
  }
}

}  // namespace hv
