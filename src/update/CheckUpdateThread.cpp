#include "update/CheckUpdateThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "machine/Machine.h"
#include "update/http.h"
#include "util/InternetProbe.h"
#include "util/SystemUtils.h"

namespace {

// THREAD_PRIORITY_BELOW_NORMAL as a nice step.
constexpr int BelowNormalNiceStep = 5;
// How long abandoning a run waits for it to let go.
constexpr std::chrono::seconds AbandonWait{5};

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

void HttpGet(const std::string& Url, std::string& EffectiveUrl, std::string& Body, const std::string& LogFolder,
             std::stop_token Stop) {
  THTTP http(LogFolder);
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
  HttpGet(Source.Url, effectiveUrl, body, Source.Folder, Stop);
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

struct TCheckUpdateThread::TRun {
  explicit TRun(TUpdateSource source) : Source(std::move(source)) {}

  const TUpdateSource Source;
  std::stop_source Stop;
  std::atomic<bool> Started{false};
  std::atomic<bool> UpdateAvailable{false};

  std::mutex Mutex;
  std::condition_variable Ended;
  // Under Mutex.
  std::shared_ptr<plat::Machine> Machine;
  TCheckUpdateThread* Owner = nullptr;  // null once the handle is gone
  TNotifyEvent OnTerminate;
  bool Finished = false;
};

TCheckUpdateThread::TCheckUpdateThread(TUpdateSource Source) : FRun(std::make_shared<TRun>(std::move(Source))) {}

TCheckUpdateThread::~TCheckUpdateThread() {
  if (!FRun->Started) return;
  FRun->Stop.request_stop();
  std::unique_lock lock(FRun->Mutex);
  FRun->Owner = nullptr;
  FRun->OnTerminate = nullptr;
  FRun->Ended.wait_for(lock, AbandonWait, [this] { return FRun->Finished; });
}

void TCheckUpdateThread::Start() {
  if (FRun->Started.exchange(true)) return;
  std::lock_guard lock(FRun->Mutex);
  FRun->Machine = plat::currentMachine();
  FRun->Owner = this;
  FRun->OnTerminate = OnTerminate;
  try {
    std::thread(&TCheckUpdateThread::Execute, FRun).detach();
  } catch (const std::system_error&) {
    FRun->Machine.reset();
    FRun->Finished = true;
  }
}

bool TCheckUpdateThread::Started() const { return FRun->Started; }

bool TCheckUpdateThread::UpdateAvailable() const { return FRun->UpdateAvailable; }

void TCheckUpdateThread::Execute(std::shared_ptr<TRun> Run) {
  LowerThreadPriority();
  bool verdict = false;
  try {
    verdict = IsUpdateAvailable(Run->Source, Run->Stop.get_token());
  } catch (...) {
    // Any error ends the check quietly with no update.
  }
  Run->UpdateAvailable = verdict;
  std::lock_guard lock(Run->Mutex);
  if (Run->Owner != nullptr && Run->OnTerminate) {
    try {
      Run->OnTerminate(*Run->Owner);
    } catch (...) {
      // A background thread drops every error.
    }
  }
  Run->OnTerminate = nullptr;
  Run->Machine.reset();
  Run->Finished = true;
  Run->Ended.notify_all();
}
