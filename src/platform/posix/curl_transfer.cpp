#include "platform/posix/curl_transfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "platform/posix/body_buffer.h"
#include "runtime/numeric_conversion.h"
#include "runtime/script_error.h"
#include "runtime/text_compare.h"
#include "runtime/text_encoding.h"

namespace hv {
namespace {

constexpr int kMaxRedirects = 5;
// The body waits here between the network and GetChunk; libcurl is paused while it is full, so
// memory stays bounded however large the file.
constexpr std::size_t kBufferCapacity = 1024 * 1024;
constexpr long kReceiveBuffer = 256 * 1024;
constexpr auto kNetworkWaitSlice = std::chrono::milliseconds(1000);

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

bool hasAllowedScheme(std::string_view url) {
  for (std::string_view scheme : {"http://", "https://", "ftp://"}) {
    if (sameIgnoringAsciiCase(url.substr(0, scheme.size()), scheme))
      return true;
  }
  return false;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos)
    return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

void initialiseCurlOnce() {
  static const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (result != CURLE_OK)
    throw std::runtime_error("libcurl could not be initialised");
}

}  // namespace

struct CurlTransferFactory::Multi {
  Multi(EventLoop& eventLoop, CurlTransferSettings transferSettings);
  ~Multi();

  void onSocket(curl_socket_t socket, unsigned ready);
  void onTimeout();
  void collectFinished();

  EventLoop& loop;
  CurlTransferSettings settings;
  CURLM* handle = nullptr;
  curl_slist* connectTo = nullptr;
  std::optional<EventLoop::TimerId> timer;
};

// One request at a time on one easy handle. libcurl's callbacks only buffer and post; page
// script runs from posted notifications, so no script ever runs with libcurl on the stack.
class CurlTransfer : public TransferControl {
 public:
  explicit CurlTransfer(CurlTransferFactory::Multi& multi);
  ~CurlTransfer() override;

  void onStateChanged(StateHandler handler) override { handler_ = std::move(handler); }
  void Execute(TextView url) override;
  void Cancel() override;
  std::vector<std::uint8_t> GetChunk(std::int16_t size, std::int32_t dataType) override;
  Text GetHeader(TextView name) override;
  std::int32_t ResponseCode() override { return responseCode_; }
  Text ResponseInfo() override { return responseInfo_; }
  void RequestTimeout(std::int32_t seconds) override { timeoutSeconds_ = std::max(seconds, 0); }

  void finished(CURLcode result);

 private:
  enum class Phase { Idle, Requesting, Responded, Failed };

  static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);

  void start(const std::string& url);
  void stop();
  bool headerLine(std::string_view line);
  void endOfHeaders();
  std::size_t bodyData(const char* data, std::size_t size);
  void respond();
  void fail(std::int32_t code, const std::string& info);
  void notify(std::int16_t state);
  void followRedirect();
  void resumeWhenRoom();
  void watchForSilence(std::chrono::milliseconds after);
  const std::string* findHeader(std::string_view name) const;
  std::size_t buffered() const { return buffer_.size(); }

  CurlTransferFactory::Multi& multi_;
  CURL* easy_;
  StateHandler handler_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  // Notifications posted for an earlier request, or before a Cancel, are dropped on arrival.
  std::uint64_t generation_ = 0;
  Phase phase_ = Phase::Idle;
  bool inMulti_ = false;
  bool paused_ = false;
  bool bodyEnded_ = false;
  bool redirecting_ = false;
  int redirects_ = 0;
  long timeoutSeconds_ = 0;
  std::optional<EventLoop::TimerId> silenceTimer_;
  EventLoop::Clock::time_point lastActivity_;

  bool httpResponse_ = false;
  long status_ = 0;
  std::string reason_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::int32_t responseCode_ = 0;
  Text responseInfo_;

  BodyBuffer buffer_;
  char errorText_[CURL_ERROR_SIZE] = {};
};

// --- the multi handle and the event loop ---------------------------------------------------

CurlTransferFactory::Multi::Multi(EventLoop& eventLoop, CurlTransferSettings transferSettings)
    : loop(eventLoop), settings(std::move(transferSettings)) {
  initialiseCurlOnce();
  handle = curl_multi_init();
  if (handle == nullptr)
    throw std::runtime_error("libcurl could not create a multi handle");
  for (const auto& entry : settings.connectTo)
    connectTo = curl_slist_append(connectTo, entry.c_str());
  curl_multi_setopt(handle, CURLMOPT_SOCKETDATA, this);
  curl_multi_setopt(
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
  curl_multi_setopt(handle, CURLMOPT_TIMERDATA, this);
  curl_multi_setopt(
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
}

CurlTransferFactory::Multi::~Multi() {
  if (timer)
    loop.cancelTimer(*timer);
  curl_multi_cleanup(handle);
  curl_slist_free_all(connectTo);
}

void CurlTransferFactory::Multi::onSocket(curl_socket_t socket, unsigned ready) {
  const int flags = ((ready & EventLoop::kReadable) ? CURL_CSELECT_IN : 0) |
                    ((ready & EventLoop::kWritable) ? CURL_CSELECT_OUT : 0);
  int running = 0;
  curl_multi_socket_action(handle, socket, flags, &running);
  collectFinished();
}

void CurlTransferFactory::Multi::onTimeout() {
  int running = 0;
  curl_multi_socket_action(handle, CURL_SOCKET_TIMEOUT, 0, &running);
  collectFinished();
}

void CurlTransferFactory::Multi::collectFinished() {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(handle, &left)) {
    if (message->msg != CURLMSG_DONE)
      continue;
    CURL* easy = message->easy_handle;
    const CURLcode result = message->data.result;
    char* owner = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, &owner);
    reinterpret_cast<CurlTransfer*>(owner)->finished(result);
  }
}

CurlTransferFactory::CurlTransferFactory(EventLoop& loop, CurlTransferSettings settings)
    : multi_(std::make_unique<Multi>(loop, std::move(settings))) {}

CurlTransferFactory::~CurlTransferFactory() = default;

std::unique_ptr<TransferControl> CurlTransferFactory::createTransferControl() {
  return std::make_unique<CurlTransfer>(*multi_);
}

// --- one transfer ---------------------------------------------------------------------------

CurlTransfer::CurlTransfer(CurlTransferFactory::Multi& multi)
    : multi_(multi), easy_(curl_easy_init()) {
  if (easy_ == nullptr)
    throw std::runtime_error("libcurl could not create a transfer");
  curl_easy_setopt(easy_, CURLOPT_PRIVATE, reinterpret_cast<char*>(this));
  curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
  curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(easy_, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlTransfer::onHeader);
  curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlTransfer::onBody);
  curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
  if (multi_.connectTo != nullptr)
    curl_easy_setopt(easy_, CURLOPT_CONNECT_TO, multi_.connectTo);
}

CurlTransfer::~CurlTransfer() {
  *alive_ = false;
  stop();
  curl_easy_cleanup(easy_);
}

void CurlTransfer::Execute(TextView url) {
  const std::string target = toUtf8(url);
  if (!hasAllowedScheme(target))
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
  std::vector<std::uint8_t> chunk = buffer_.take(wanted);
  resumeWhenRoom();
  return chunk;
}

Text CurlTransfer::GetHeader(TextView name) {
  if (equalsIgnoringAsciiCase("STATUS", name))
    return status_ == 0
               ? Text()
               : numberToText(static_cast<std::int32_t>(status_)) + u" " + fromAnsi(reason_);
  const std::string* value = findHeader(toUtf8(name));
  return value == nullptr ? Text() : fromAnsi(*value);
}

void CurlTransfer::start(const std::string& url) {
  errorText_[0] = '\0';
  httpResponse_ = false;
  status_ = 0;
  reason_.clear();
  headers_.clear();
  redirecting_ = false;
  bodyEnded_ = false;
  curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, timeoutSeconds_);
  if (curl_multi_add_handle(multi_.handle, easy_) != CURLM_OK) {
    fail(CURLE_FAILED_INIT, "the request could not be started");
    return;
  }
  inMulti_ = true;
  lastActivity_ = EventLoop::Clock::now();
  watchForSilence(std::chrono::seconds(timeoutSeconds_));
}

void CurlTransfer::stop() {
  if (inMulti_)
    curl_multi_remove_handle(multi_.handle, easy_);
  inMulti_ = false;
  if (silenceTimer_)
    multi_.loop.cancelTimer(*silenceTimer_);
  silenceTimer_.reset();
}

// A server that goes quiet, before the response or in the middle of the body, ends the request
// once it has said nothing for the whole time-out. A transfer paused because the reader is
// behind is not silent.
void CurlTransfer::watchForSilence(std::chrono::milliseconds after) {
  if (timeoutSeconds_ <= 0)
    return;
  silenceTimer_ = multi_.loop.startTimer(after, [this] {
    silenceTimer_.reset();
    const auto timeout = std::chrono::seconds(timeoutSeconds_);
    const auto quiet = EventLoop::Clock::now() - lastActivity_;
    if (paused_ || quiet < timeout) {
      watchForSilence(
          std::chrono::ceil<std::chrono::milliseconds>(paused_ ? timeout : timeout - quiet));
      return;
    }
    const bool responded = phase_ == Phase::Responded;
    stop();
    if (responded)
      bodyEnded_ = true;
    else
      fail(CURLE_OPERATION_TIMEDOUT, "Timed out: no answer from the server for " +
                                         std::to_string(timeoutSeconds_) + " seconds");
  });
}

void CurlTransfer::finished(CURLcode result) {
  stop();
  if (phase_ == Phase::Responded) {
    // The body ends here, complete or not; GetChunk hands out what arrived, then nothing.
    bodyEnded_ = true;
    return;
  }
  if (phase_ != Phase::Requesting)
    return;
  if (redirecting_) {
    followRedirect();
    return;
  }
  if (result != CURLE_OK) {
    fail(result, errorText_[0] != '\0' ? errorText_ : curl_easy_strerror(result));
    return;
  }
  respond();
  bodyEnded_ = true;
}

void CurlTransfer::followRedirect() {
  const auto code = static_cast<std::int32_t>(status_);
  char* location = nullptr;
  curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &location);
  if (location == nullptr) {
    fail(code, reason_ + " (redirect without a usable target)");
    return;
  }
  const std::string target = location;
  if (++redirects_ > kMaxRedirects) {
    fail(code, "Too many redirects (more than " + std::to_string(kMaxRedirects) + ")");
    return;
  }
  const bool allowed = hasAllowedScheme(target) && multi_.settings.redirectAllowed &&
                       multi_.settings.redirectAllowed(target);
  if (!allowed) {
    fail(code, "Redirect to " + target + " refused: outside the permitted site");
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
  lastActivity_ = EventLoop::Clock::now();
  line = trimmed(line);
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
  const auto colon = line.find(':');
  if (httpResponse_ && colon != std::string_view::npos)
    headers_.emplace_back(trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1)));
  return true;
}

void CurlTransfer::endOfHeaders() {
  if (!httpResponse_ || status_ < 200)
    return;
  if (status_ >= 300 && status_ < 400 && findHeader("Location") != nullptr) {
    redirecting_ = true;
    return;
  }
  if (status_ >= 400) {
    fail(static_cast<std::int32_t>(status_), reason_);
    return;
  }
  respond();
}

std::size_t CurlTransfer::bodyData(const char* data, std::size_t size) {
  lastActivity_ = EventLoop::Clock::now();
  if (redirecting_)
    return size;  // a redirect's own body is not the file
  if (phase_ == Phase::Requesting)
    respond();  // ftp has no header block: the first data is the response
  if (phase_ != Phase::Responded)
    return 0;
  if (buffered() >= kBufferCapacity) {
    paused_ = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  buffer_.append(data, size);
  return size;
}

void CurlTransfer::respond() {
  if (phase_ != Phase::Requesting)
    return;
  phase_ = Phase::Responded;
  if (!httpResponse_) {
    long code = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
    status_ = code;
    curl_off_t length = -1;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length >= 0)
      headers_.emplace_back("Content-Length", std::to_string(length));
  }
  responseCode_ = static_cast<std::int32_t>(status_);
  responseInfo_ = fromAnsi(reason_);
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
    lastActivity_ = EventLoop::Clock::now();
    curl_easy_pause(easy_, CURLPAUSE_CONT);
  }
}

const std::string* CurlTransfer::findHeader(std::string_view name) const {
  for (const auto& [key, value] : headers_) {
    if (sameIgnoringAsciiCase(name, key))
      return &value;
  }
  return nullptr;
}

}  // namespace hv
