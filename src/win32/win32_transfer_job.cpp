#include "win32/win32_transfer_job.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "runtime/text_encoding.h"
#include "transfer/transfer_pace.h"
#include "transfer/transfer_rules.h"
#include "win32/win32_internet_errors.h"
#include "win32/win32_transfer_hooks.h"
#include "win32/win32_transfer_notices.h"

namespace hv {
namespace {

// The body waits here between the network and GetChunk; the worker stops reading while it is
// full, so memory stays bounded however large the file.
constexpr std::size_t kBufferCapacity = 1024 * 1024;
constexpr DWORD kReadSize = 64 * 1024;
// The reader's own deadline for the head comes first; WinINet's receive time-out only ends a
// worker whose server has gone silent.
constexpr DWORD kReceiveGraceMillis = 1000;

struct HandleCloser {
  void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, HandleCloser>;

TransferFailure lastFailure() {
  return internetFailure(GetLastError());
}

std::wstring widened(TextView text) {
  return {text.begin(), text.end()};
}

std::string queryText(HINTERNET request, DWORD info) {
  DWORD size = 0;
  HttpQueryInfoA(request, info, nullptr, &size, nullptr);
  std::string text(size + 1, '\0');
  if (size == 0 || !HttpQueryInfoA(request, info, text.data(), &size, nullptr))
    return {};
  text.resize(size);
  return text;
}

// Every field line of the raw head, the status line left out.
ResponseHeaders headersOf(const std::string& raw) {
  ResponseHeaders headers;
  std::size_t at = raw.find("\r\n");
  while (at != std::string::npos && at + 2 < raw.size()) {
    const std::size_t next = raw.find("\r\n", at + 2);
    headers.addLine(std::string_view(raw).substr(
        at + 2, next == std::string::npos ? std::string::npos : next - at - 2));
    at = next;
  }
  return headers;
}

// The length the body must have when the server framed it by Content-Length alone.
std::optional<std::uint64_t> announcedLength(const ResponseHeaders& headers) {
  const std::string* length = headers.find("Content-Length");
  if (length == nullptr || headers.find("Transfer-Encoding") != nullptr)
    return std::nullopt;
  return std::strtoull(length->c_str(), nullptr, 10);
}

struct CrackedUrl {
  INTERNET_SCHEME scheme;
  std::wstring host;
  INTERNET_PORT port;
  std::wstring path;
};

std::optional<CrackedUrl> crack(const std::wstring& url) {
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &parts))
    return std::nullopt;
  CrackedUrl cracked{parts.nScheme,
                     {parts.lpszHostName, parts.dwHostNameLength},
                     parts.nPort,
                     std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                         std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength)};
  if (cracked.path.empty())
    cracked.path = L"/";
  return cracked;
}

std::wstring hostHeader(const CrackedUrl& url) {
  const bool defaultPort =
      url.port == (url.scheme == INTERNET_SCHEME_HTTPS ? INTERNET_DEFAULT_HTTPS_PORT
                                                       : INTERNET_DEFAULT_HTTP_PORT);
  return L"Host: " + url.host + (defaultPort ? L"" : L":" + std::to_wstring(url.port)) + L"\r\n";
}

std::optional<std::wstring> combined(const std::wstring& base, const std::string& location) {
  const std::wstring relative = widened(fromAnsi(location));
  DWORD size = 0;
  InternetCombineUrlW(base.c_str(), relative.c_str(), nullptr, &size, ICU_NO_ENCODE);
  std::wstring url(size + 1, L'\0');
  if (size == 0 ||
      !InternetCombineUrlW(base.c_str(), relative.c_str(), url.data(), &size, ICU_NO_ENCODE))
    return std::nullopt;
  url.resize(size);
  return url;
}

// Set on every handle of a request: WinINet builds differ in which handle's value a connection
// takes.
void setTimeouts(HINTERNET handle, std::int32_t seconds) {
  if (seconds <= 0)
    return;
  DWORD millis = static_cast<DWORD>(seconds) * 1000;
  InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &millis, sizeof millis);
  InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &millis, sizeof millis);
  millis += kReceiveGraceMillis;
  InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &millis, sizeof millis);
}

}  // namespace

// One request's handles: the session, the server and the request itself.
struct TransferJob::Hop {
  InternetHandle session;
  InternetHandle connection;
  InternetHandle request;
  bool http = true;
};

TransferJob* TransferJob::start(TransferOrder order) {
  auto* job = new TransferJob(std::move(order));
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                     reinterpret_cast<LPCWSTR>(&TransferJob::threadMain), &job->module_);
  HANDLE thread = CreateThread(nullptr, 0, &TransferJob::threadMain, job, 0, nullptr);
  if (thread != nullptr) {
    CloseHandle(thread);
    return job;
  }
  TransferHead head;
  head.failure = lastFailure();
  FreeLibrary(job->module_);
  job->publishHead(std::move(head));
  job->release();  // the worker's reference
  return job;
}

TransferJob::TransferJob(TransferOrder order)
    : order_(std::move(order)), arrival_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

TransferJob::~TransferJob() {
  if (arrival_ != nullptr)
    CloseHandle(arrival_);
}

void TransferJob::release() {
  if (--references_ == 0)
    delete this;
}

// The module reference is let go as the thread ends, so no code of the module runs after it.
DWORD WINAPI TransferJob::threadMain(void* self) {
  auto* job = static_cast<TransferJob*>(self);
  const HMODULE module = job->module_;
  try {
    job->run();
  } catch (...) {
    // Out of memory: whichever the reader waits for, the head or the body, ends in it.
    const TransferFailure failure = internetFailure(ERROR_NOT_ENOUGH_MEMORY);
    TransferHead head;
    head.failure = failure;
    job->publishHead(std::move(head));
    job->endBody(failure);
  }
  job->release();
  FreeLibraryAndExitThread(module, 0);
}

void TransferJob::abandon() {
  AcquireSRWLockExclusive(&lock_);
  abandoned_ = true;
  buffer_.release();
  ReleaseSRWLockExclusive(&lock_);
  WakeAllConditionVariable(&roomMade_);
}

bool TransferJob::cancelled() {
  AcquireSRWLockShared(&lock_);
  const bool abandoned = abandoned_;
  ReleaseSRWLockShared(&lock_);
  return abandoned;
}

TransferHead TransferJob::head() {
  AcquireSRWLockShared(&lock_);
  TransferHead head = head_;
  ReleaseSRWLockShared(&lock_);
  return head;
}

bool TransferJob::canHandOut(std::size_t count) {
  AcquireSRWLockShared(&lock_);
  const bool ready = bodyEnded_ || buffer_.size() >= count;
  ReleaseSRWLockShared(&lock_);
  return ready;
}

std::vector<std::uint8_t> TransferJob::take(std::size_t count,
                                            std::optional<TransferFailure>& failure) {
  AcquireSRWLockExclusive(&lock_);
  std::vector<std::uint8_t> bytes = buffer_.take(count);
  if (bytes.empty() && bodyEnded_)
    failure = bodyFailure_;
  ReleaseSRWLockExclusive(&lock_);
  WakeAllConditionVariable(&roomMade_);
  return bytes;
}

// --- the worker ------------------------------------------------------------------------------

void TransferJob::run() {
  std::wstring url = order_.url;
  for (int redirects = 0;; ++redirects) {
    if (cancelled())
      return;
    Hop hop;
    std::optional<Redirect> redirect;
    std::optional<TransferFailure> failure = open(url, hop);
    if (!failure)
      failure = exchange(hop, redirect);
    if (!failure && redirect)
      failure = follow(*redirect, redirects + 1, url);
    if (failure) {
      TransferHead head;
      head.failure = std::move(failure);
      publishHead(std::move(head));
      return;
    }
    if (!redirect)
      return;  // the response was handed over and its body read
  }
}

std::optional<TransferFailure> TransferJob::open(const std::wstring& url, Hop& hop) {
  const auto target = crack(url);
  if (!target)
    return lastFailure();
  const ConnectTarget connect = connectTargetFor(target->host, target->port);
  hop.http = target->scheme != INTERNET_SCHEME_FTP;
  hop.session.reset(InternetOpenW(
      L"HVDetector", connect.mapped ? INTERNET_OPEN_TYPE_DIRECT : INTERNET_OPEN_TYPE_PRECONFIG,
      nullptr, nullptr, 0));
  if (!hop.session)
    return lastFailure();
  setTimeouts(hop.session.get(), order_.timeoutSeconds);
  hop.connection.reset(InternetConnectW(hop.session.get(), connect.host.c_str(),
                                        static_cast<INTERNET_PORT>(connect.port), nullptr, nullptr,
                                        hop.http ? INTERNET_SERVICE_HTTP : INTERNET_SERVICE_FTP,
                                        hop.http ? 0 : INTERNET_FLAG_PASSIVE, 0));
  if (!hop.connection)
    return lastFailure();
  setTimeouts(hop.connection.get(), order_.timeoutSeconds);
  if (!hop.http) {
    hop.request.reset(FtpOpenFileW(hop.connection.get(), target->path.c_str(), GENERIC_READ,
                                   FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD, 0));
    return hop.request ? std::nullopt : std::optional(lastFailure());
  }
  // Redirects are ours to judge, the cache and the user's cookies and credentials are not
  // consulted, and certificates are checked (no flag turns that off).
  const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_PRAGMA_NOCACHE |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH |
                      (target->scheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
  hop.request.reset(HttpOpenRequestW(hop.connection.get(), L"GET", target->path.c_str(), nullptr,
                                     nullptr, nullptr, flags, 0));
  if (!hop.request)
    return lastFailure();
  setTimeouts(hop.request.get(), order_.timeoutSeconds);
  if (connect.mapped) {
    HttpAddRequestHeadersW(hop.request.get(), hostHeader(*target).c_str(), static_cast<DWORD>(-1),
                           HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE);
  }
  return std::nullopt;
}

// Sends the request and judges the head: a failure, a redirect, or the response, which is handed
// over before its body is read.
std::optional<TransferFailure> TransferJob::exchange(Hop& hop, std::optional<Redirect>& redirect) {
  HINTERNET request = hop.request.get();
  if (!hop.http) {
    DWORD high = 0;
    const DWORD low = FtpGetFileSize(request, &high);
    TransferHead head;
    const std::uint64_t size = (static_cast<std::uint64_t>(high) << 32) | low;
    if (low != INVALID_FILE_SIZE || GetLastError() == NO_ERROR)
      head.headers.addLine("Content-Length: " + std::to_string(size));
    const auto expected = announcedLength(head.headers);
    publishHead(std::move(head));
    readBody(request, expected);
    return std::nullopt;
  }
  if (!HttpSendRequestW(request, nullptr, 0, nullptr, 0))
    return lastFailure();
  TransferHead head;
  DWORD status = 0;
  DWORD size = sizeof status;
  HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr);
  head.status = static_cast<long>(status);
  head.reason = queryText(request, HTTP_QUERY_STATUS_TEXT);
  head.headers = headersOf(queryText(request, HTTP_QUERY_RAW_HEADERS_CRLF));
  HeadVerdict verdict = judgeHead(head.status, head.reason, head.headers, kWinInetCodes);
  if (verdict.kind == HeadVerdict::kRedirect) {
    redirect = Redirect{head.status, head.reason, *head.headers.find("Location")};
    return std::nullopt;
  }
  if (verdict.kind == HeadVerdict::kRefused)
    return std::move(verdict.refusal);
  const auto expected = announcedLength(head.headers);
  publishHead(std::move(head));
  readBody(request, expected);
  return std::nullopt;
}

// Redirects lead only where a download may start, and only so far.
std::optional<TransferFailure> TransferJob::follow(const Redirect& redirect, int count,
                                                   std::wstring& url) {
  const auto target = combined(url, redirect.location);
  std::optional<Text> to;
  if (target)
    to = Text(target->begin(), target->end());
  if (auto failure = redirectFailure(redirect.status, redirect.reason, Text(url.begin(), url.end()),
                                     to, count, order_.redirectAllowed))
    return failure;
  url = *target;
  return std::nullopt;
}

// The body is held to the pace the policy sets; a server that goes silent runs into the receive
// time-out. A body framed by its length ends there, whatever the server sends after it, as every
// HTTP library reads it.
void TransferJob::readBody(HINTERNET request, std::optional<std::uint64_t> expected) {
  std::vector<char> chunk(kReadSize);
  std::uint64_t received = 0;
  PaceMeter pace(order_.timeoutSeconds);
  pace.restart(PaceMeter::Clock::now());
  for (;;) {
    bool waited = false;
    if (!waitForRoom(waited))
      return;
    if (waited)
      pace.restart(PaceMeter::Clock::now());
    if (expected && received == *expected)
      return endBody(std::nullopt);
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0))
      return endBody(bodyFailure(GetLastError()));
    if (expected)
      available = static_cast<DWORD>(std::min<std::uint64_t>(available, *expected - received));
    DWORD got = 0;
    if (available > 0 &&
        !InternetReadFile(request, chunk.data(), std::min(available, kReadSize), &got)) {
      const DWORD error = GetLastError();
      append(chunk.data(), got);
      return endBody(bodyFailure(error));
    }
    if (got == 0) {
      if (expected && received < *expected) {
        return endBody(TransferFailure{TransferCode::winInet(ERROR_INTERNET_CONNECTION_ABORTED),
                                       "Transfer closed with " +
                                           std::to_string(*expected - received) +
                                           " bytes remaining to read"});
      }
      return endBody(std::nullopt);
    }
    if (!append(chunk.data(), got))
      return;
    received += got;
    pace.count(got);
    if (pace.judge(PaceMeter::Clock::now()) == PaceMeter::Verdict::kTooSlow)
      return endBody(bodyTooSlow(kWinInetCodes, order_.timeoutSeconds));
  }
}

TransferFailure TransferJob::bodyFailure(DWORD error) const {
  if (isTimeout(error))
    return bodyTooSlow(kWinInetCodes, order_.timeoutSeconds);
  return internetFailure(error);
}

// Posted under the lock: once abandon() has returned, nothing more reaches the window, which may
// be gone by then.
void TransferJob::publishHead(TransferHead head) {
  AcquireSRWLockExclusive(&lock_);
  head_ = std::move(head);
  if (!abandoned_)
    PostMessageW(order_.notices, TransferNotices::kNoticeMessage, order_.key, order_.serial);
  ReleaseSRWLockExclusive(&lock_);
}

void TransferJob::endBody(std::optional<TransferFailure> failure) {
  AcquireSRWLockExclusive(&lock_);
  bodyEnded_ = true;
  bodyFailure_ = std::move(failure);
  ReleaseSRWLockExclusive(&lock_);
  SetEvent(arrival_);
}

// False once the transfer has let go: the bytes have nobody to go to.
bool TransferJob::append(const char* data, std::size_t size) {
  AcquireSRWLockExclusive(&lock_);
  const bool wanted = !abandoned_;
  if (wanted && size > 0)
    buffer_.append(data, size);
  ReleaseSRWLockExclusive(&lock_);
  if (size > 0)
    SetEvent(arrival_);
  return wanted;
}

bool TransferJob::waitForRoom(bool& waited) {
  AcquireSRWLockExclusive(&lock_);
  while (!abandoned_ && buffer_.size() >= kBufferCapacity) {
    waited = true;
    SleepConditionVariableSRW(&roomMade_, &lock_, INFINITE, 0);
  }
  const bool wanted = !abandoned_;
  ReleaseSRWLockExclusive(&lock_);
  return wanted;
}

}  // namespace hv
