// A small synchronous HTTP client: one GET per request through WinInet, the
// body handed back as text, and every failed connect, request-open or send
// step appended to the program's error log, ErrorLog.txt.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "brisklane_files.h"
#include "wininet.h"

class THTTP {
 public:
  // `LogFile` is the error log: where the platform keeps the program's,
  // unless a test names another.
  explicit THTTP(std::string LogFile = BrisklaneFileLocations().ErrorLog);
  // Closes the root handle when the owner has not.
  ~THTTP();
  THTTP(const THTTP&) = delete;
  THTTP& operator=(const THTTP&) = delete;

  // Opens the root handle (user agent "Tovelko", the system's proxy
  // settings). A failure leaves the client closed and logs nothing.
  void Open();
  // May come from another thread: a request in progress then fails promptly
  // (its step is logged like any failure).
  void Close();
  bool IsOpen() const;

  // Splits "scheme://host[:port][/path]". False, with the out values left as
  // they were, when Url has no "://". Port is 0 when the URL names none; a
  // larger number leaves its low 16 bits; Path has no leading "/" and keeps
  // any query. Raises EConvertError when the port is not a decimal integer.
  static bool SplitUrl(const std::string& Url, std::string& Scheme, std::string& Host, std::uint16_t& Port,
                       std::string& Path);

  // Fetches Url with one GET. Body is cleared first and receives the body
  // text (cut at each zero byte within its 1024-byte chunk) when the send
  // step succeeded, whatever the status. EffectiveUrl and LastUrl receive
  // the URL reached after redirects whenever the send step ran. A failed
  // connect, request-open or send step is logged. Raises EConvertError for a
  // port that is not a number, before any traffic.
  void Get(const std::string& Url, std::string& EffectiveUrl, std::string& Body);

  // Appends an entry (empty line, "yyyy-mm-dd hh:mm:ss" stamp, Message) to
  // ErrorLog.txt. Never fails towards the caller: a log that cannot be written
  // (for example a read-only file) gets nothing.
  void LogError(const std::string& Message) const;

  // The URL the most recent request reported after its send step.
  std::string LastUrl;

  // A body larger than this counts as a failed read: what was read up to the
  // limit is kept.
  static constexpr std::size_t MaxBodySize = 16u << 20;

 private:
  std::atomic<HINTERNET> InternetHandle{nullptr};
  const std::string FLogFile;
};

