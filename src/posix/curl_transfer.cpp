#include "posix/curl_transfer.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/body_buffer.h"
#include "platform/response_headers.h"
#include "platform/transfer_response.h"
#include "platform/transfer_rules.h"
#include "platform/transfer_schemes.h"
#include "posix/libcurl.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

// The body waits here between the network and GetChunk; libcurl is paused while it is full, so
// memory stays bounded however large the file.
constexpr std::size_t kBufferCapacity = 1024 * 1024;
constexpr long kReceiveBuffer = 256 * 1024;
constexpr auto kNetworkWaitSlice = std::chrono::milliseconds(1000);
// A body that averages less than this over a whole time-out period is given up as timed out.
constexpr std::size_t kLowestBytesPerSecond = 10;

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
class CurlTransfer : public TransferResponse {
 public:
  explicit CurlTransfer(CurlTransferFactory::Multi& multi);
  ~CurlTransfer() override;

  void onStateChanged(StateHandler handler) override { handler_ = std::move(handler); }
  void Execute(TextView url) override;
  void Cancel() override;
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t dataType) override;

  void finished(CURLcode result);

 private:
  enum class Phase { Idle, Requesting, Responded, Failed };

  static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);

  // The easy handle, made for the first request: Base makes a transfer it never executes.
  CURL* open();
  void start(const std::string& url);
  void stop();
  bool headerLine(std::string_view line);
  void endOfHeaders();
  std::size_t bodyData(const char* data, std::size_t size);
  void respond();
  void fail(std::int32_t code, const std::string& info);
  void endBody(CURLcode result, const std::string& reason);
  void notify(std::int16_t state);
  void followRedirect();
  void resumeWhenRoom();
  void startPacePeriod();
  void watchPace(std::chrono::milliseconds after);
  void checkPace();
  std::string reasonFor(CURLcode result) const;
  std::size_t buffered() const { return buffer_.size(); }

  CurlTransferFactory::Multi& multi_;
  CURL* easy_ = nullptr;
  StateHandler handler_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Notifications posted for an earlier request, or before a Cancel, are dropped on arrival.
  std::uint64_t generation_ = 0;
  Phase phase_ = Phase::Idle;
  bool inMulti_ = false;
  bool paused_ = false;
  bool bodyEnded_ = false;
  // The connection failed after the response was reported: once the bytes that did arrive are
  // handed out, GetChunk reports the failure instead of an end that would look complete.
  bool bodyFailed_ = false;
  bool redirecting_ = false;
  int redirects_ = 0;
  std::string currentUrl_;
  std::optional<EventLoop::TimerId> paceTimer_;
  EventLoop::Clock::time_point periodStart_;
  std::size_t periodBytes_ = 0;

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
  *alive_ = false;
  stop();
  if (easy_ != nullptr)
    libcurl().easy_cleanup(easy_);
}

void CurlTransfer::Execute(TextView url) {
  const std::string target = toUtf8(url);
  if (!hasTransferScheme(target))
    throw runtimeError(runtime_error::kInvalidProcedureCall);
  Cancel();
  redirects_ = 0;
  phase_ = Phase::Requesting;
  start(target);
}

void CurlTransfer::Cancel() {
  ++generation_;
  stop();
  phase_ = Phase::Idle;
  buffer_.release();
  paused_ = false;
}

std::vector<std::uint8_t> CurlTransfer::GetChunk(std::int16_t size, std::int32_t) {
  const auto alive = alive_;
  const auto wanted = static_cast<std::size_t>(std::max<std::int16_t>(size, 0));
  while (phase_ == Phase::Responded && buffered() < wanted && !bodyEnded_) {
    resumeWhenRoom();
    multi_.loop.waitAndPump(kNetworkWaitSlice);
    if (!*alive)
      return {};
  }
  if (phase_ != Phase::Responded || size <= 0)
    return {};
  if (bodyFailed_ && buffered() == 0) {
    throw ScriptError(kTransferFailure, u"", numberToText(responseCode_) + u" " + responseInfo_);
  }
  std::vector<std::uint8_t> chunk = buffer_.take(wanted);
  resumeWhenRoom();
  return chunk;
}

void CurlTransfer::start(const std::string& url) {
  currentUrl_ = url;
  errorText_[0] = '\0';
  httpResponse_ = false;
  status_ = 0;
  reason_.clear();
  headers_.clear();
  redirecting_ = false;
  bodyEnded_ = false;
  bodyFailed_ = false;
  try {
    open();
  } catch (const std::runtime_error& e) {
    fail(CURLE_FAILED_INIT, e.what());
    return;
  }
  libcurl().easy_setopt(easy_, CURLOPT_URL, url.c_str());
  // Once any mapping is given, a request it does not cover must not fall back to a name lookup.
  if (const auto unmapped = multi_.connectToRecord.noteRequest(url)) {
    fail(CURLE_COULDNT_RESOLVE_HOST,
         serverText(*unmapped) + " matches no connect-to entry: nothing was looked up or sent");
    return;
  }
  libcurl().easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(timeoutSeconds_));
  if (libcurl().multi_add_handle(multi_.handle, easy_) != CURLM_OK) {
    fail(CURLE_FAILED_INIT, "the request could not be started");
    return;
  }
  inMulti_ = true;
  startPacePeriod();
  watchPace(std::chrono::seconds(timeoutSeconds_));
}

void CurlTransfer::stop() {
  if (inMulti_)
    libcurl().multi_remove_handle(multi_.handle, easy_);
  inMulti_ = false;
  if (paceTimer_)
    multi_.loop.cancelTimer(*paceTimer_);
  paceTimer_.reset();
}

// A server may pace its answer to hold the request open for ever: the whole head must arrive
// within the time-out, and the body must then average kLowestBytesPerSecond over every period of
// the time-out. Time spent paused because the reader is behind counts against nobody.
void CurlTransfer::startPacePeriod() {
  periodStart_ = EventLoop::Clock::now();
  periodBytes_ = 0;
}

void CurlTransfer::watchPace(std::chrono::milliseconds after) {
  if (timeoutSeconds_ <= 0)
    return;
  paceTimer_ = multi_.loop.startTimer(after, [this] {
    paceTimer_.reset();
    checkPace();
  });
}

void CurlTransfer::checkPace() {
  if (phase_ != Phase::Requesting && phase_ != Phase::Responded)
    return;
  const auto period = std::chrono::seconds(timeoutSeconds_);
  const auto elapsed = EventLoop::Clock::now() - periodStart_;
  if (paused_ || elapsed < period) {
    watchPace(std::chrono::ceil<std::chrono::milliseconds>(paused_ ? period : period - elapsed));
    return;
  }
  const std::string seconds = std::to_string(timeoutSeconds_) + " seconds";
  if (phase_ == Phase::Requesting) {
    stop();
    fail(CURLE_OPERATION_TIMEDOUT, "Timed out: no response from the server within " + seconds);
  } else if (periodBytes_ < kLowestBytesPerSecond * static_cast<std::size_t>(timeoutSeconds_)) {
    stop();
    endBody(CURLE_OPERATION_TIMEDOUT, "Timed out: fewer than " +
                                          std::to_string(kLowestBytesPerSecond) +
                                          " bytes a second from the server over " + seconds);
  } else {
    startPacePeriod();
    watchPace(period);
  }
}

void CurlTransfer::finished(CURLcode result) {
  stop();
  if (phase_ == Phase::Responded) {
    endBody(result, reasonFor(result));
    return;
  }
  if (phase_ != Phase::Requesting)
    return;
  if (redirecting_) {
    followRedirect();
    return;
  }
  if (result != CURLE_OK) {
    fail(result, reasonFor(result));
    return;
  }
  if (httpResponse_) {
    fail(CURLE_WEIRD_SERVER_REPLY, "The server sent no final response");
    return;
  }
  respond();  // an ftp file with no bytes
  bodyEnded_ = true;
}

// GetChunk hands out what arrived, then the end of the body or, when the transfer failed, the
// failure.
void CurlTransfer::endBody(CURLcode result, const std::string& reason) {
  bodyEnded_ = true;
  if (result == CURLE_OK)
    return;
  bodyFailed_ = true;
  responseCode_ = result;
  responseInfo_ = fromAnsi(reason);
}

std::string CurlTransfer::reasonFor(CURLcode result) const {
  return errorText_[0] != '\0' ? errorText_ : libcurl().easy_strerror(result);
}

void CurlTransfer::followRedirect() {
  const auto code = static_cast<std::int32_t>(status_);
  char* location = nullptr;
  libcurl().easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location);
  if (location == nullptr) {
    fail(code, statusRefusal(status_, reason_).value_or(""));
    return;
  }
  const std::string target = location;
  const bool permitted = hasTransferScheme(target) && multi_.settings.redirectAllowed &&
                         multi_.settings.redirectAllowed(target);
  if (const auto refusal = redirectRefusal(currentUrl_, target, ++redirects_, permitted)) {
    fail(code, *refusal);
    return;
  }
  start(target);
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
  if (phase_ == Phase::Responded)
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
    return phase_ != Phase::Failed;
  }
  if (httpResponse_)
    headers_.addLine(line);
  return true;
}

// A 1xx head is followed by another; the first other head decides.
void CurlTransfer::endOfHeaders() {
  if (!httpResponse_ || (status_ >= 100 && status_ < 200))
    return;
  if (isRedirect(status_, headers_)) {
    redirecting_ = true;
    return;
  }
  if (const auto refusal = statusRefusal(status_, reason_)) {
    fail(static_cast<std::int32_t>(status_), *refusal);
    return;
  }
  if (const auto fault = headers_.framingFault()) {
    fail(fault->kind == FramingFault::kLength ? CURLE_WEIRD_SERVER_REPLY
                                              : CURLE_BAD_CONTENT_ENCODING,
         fault->reason);
    return;
  }
  respond();
}

std::size_t CurlTransfer::bodyData(const char* data, std::size_t size) {
  if (redirecting_)
    return size;  // a redirect's own body is not the file
  if (phase_ == Phase::Requesting && !httpResponse_)
    respond();  // ftp has no header block: the first data is the response
  if (phase_ != Phase::Responded)
    return 0;
  if (buffered() >= kBufferCapacity) {
    paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  buffer_.append(data, size);
  periodBytes_ += size;
  return size;
}

void CurlTransfer::respond() {
  if (phase_ != Phase::Requesting)
    return;
  phase_ = Phase::Responded;
  if (!httpResponse_) {
    long code = 0;
    libcurl().easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    status_ = code;
    curl_off_t length = -1;
    libcurl().easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length >= 0)
      headers_.addLine("Content-Length: " + std::to_string(length));
  }
  responseCode_ = static_cast<std::int32_t>(status_);
  responseInfo_ = fromAnsi(serverText(reason_));
  startPacePeriod();
  notify(kResponseCompleted);
}

void CurlTransfer::fail(std::int32_t code, const std::string& info) {
  phase_ = Phase::Failed;
  responseCode_ = code;
  responseInfo_ = fromAnsi(info);
  notify(kTransferFailed);
}

void CurlTransfer::notify(std::int16_t state) {
  multi_.loop.post([this, alive = alive_, generation = generation_, state] {
    if (*alive && generation == generation_ && handler_)
      handler_(state);
  });
}

void CurlTransfer::resumeWhenRoom() {
  if (paused_ && inMulti_ && buffered() < kBufferCapacity / 2) {
    paused_ = false;
    startPacePeriod();
    libcurl().easy_pause(easy_, CURLPAUSE_CONT);
  }
}

}  // namespace hv
