// The once-per-run update check: fetches the vendor's update file, reads it
// as XML and compares the version of every file it lists with the file of
// that name in the program's folder. The verdict is true as soon as one
// listed file is missing or carries another version text.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

#include <pugixml.hpp>

#include "brisklane_files.h"

// The update file on the vendor's web site.
inline constexpr const char* UpdateFileUrl = "http://brisklane.example/update/update.xml";

// What a check works with: the update file's URL, the program's folder (with
// its trailing separator) whose files are compared, and the error log where
// failed requests are logged. The defaults serve the program.
struct TUpdateSource {
  std::string Url = UpdateFileUrl;
  std::string Folder = BrisklaneFileLocations().ProgramFolder;
  std::string LogFile = BrisklaneFileLocations().ErrorLog;
};

// Fetches Url with a client of its own, logging failures in LogFile. Body is
// empty on any failure. A stop request aborts the request in progress.
void HttpGet(const std::string& Url, std::string& EffectiveUrl, std::string& Body,
             const std::string& LogFile = BrisklaneFileLocations().ErrorLog, std::stop_token Stop = {});

// Loads Text into Document. 0: loaded and not an error reply; -1: Text is
// empty, is not well-formed XML (one document element), or contains
// "</error>".
int LoadXml(pugi::xml_document& Document, const std::string& Text);

// Whether FileName (relative names resolve against the current folder) is an
// existing file whose version text equals Version exactly. A file without
// version information has the empty version.
bool FileHasVersion(const std::string& FileName, const std::string& Version);

// The whole check. False without a request when the Internet is not
// connected; false when the update file cannot be fetched or read, or when a
// stop was requested.
bool IsUpdateAvailable(const TUpdateSource& Source = {}, std::stop_token Stop = {});

// The update check on a thread of its own, run at most once.
//
// Created suspended; Start runs it one step below normal priority (a nice
// value 5 above the thread that started it). Destroying the object abandons a
// run still going: the completion handler is not called after that, the
// request in progress is aborted, and the destructor waits for the thread to
// end (an aborted request ends within a fraction of a second, a reachability
// probe within its few seconds).
class TCheckUpdateThread {
 public:
  using TNotifyEvent = std::function<void(TCheckUpdateThread& Sender)>;

  explicit TCheckUpdateThread(TUpdateSource Source = {});
  ~TCheckUpdateThread();
  TCheckUpdateThread(const TCheckUpdateThread&) = delete;
  TCheckUpdateThread& operator=(const TCheckUpdateThread&) = delete;

  // Completion handler, set before Start. Runs on the check's thread once
  // UpdateAvailable holds the verdict, also when the check failed. It must
  // neither destroy this object nor wait for the thread that does (queue the
  // work instead): the destructor waits for a handler that is running.
  TNotifyEvent OnTerminate;

  // Starts the check; later calls do nothing. Any thread.
  void Start();
  bool Started() const;

  // The verdict; false until the check has found an update.
  bool UpdateAvailable() const;

 private:
  void Execute(std::stop_token Stop);

  const TUpdateSource FSource;
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FUpdateAvailable{false};
  std::mutex FMutex;
  bool FAbandoned = false;  // under FMutex: the handler is not to run any more
  // Last: destroyed first, it asks the run to stop and waits for it.
  std::jthread FThread;
};
