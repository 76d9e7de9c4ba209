#include "update/http.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>

#include "SysUtils.h"
#include "update/DateTimeText.h"
#include "util/TextUtils.h"

namespace {

constexpr const char* AgentName = "Tovelko";
constexpr DWORD ReadChunk = 1024;
constexpr DWORD UrlBufferSize = 1024;
constexpr DWORD PlainFlags = INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION |
                             INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP | INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
// The server's certificate is checked in full: a certificate for another
// host, out of its dates or from an unknown authority fails the send step.
constexpr DWORD SecureFlags = PlainFlags | INTERNET_FLAG_SECURE;

constexpr const char* ConnectFailed = "Error occurred when InternetConnect. ErrorCode: ";
constexpr const char* OpenRequestFailed = "Error occurred when HttpOpenRequest. ErrorCode: ";
constexpr const char* SendFailed = "Error occurred when HttpSendRequest. ErrorCode: ";

// A decimal integer of the platform's int range; anything else raises.
int StrToInt(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long value = text.empty() || std::isspace(static_cast<unsigned char>(text.front()))
                         ? 0
                         : std::strtol(text.c_str(), &end, 10);
  if (end == nullptr || *end != '\0' || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
    throw EConvertError("'" + text + "' is not a valid integer value");
  }
  return static_cast<int>(value);
}

std::string FailureMessage(const char* stepText) {
  // The code is taken before anything else can change it.
  const DWORD code = GetLastError();
  return DateTimeToStr(std::time(nullptr)) + "\r\n" + stepText + std::to_string(code);
}

// A read-only log stays as it is, whoever runs the program.
bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace

THTTP::THTTP(std::string LogFile) : FLogFile(std::move(LogFile)) {}

THTTP::~THTTP() { Close(); }

void THTTP::Open() { InternetHandle = InternetOpenA(AgentName, INTERNET_OPEN_TYPE_PRECONFIG, "", "", 0); }

void THTTP::Close() {
  if (HINTERNET handle = InternetHandle.exchange(nullptr)) InternetCloseHandle(handle);
}

bool THTTP::IsOpen() const { return InternetHandle.load() != nullptr; }

bool THTTP::SplitUrl(const std::string& Url, std::string& Scheme, std::string& Host, std::uint16_t& Port,
                     std::string& Path) {
  const auto separator = Url.find("://");
  if (separator == std::string::npos) return false;
  Scheme = Url.substr(0, separator);
  const std::string rest = Url.substr(separator + 3);
  const auto slash = rest.find('/');
  Host = rest.substr(0, slash);
  Path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
  Port = 0;
  if (const auto colon = Host.find(':'); colon != std::string::npos) {
    Port = static_cast<std::uint16_t>(StrToInt(Host.substr(colon + 1)));
    Host.erase(colon);
  }
  return true;
}

void THTTP::Get(const std::string& Url, std::string& EffectiveUrl, std::string& Body) {
  Body.clear();
  const HINTERNET internet = InternetHandle.load();
  if (internet == nullptr) return;
  std::string scheme, host, path;
  std::uint16_t port = 0;
  if (!SplitUrl(Url, scheme, host, port, path)) return;
  const bool secure = UpperCase(scheme) == "HTTPS";
  if (port == 0) port = secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;

  HINTERNET connection = InternetConnectA(internet, host.c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (connection == nullptr) {
    LogError(FailureMessage(ConnectFailed));
    return;
  }
  HINTERNET request = nullptr;
  // Both handles are closed on every way out, an escaping error included.
  struct Closer {
    HINTERNET& request;
    HINTERNET connection;
    ~Closer() {
      if (request != nullptr) InternetCloseHandle(request);
      InternetCloseHandle(connection);
    }
  } closer{request, connection};

  request = HttpOpenRequestA(connection, "GET", path.c_str(), "HTTP/1.0", "", nullptr, secure ? SecureFlags : PlainFlags,
                             0);
  if (request == nullptr) {
    LogError(FailureMessage(OpenRequestFailed));
    return;
  }
  const bool sent = HttpSendRequestA(request, nullptr, 0, nullptr, 0);
  if (!sent) LogError(FailureMessage(SendFailed));

  char url[UrlBufferSize];
  DWORD length = sizeof url;
  if (InternetQueryOptionA(request, INTERNET_OPTION_URL, url, &length)) {
    EffectiveUrl = url;
    LastUrl = EffectiveUrl;
  }
  if (!sent) return;

  std::string text;
  std::size_t received = 0;
  char buffer[ReadChunk + 1];
  DWORD count = 0;
  while (InternetReadFile(request, buffer, ReadChunk, &count) && count != 0) {
    if (received + count > MaxBodySize) break;
    received += count;
    buffer[count] = '\0';
    text.append(buffer, std::strlen(buffer));
  }
  Body = std::move(text);
}

void THTTP::LogError(const std::string& Message) const {
  if (IsReadOnlyFile(FLogFile)) return;
  const int file = ::open(FLogFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (file < 0) return;
  // One write, so that entries from two writers never interleave.
  const std::string entry = "\r\n" + FormatLogStamp(std::time(nullptr)) + "\r\n" + Message + "\r\n";
  std::size_t written = 0;
  while (written < entry.size()) {
    const ssize_t n = ::write(file, entry.data() + written, entry.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(file);
}
