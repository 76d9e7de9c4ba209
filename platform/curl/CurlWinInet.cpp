// WinInet's request handles, carried out over libcurl: the engine behind
// the request functions of win32/wininet_http.cpp, where each is described.
//
// Handles are numbers that are never reused, so a handle closed by one thread
// can never name another thread's new handle. Each request streams its body
// through its own libcurl multi handle: HttpSendRequestA runs the transfer
// until the final response head has arrived (redirects are followed inside
// it), InternetReadFile runs it on as the caller reads. Closing a handle from
// another thread cancels what runs on it and on its children.
//
// Failures of the transfer set the WinInet error of libcurl's result
// (curl/WinInetErrors.h); a cancelled call sets
// ERROR_INTERNET_OPERATION_CANCELLED.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include <curl/curl.h>

#include "common/AsciiCase.h"
#include "win32/HandleTable.h"
#include "curl/CurlLibrary.h"
#include "curl/CurlWinInet.h"
#include "curl/WinInetErrors.h"
#include "wininet.h"

namespace {

constexpr long connectTimeoutMs = 15'000;
constexpr long requestTimeoutMs = 60'000;
constexpr long maxRedirects = 10;
// How often a waiting request looks whether its handle or a parent was closed.
constexpr int cancelPollMs = 100;

// INTERNET_FLAG_* that would accept a certificate the check refuses.
constexpr DWORD certificateRelaxingFlags = INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;

struct InternetObject {
  virtual ~InternetObject() = default;
  std::shared_ptr<InternetObject> parent;
  std::atomic<bool> closed{false};

  // Whether this handle or one of its parents was closed.
  bool cancelled() const {
    for (const InternetObject* object = this; object != nullptr; object = object->parent.get()) {
      if (object->closed) return true;
    }
    return false;
  }
  virtual void wake() {}
};

struct Session : InternetObject {
  std::string agent;
};

struct Connection : InternetObject {
  std::string host;
  INTERNET_PORT port = 0;  // 0: the scheme's default
};

struct Request : InternetObject {
  ~Request() override {
    if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
  }
  void wake() override { curl_multi_wakeup(multi); }

  // Fixed at creation.
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  // libcurl sends "Accept: */*" of its own unless told to leave it out.
  curl_slist* headers = nullptr;
  std::string url;
  bool secure = false;
  DWORD flags = 0;

  // The transfer, used under `mutex` by the calling thread.
  std::mutex mutex;
  bool sent = false;
  bool finished = false;      // the transfer ended, with `result`
  CURLcode result = CURLE_OK;
  std::string effectiveUrl;
  // The head that is being received, and whether the final one is complete.
  long status = 0;
  bool location = false;
  bool headComplete = false;
  // Body bytes received and not yet read.
  std::string pending;
  std::size_t pendingOffset = 0;
};

using InternetHandles = plat::HandleTable<HINTERNET, std::shared_ptr<InternetObject>>;

// Never destroyed: a worker may still close its handles while the process
// ends.
InternetHandles& handles() {
  static auto* table = new InternetHandles(0x1004, 4);
  return *table;
}

template <class T>
std::shared_ptr<T> findOrFail(HINTERNET handle) {
  auto object = handles().find(handle);
  auto found = object ? std::dynamic_pointer_cast<T>(*object) : nullptr;
  if (!found) SetLastError(ERROR_INVALID_HANDLE);
  return found;
}

bool fail(DWORD code) {
  SetLastError(code);
  return false;
}

// Fails with the WinInet error for the transfer's libcurl result.
bool failTransfer(const Request& request, CURLcode result) {
  long certificateCheck = 0;
  if (curl_easy_getinfo(request.easy, CURLINFO_SSL_VERIFYRESULT, &certificateCheck) != CURLE_OK) certificateCheck = 0;
  return fail(plat::winInetErrorFromCurl(result, certificateCheck));
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && plat::equalsNoCase(text.substr(0, prefix.size()), prefix);
}

// Follows the response heads: a head ends with an empty line; it is the final
// one unless it is informational or a redirect that libcurl follows (3xx with
// a Location).
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  const std::string_view line(data, size * count);
  if (startsWithNoCase(line, "HTTP/")) {
    const auto blank = line.find(' ');
    request.status = blank == std::string_view::npos ? 0 : std::strtol(line.data() + blank + 1, nullptr, 10);
    request.location = false;
  } else if (startsWithNoCase(line, "Location:")) {
    request.location = true;
  } else if (line == "\r\n" || line == "\n") {
    const bool redirect = request.status >= 300 && request.status < 400 && request.location;
    if (request.status >= 200 && !redirect) request.headComplete = true;
  }
  return size * count;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& request = *static_cast<Request*>(user);
  if (request.pendingOffset == request.pending.size()) {
    request.pending.clear();
    request.pendingOffset = 0;
  }
  request.pending.append(data, size * count);
  return size * count;
}

// Runs the transfer until `done()` holds or the transfer ends. False when the
// request or a parent handle was closed meanwhile.
template <class Done>
bool pump(Request& request, Done done) {
  while (!done() && !request.finished) {
    if (request.cancelled()) return false;
    int running = 0;
    CURLMcode code = curl_multi_perform(request.multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(request.multi, &queued)) {
      if (message->msg == CURLMSG_DONE) {
        request.finished = true;
        request.result = message->data.result;
      }
    }
    if (code != CURLM_OK && !request.finished) {
      request.finished = true;
      request.result = CURLE_FAILED_INIT;
    }
    if (done() || request.finished) break;
    curl_multi_poll(request.multi, nullptr, 0, cancelPollMs, nullptr);
  }
  return true;
}

std::string bracketed(const std::string& host) {
  return host.find(':') != std::string::npos && host.front() != '[' ? "[" + host + "]" : host;
}

// Sets up the easy handle for the request's one transfer.
CURLcode configure(Request& request, const Session& session) {
  CURL* easy = request.easy;
  const char* scheme = request.secure ? "https" : "http";
  std::string redirectSchemes = scheme;
  if (request.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS && !request.secure) redirectSchemes += ",https";
  if (request.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP && request.secure) redirectSchemes += ",http";
  CURLcode code = CURLE_OK;
  auto set = [&](CURLoption option, auto value) {
    if (code == CURLE_OK) code = curl_easy_setopt(easy, option, value);
  };
  set(CURLOPT_URL, request.url.c_str());
  // Limits every hop; the redirect list below narrows the later ones.
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, redirectSchemes.c_str());
  set(CURLOPT_FOLLOWLOCATION, 1L);
  set(CURLOPT_MAXREDIRS, maxRedirects);
  if (!session.agent.empty()) set(CURLOPT_USERAGENT, session.agent.c_str());
  set(CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
  set(CURLOPT_TIMEOUT_MS, requestTimeoutMs);
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(CURLOPT_SSL_VERIFYPEER, 1L);
  set(CURLOPT_SSL_VERIFYHOST, 2L);
  // The system's authorities, unless the environment names another bundle
  // (as OpenSSL's own default paths honour it).
  if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle != nullptr && *bundle != '\0') {
    set(CURLOPT_CAINFO, bundle);
  }
  set(CURLOPT_HTTPHEADER, request.headers);
  set(CURLOPT_HEADERFUNCTION, &onHeader);
  set(CURLOPT_HEADERDATA, &request);
  set(CURLOPT_WRITEFUNCTION, &onBody);
  set(CURLOPT_WRITEDATA, &request);
  return code;
}

bool copyText(const std::string& text, LPVOID buffer, LPDWORD bufferLength) {
  const auto needed = static_cast<DWORD>(text.size() + 1);
  if (buffer == nullptr || *bufferLength < needed) {
    *bufferLength = needed;
    return fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, text.c_str(), needed);
  *bufferLength = needed - 1;
  return true;
}

}  // namespace

namespace plat::curl {

HINTERNET internetOpen(LPCSTR agent) {
  if (!curlReady()) return nullptr;
  auto session = std::make_shared<Session>();
  session->agent = agent != nullptr ? agent : "";
  return handles().add(std::move(session));
}

HINTERNET internetConnect(HINTERNET internet, LPCSTR serverName, INTERNET_PORT serverPort, LPCSTR userName,
                          LPCSTR password, DWORD service) {
  auto session = findOrFail<Session>(internet);
  if (!session) return nullptr;
  if (serverName == nullptr || *serverName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (service != INTERNET_SERVICE_HTTP || (userName != nullptr && *userName != '\0') ||
      (password != nullptr && *password != '\0')) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto connection = std::make_shared<Connection>();
  connection->parent = session;
  connection->host = serverName;
  connection->port = serverPort;
  return handles().add(std::move(connection));
}

HINTERNET httpOpenRequest(HINTERNET connect, LPCSTR verb, LPCSTR objectName, LPCSTR version, LPCSTR referrer,
                          LPCSTR* acceptTypes, DWORD flags) {
  auto connection = findOrFail<Connection>(connect);
  if (!connection) return nullptr;
  long httpVersion = CURL_HTTP_VERSION_1_1;
  if (version != nullptr && std::strcmp(version, "HTTP/1.0") == 0) {
    httpVersion = CURL_HTTP_VERSION_1_0;
  } else if (version != nullptr && std::strcmp(version, "HTTP/1.1") != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((verb != nullptr && std::strcmp(verb, "GET") != 0) || (acceptTypes != nullptr && *acceptTypes != nullptr) ||
      (flags & certificateRelaxingFlags) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto request = std::make_shared<Request>();
  request->easy = curl_easy_init();
  request->multi = curl_multi_init();
  request->headers = curl_slist_append(nullptr, "Accept:");
  if (request->easy == nullptr || request->multi == nullptr || request->headers == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  request->parent = connection;
  request->flags = flags;
  request->secure = (flags & INTERNET_FLAG_SECURE) != 0;
  const INTERNET_PORT defaultPort = request->secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
  std::string target = objectName != nullptr ? objectName : "";
  if (target.empty() || target.front() != '/') target.insert(0, "/");
  request->url = std::string(request->secure ? "https://" : "http://") + bracketed(connection->host);
  if (connection->port != 0 && connection->port != defaultPort) request->url += ":" + std::to_string(connection->port);
  request->url += target;
  request->effectiveUrl = request->url;
  curl_easy_setopt(request->easy, CURLOPT_HTTP_VERSION, httpVersion);
  if (referrer != nullptr && *referrer != '\0') curl_easy_setopt(request->easy, CURLOPT_REFERER, referrer);
  return handles().add(std::move(request));
}

BOOL httpSendRequest(HINTERNET handle, LPCSTR headers, DWORD headersLength, LPVOID optional, DWORD optionalLength) {
  auto request = findOrFail<Request>(handle);
  if (!request) return FALSE;
  if ((headers != nullptr && headersLength != 0 && *headers != '\0') || (optional != nullptr && optionalLength != 0)) {
    return fail(ERROR_NOT_SUPPORTED);
  }
  std::lock_guard lock(request->mutex);
  if (request->sent) return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  request->sent = true;
  auto connection = std::static_pointer_cast<Connection>(request->parent);
  auto session = std::static_pointer_cast<Session>(connection->parent);
  CURLcode code = configure(*request, *session);
  if (code == CURLE_OK && curl_multi_add_handle(request->multi, request->easy) != CURLM_OK) code = CURLE_FAILED_INIT;
  if (code != CURLE_OK) {
    request->finished = true;
    request->result = code;
    return failTransfer(*request, code);
  }
  const bool completed = pump(*request, [&] { return request->headComplete; });
  char* url = nullptr;
  if (curl_easy_getinfo(request->easy, CURLINFO_EFFECTIVE_URL, &url) == CURLE_OK && url != nullptr) {
    request->effectiveUrl = url;
  }
  if (!completed) return fail(ERROR_INTERNET_OPERATION_CANCELLED);
  if (!request->headComplete) {
    if (request->result != CURLE_OK) return failTransfer(*request, request->result);
    request->headComplete = true;  // ended cleanly: what arrived is the response
  }
  return TRUE;
}

BOOL internetReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) {
  auto request = findOrFail<Request>(file);
  if (!request) return FALSE;
  if (bytesRead == nullptr || (buffer == nullptr && bytesToRead != 0)) return fail(ERROR_INVALID_PARAMETER);
  *bytesRead = 0;
  std::lock_guard lock(request->mutex);
  if (!request->sent || !request->headComplete) return fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  auto* out = static_cast<char*>(buffer);
  DWORD filled = 0;
  while (filled < bytesToRead) {
    const std::size_t available = request->pending.size() - request->pendingOffset;
    if (available > 0) {
      const auto count = static_cast<DWORD>(std::min<std::size_t>(available, bytesToRead - filled));
      std::memcpy(out + filled, request->pending.data() + request->pendingOffset, count);
      request->pendingOffset += count;
      filled += count;
      continue;
    }
    if (request->finished) break;
    if (!pump(*request, [&] { return request->pendingOffset < request->pending.size(); })) {
      if (filled > 0) break;
      return fail(ERROR_INTERNET_OPERATION_CANCELLED);
    }
  }
  const bool drained = request->pendingOffset == request->pending.size();
  if (filled == 0 && drained && request->finished && request->result != CURLE_OK) {
    return failTransfer(*request, request->result);
  }
  *bytesRead = filled;
  return TRUE;
}

BOOL internetQueryOption(HINTERNET handle, DWORD option, LPVOID buffer, LPDWORD bufferLength) {
  if (bufferLength == nullptr) return fail(ERROR_INVALID_PARAMETER);
  auto object = handles().find(handle);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  auto request = std::dynamic_pointer_cast<Request>(*object);
  if (option != INTERNET_OPTION_URL || !request) return fail(ERROR_NOT_SUPPORTED);
  std::lock_guard lock(request->mutex);
  return copyText(request->effectiveUrl, buffer, bufferLength);
}

BOOL internetCloseHandle(HINTERNET handle) {
  auto object = handles().remove(handle);
  if (!object) return fail(ERROR_INVALID_HANDLE);
  (*object)->closed = true;
  (*object)->wake();
  return TRUE;
}

}  // namespace plat::curl
