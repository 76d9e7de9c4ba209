// The update check: its verdicts against update files served on loopback, its
// helpers, and its thread (start, completion handler, priority, abandoning).
#include "update/CheckUpdateThread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>

#include <gtest/gtest.h>

#include "sim/SimInternet.h"
#include "testkit/SimMachineBuilder.h"
#include "testkit/TempDir.h"
#include "update/LoopbackServer.h"
#include "update/UpdateTestKit.h"

namespace {

using updatetest::LoopbackServer;
using updatetest::RefusingPort;
using updatetest::writeFile;
using updatetest::writeVersionedFile;

// A machine that reaches the Internet: the shipped laptop.
std::shared_ptr<plat::sim::SimMachine> connectedMachine() {
  return testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop")).build();
}

class UpdateCheckTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    updatetest::clearNetworkEnvironment();
    server_ = std::make_unique<LoopbackServer>();
  }
  static void TearDownTestSuite() { server_.reset(); }

  // The program's folder holds a.dll 1.2.3.4, sub/b.dll 2.0.0.1 and
  // plain.txt without version information.
  void SetUp() override {
    writeVersionedFile(folder_ / "a.dll", {1, 2, 3, 4});
    writeVersionedFile(folder_ / "sub" / "b.dll", {2, 0, 0, 1});
    writeFile(folder_ / "plain.txt", "no version here");
  }

  // The program's folder is the test's folder, and the error log lies in it.
  TUpdateSource source(const std::string& updateFile) const { return at(server_->replyUrl(updateFile)); }
  TUpdateSource at(const std::string& url) const {
    return {url, folder_.path().string() + "/", (folder_ / "ErrorLog.txt").string()};
  }
  bool logged() const { return std::filesystem::exists(folder_ / "ErrorLog.txt"); }

  static std::unique_ptr<LoopbackServer> server_;
  std::shared_ptr<plat::sim::SimMachine> machine_ = connectedMachine();
  testkit::ScopedMachine scoped_{machine_};
  testkit::TempDir folder_;
};

std::unique_ptr<LoopbackServer> UpdateCheckTest::server_;

struct VerdictCase {
  const char* name;
  const char* updateFile;
  bool available;
};

class UpdateVerdictTest : public UpdateCheckTest, public testing::WithParamInterface<VerdictCase> {};

TEST_P(UpdateVerdictTest, ComparesTheListedFiles) {
  EXPECT_EQ(IsUpdateAvailable(source(GetParam().updateFile)), GetParam().available);
  EXPECT_FALSE(logged());
}

INSTANTIATE_TEST_SUITE_P(
    UpdateFiles, UpdateVerdictTest,
    testing::Values(
        VerdictCase{"NoEntries", "<update/>", false},
        VerdictCase{"AllMatching",
                    "<?xml version=\"1.0\"?>\n<update>\n  <file local=\"a.dll\" version=\"1.2.3.4\"/>\n"
                    "  <file local=\"sub/b.dll\" version=\"2.0.0.1\" size=\"12\">ignored</file>\n</update>",
                    false},
        VerdictCase{"OtherVersionText", "<u><f local=\"a.dll\" version=\"1.2.3.4\"/><f local=\"sub/b.dll\" "
                                        "version=\"2.0.0.1.0\"/></u>",
                    true},
        VerdictCase{"LowerVersionCountsToo", "<u><f local=\"a.dll\" version=\"1.2.3.3\"/></u>", true},
        VerdictCase{"MissingFile", "<u><f local=\"a.dll\" version=\"1.2.3.4\"/><f local=\"gone.dll\" "
                                   "version=\"1.0.0.0\"/></u>",
                    true},
        VerdictCase{"NoVersionForAVersionedFile", "<u><f local=\"a.dll\"/></u>", true},
        VerdictCase{"NoVersionForAFileWithout", "<u><f local=\"plain.txt\"/></u>", false},
        VerdictCase{"NoLocalNamesTheFolder", "<u><f version=\"\"/></u>", true},
        // Every child node is an entry: a comment or a processing instruction
        // names the folder, as an entry without attributes does.
        VerdictCase{"CommentIsAnEntry", "<u><f local=\"a.dll\" version=\"1.2.3.4\"/><!-- a.dll --></u>", true},
        VerdictCase{"ProcessingInstructionIsAnEntry", "<u><?check a.dll?><f local=\"a.dll\" version=\"1.2.3.4\"/></u>",
                    true},
        VerdictCase{"OutsideTheDocumentElementNoEntries",
                    "<?xml version=\"1.0\"?><?style x?><!-- list --><u><f local=\"a.dll\" version=\"1.2.3.4\"/></u>"
                    "<!-- end -->",
                    false},
        VerdictCase{"HtmlPageIsNoXml", "<html><body><p>Not Found<br></p></body></html>", false},
        VerdictCase{"TwoDocumentElements", "<u/><f local=\"gone.dll\"/>", false},
        VerdictCase{"ErrorReply", "<reply><f local=\"gone.dll\"/><error>unknown product</error></reply>", false},
        VerdictCase{"EmptyReply", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(UpdateCheckTest, FailedDownloadIsLoggedAndFindsNothing) {
  RefusingPort refusing;
  EXPECT_FALSE(IsUpdateAvailable(at(refusing.url("/update/update.xml"))));
  EXPECT_TRUE(logged());
}

TEST_F(UpdateCheckTest, WithoutInternetNothingIsFetched) {
  RefusingPort refusing;  // a request would fail and be logged
  const TUpdateSource nowhere = at(refusing.url("/update/update.xml"));
  machine_->simInternet().setOffline(true);
  EXPECT_FALSE(IsUpdateAvailable(nowhere));
  testkit::ScopedMachine unplugged(testkit::SimMachineBuilder().build());
  EXPECT_FALSE(IsUpdateAvailable(nowhere));
  EXPECT_FALSE(logged());
}

TEST_F(UpdateCheckTest, StopRequestedBeforehandFetchesNothing) {
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(IsUpdateAvailable(source("<u><f local=\"gone.dll\"/></u>"), stop.get_token()));
}

TEST(UpdateFileUrl, IsPlainHttpOnTheVendorsSite) {
  EXPECT_STREQ(UpdateFileUrl, "http://brisklane.example/update/update.xml");
  EXPECT_EQ(TUpdateSource{}.Url, UpdateFileUrl);
}

// ---- helpers ----

TEST(LoadXml, ReportsEmptyMalformedAndErrorReplies) {
  pugi::xml_document document;
  EXPECT_EQ(LoadXml(document, ""), -1);
  EXPECT_EQ(LoadXml(document, "<a><b/>"), -1);
  EXPECT_EQ(LoadXml(document, "<a></error></a>"), -1);
  EXPECT_EQ(LoadXml(document, "<a>x</a><!-- </error> -->"), -1);
  EXPECT_EQ(LoadXml(document, "<a><b/><c/></a>"), 0);
  EXPECT_STREQ(document.document_element().name(), "a");
  EXPECT_EQ(LoadXml(document, "<z/>"), 0);
  EXPECT_STREQ(document.document_element().name(), "z");
  EXPECT_TRUE(document.document_element().next_sibling().empty());
}

TEST(FileHasVersion, ComparesTheVersionTextOfAnExistingFile) {
  testkit::TempDir folder;
  writeVersionedFile(folder / "v.dll", {2, 3, 0, 0});
  writeFile(folder / "plain.txt", "text");
  std::filesystem::create_directory(folder / "dir");
  const std::string v = (folder / "v.dll").string();
  EXPECT_TRUE(FileHasVersion(v, "2.3.0.0"));
  EXPECT_FALSE(FileHasVersion(v, "2.3.0"));
  EXPECT_FALSE(FileHasVersion(v, "2.3.0.0 "));
  EXPECT_FALSE(FileHasVersion(v, ""));
  EXPECT_TRUE(FileHasVersion((folder / "plain.txt").string(), ""));
  EXPECT_FALSE(FileHasVersion((folder / "plain.txt").string(), "0.0.0.0"));
  EXPECT_FALSE(FileHasVersion((folder / "missing.dll").string(), ""));
  EXPECT_FALSE(FileHasVersion((folder / "dir").string(), ""));

  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  EXPECT_TRUE(FileHasVersion("v.dll", "2.3.0.0"));
  EXPECT_TRUE(FileHasVersion("./dir/../v.dll", "2.3.0.0"));
  std::filesystem::current_path(previous);
}

// ---- the thread ----

// What the completion handler saw, on the check's thread.
struct Completion {
  std::mutex mutex;
  std::condition_variable done;
  int calls = 0;
  bool updateAvailable = false;
  int nice = 0;

  TCheckUpdateThread::TNotifyEvent handler() {
    return [this](TCheckUpdateThread& sender) {
      const int threadNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
      std::lock_guard lock(mutex);
      ++calls;
      updateAvailable = sender.UpdateAvailable();
      nice = threadNice;
      done.notify_all();
    };
  }
  void wait() {
    std::unique_lock lock(mutex);
    done.wait(lock, [this] { return calls > 0; });
  }
};

TEST_F(UpdateCheckTest, ThreadStartsSuspendedAndRunsOnceBelowNormalPriority) {
  Completion completion;
  const int ownNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  {
    TCheckUpdateThread check(source("<u><f local=\"gone.dll\" version=\"1.0.0.0\"/></u>"));
    check.OnTerminate = completion.handler();
    EXPECT_FALSE(check.Started());
    EXPECT_FALSE(check.UpdateAvailable());
    check.Start();
    check.Start();
    EXPECT_TRUE(check.Started());
    completion.wait();
    EXPECT_TRUE(check.UpdateAvailable());
  }
  std::lock_guard lock(completion.mutex);
  EXPECT_EQ(completion.calls, 1);
  EXPECT_TRUE(completion.updateAvailable);
  EXPECT_EQ(completion.nice, std::min(ownNice + 5, 19));
}

TEST_F(UpdateCheckTest, ThreadReportsNoUpdateAfterAFailure) {
  Completion completion;
  RefusingPort refusing;
  TCheckUpdateThread check(at(refusing.url("/update/update.xml")));
  check.OnTerminate = completion.handler();
  check.Start();
  completion.wait();
  EXPECT_FALSE(check.UpdateAvailable());
  EXPECT_TRUE(logged());
}

TEST_F(UpdateCheckTest, ThreadNeverStartedFetchesNothing) {
  RefusingPort refusing;
  Completion completion;
  {
    TCheckUpdateThread check(at(refusing.url("/update/update.xml")));
    check.OnTerminate = completion.handler();
  }
  EXPECT_FALSE(logged());
  EXPECT_EQ(completion.calls, 0);
}

// The handle goes while the request hangs: the request is aborted, the
// handler never runs, and the run has let go of the machine by the time the
// handle is gone.
TEST_F(UpdateCheckTest, DestroyingTheHandleAbandonsARunningCheck) {
  std::weak_ptr<plat::sim::SimMachine> machine;
  Completion completion;
  {
    auto own = connectedMachine();
    machine = own;
    testkit::ScopedMachine installed(std::move(own));
    auto check = std::make_unique<TCheckUpdateThread>(at(server_->url("/hang")));
    check->OnTerminate = completion.handler();
    check->Start();
    server_->waitForLine("hang");
    check.reset();
  }
  EXPECT_TRUE(machine.expired());
  std::lock_guard lock(completion.mutex);
  EXPECT_EQ(completion.calls, 0);
}

}  // namespace
