#include "update/CheckUpdateThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "update/http.h"
#include "util/InternetProbe.h"
#include "util/SystemUtils.h"

namespace {

// THREAD_PRIORITY_BELOW_NORMAL as a nice step.
constexpr int BelowNormalNiceStep = 5;

void LowerThreadPriority() {
  const pid_t thread = gettid();
  errno = 0;
  const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(thread));
  if (errno == 0) setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice + BelowNormalNiceStep);
}

bool HasSingleDocumentElement(const pugi::xml_document& document) {
  int elements = 0;
  for (const pugi::xml_node node : document.children()) elements += node.type() == pugi::node_element ? 1 : 0;
  return elements == 1;
}

}  // namespace

void HttpGet(const std::string& Url, std::string& EffectiveUrl, std::string& Body, const std::string& LogFile,
             std::stop_token Stop) {
  THTTP http(LogFile);
  if (!http.IsOpen()) http.Open();
  std::stop_callback abort(Stop, [&http] { http.Close(); });
  http.Get(Url, EffectiveUrl, Body);
  http.Close();
}

int LoadXml(pugi::xml_document& Document, const std::string& Text) {
  if (Text.empty()) return -1;
  Document.reset();
  // Comments and processing instructions are child nodes too, so each is an
  // entry of the update file.
  constexpr unsigned parseOptions = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;
  if (!Document.load_buffer(Text.data(), Text.size(), parseOptions) || !HasSingleDocumentElement(Document)) return -1;
  return Text.find("</error>") != std::string::npos ? -1 : 0;
}

bool FileHasVersion(const std::string& FileName, const std::string& Version) {
  std::error_code error;
  const auto path = std::filesystem::absolute(FileName, error);
  if (error || !std::filesystem::is_regular_file(path, error)) return false;
  return GetFileVersionString(path.string()) == Version;
}

bool IsUpdateAvailable(const TUpdateSource& Source, std::stop_token Stop) {
  if (!IsInternetConnected()) return false;
  std::string effectiveUrl, body;
  HttpGet(Source.Url, effectiveUrl, body, Source.LogFile, Stop);
  if (body.empty()) return false;
  pugi::xml_document document;
  if (LoadXml(document, body) == -1) return false;
  for (const pugi::xml_node entry : document.document_element().children()) {
    if (Stop.stop_requested()) return false;
    const std::string local = Source.Folder + entry.attribute("local").value();
    if (!FileHasVersion(local, entry.attribute("version").value())) return true;
  }
  return false;
}

TCheckUpdateThread::TCheckUpdateThread(TUpdateSource Source) : FSource(std::move(Source)) {}

TCheckUpdateThread::~TCheckUpdateThread() {
  FThread.request_stop();
  std::lock_guard lock(FMutex);
  FAbandoned = true;
}

void TCheckUpdateThread::Start() {
  if (FStarted.exchange(true)) return;
  std::lock_guard lock(FMutex);
  try {
    FThread = std::jthread([this](std::stop_token Stop) { Execute(std::move(Stop)); });
  } catch (const std::system_error&) {
    // No thread: the check never runs, as if the Internet never came.
  }
}

bool TCheckUpdateThread::Started() const { return FStarted; }

bool TCheckUpdateThread::UpdateAvailable() const { return FUpdateAvailable; }

void TCheckUpdateThread::Execute(std::stop_token Stop) {
  LowerThreadPriority();
  bool verdict = false;
  try {
    verdict = IsUpdateAvailable(FSource, Stop);
  } catch (...) {
    // Any error ends the check quietly with no update.
  }
  FUpdateAvailable = verdict;
  std::lock_guard lock(FMutex);
  if (FAbandoned || !OnTerminate) return;
  try {
    OnTerminate(*this);
  } catch (...) {
    // A background thread drops every error.
  }
}
