// The WinInet request functions directly: handle states, buffer sizes, the
// read chunks, cancellation from another thread and the connected-state
// query.
#include <cstring>
#include <memory>
#include <thread>

#include <gtest/gtest.h>
#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include "sim/SimInternet.h"
#include "testkit/SimMachineBuilder.h"
#include "update/LoopbackServer.h"
#include "update/UpdateTestKit.h"
#include "curl/WinInetErrors.h"
#include "wininet.h"

namespace {

using updatetest::LoopbackServer;

class WinInetTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    updatetest::clearNetworkEnvironment();
    server_ = std::make_unique<LoopbackServer>();
  }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    root_ = InternetOpenA("Tovelko", INTERNET_OPEN_TYPE_PRECONFIG, "", "", 0);
    ASSERT_NE(root_, nullptr);
    connection_ = InternetConnectA(root_, "127.0.0.1", static_cast<INTERNET_PORT>(server_->port()), nullptr, nullptr,
                                   INTERNET_SERVICE_HTTP, 0, 0);
    ASSERT_NE(connection_, nullptr);
  }
  void TearDown() override {
    InternetCloseHandle(connection_);
    InternetCloseHandle(root_);
  }

  HINTERNET open(const char* target, DWORD flags = 0) {
    return HttpOpenRequestA(connection_, "GET", target, "HTTP/1.0", "", nullptr, flags, 0);
  }
  static std::string urlOf(HINTERNET request) {
    char buffer[1024];
    DWORD length = sizeof buffer;
    return InternetQueryOptionA(request, INTERNET_OPTION_URL, buffer, &length) ? std::string(buffer, length) : "?";
  }

  static std::unique_ptr<LoopbackServer> server_;
  HINTERNET root_ = nullptr;
  HINTERNET connection_ = nullptr;
};

std::unique_ptr<LoopbackServer> WinInetTest::server_;

TEST_F(WinInetTest, ReadFillsEachBufferUntilTheBodyEnds) {
  HINTERNET request = open("/size?n=3000");
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  std::vector<DWORD> counts;
  char buffer[1024];
  DWORD count = 0;
  do {
    ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &count));
    counts.push_back(count);
  } while (count != 0);
  EXPECT_EQ(counts, (std::vector<DWORD>{1024, 1024, 952, 0}));
  EXPECT_TRUE(InternetCloseHandle(request));
}

TEST_F(WinInetTest, TransferBrokenMidwayHandsOutWhatArrivedThenFails) {
  HINTERNET request = open("/drop");
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  char buffer[1024];
  DWORD count = 0;
  ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 1024u);
  ASSERT_TRUE(InternetReadFile(request, buffer, sizeof buffer, &count));
  EXPECT_EQ(count, 976u);
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &count));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CONNECTION_ABORTED);
  EXPECT_EQ(count, 0u);
  InternetCloseHandle(request);
}

TEST_F(WinInetTest, ARedirectLoopFailsTheSend) {
  HINTERNET request = open("/loop");
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_HTTP_REDIRECT_FAILED);
  InternetCloseHandle(request);
}

// What the loopback servers cannot bring about (the tests above and the HTTP
// client's show the rest): libcurl's results as WinInet would report them.
TEST(WinInetErrors, LibcurlResultsReadAsWinInetErrors) {
  struct Case {
    CURLcode result;
    long certificateCheck;
    DWORD error;
  };
  for (const Case& c : {Case{CURLE_OK, X509_V_OK, ERROR_SUCCESS},
                        Case{CURLE_OPERATION_TIMEDOUT, X509_V_OK, ERROR_INTERNET_TIMEOUT},
                        Case{CURLE_COULDNT_RESOLVE_HOST, X509_V_OK, ERROR_INTERNET_NAME_NOT_RESOLVED},
                        Case{CURLE_COULDNT_RESOLVE_PROXY, X509_V_OK, ERROR_INTERNET_NAME_NOT_RESOLVED},
                        Case{CURLE_RECV_ERROR, X509_V_OK, ERROR_INTERNET_CONNECTION_RESET},
                        Case{CURLE_SSL_CACERT_BADFILE, X509_V_OK, ERROR_INTERNET_INVALID_CA},
                        Case{CURLE_PEER_FAILED_VERIFICATION, X509_V_ERR_CERT_NOT_YET_VALID,
                             ERROR_INTERNET_SEC_CERT_DATE_INVALID},
                        Case{CURLE_PEER_FAILED_VERIFICATION, X509_V_ERR_CERT_REVOKED, ERROR_INTERNET_SEC_CERT_REVOKED},
                        Case{CURLE_PEER_FAILED_VERIFICATION, X509_V_ERR_CERT_SIGNATURE_FAILURE,
                             ERROR_INTERNET_SEC_CERT_ERRORS},
                        Case{CURLE_SSL_CONNECT_ERROR, X509_V_OK, ERROR_INTERNET_SECURITY_CHANNEL_ERROR},
                        Case{CURLE_FILESIZE_EXCEEDED, X509_V_OK, ERROR_INTERNET_INTERNAL_ERROR}}) {
    SCOPED_TRACE(testing::Message() << "CURLcode " << c.result);
    EXPECT_EQ(plat::winInetErrorFromCurl(c.result, c.certificateCheck), c.error);
  }
}

TEST_F(WinInetTest, UrlOptionNamesTheRequestThenTheUrlReached) {
  const std::string base = server_->url("");
  const std::string target = server_->replyUrl("x");
  const std::string path = "/redirect?to=" + updatetest::percentEncode(target);
  HINTERNET request = open(path.substr(1).c_str());  // the missing "/" is added
  EXPECT_EQ(urlOf(request), base + path);

  char small[8];
  DWORD length = sizeof small;
  EXPECT_FALSE(InternetQueryOptionA(request, INTERNET_OPTION_URL, small, &length));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, base.size() + path.size() + 1);

  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(urlOf(request), target);
  InternetCloseHandle(request);
}

TEST_F(WinInetTest, HandlesAreCheckedAndNeverReused) {
  HINTERNET request = open("/reply?body=x");
  char buffer[16];
  DWORD count = 0;
  EXPECT_FALSE(InternetReadFile(request, buffer, sizeof buffer, &count));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  EXPECT_FALSE(HttpOpenRequestA(root_, "GET", "/", nullptr, nullptr, nullptr, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  EXPECT_TRUE(InternetCloseHandle(request));
  EXPECT_FALSE(InternetCloseHandle(request));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  HINTERNET next = open("/reply?body=x");
  EXPECT_NE(next, request);
  EXPECT_FALSE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  InternetCloseHandle(next);
}

TEST_F(WinInetTest, RefusesWhatItDoesNotSupport) {
  const DWORD relaxing[] = {INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_CN_INVALID,
                            INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID};
  for (DWORD flags : relaxing) {
    EXPECT_EQ(open("/", flags), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  }
  EXPECT_EQ(HttpOpenRequestA(connection_, "POST", "/", nullptr, nullptr, nullptr, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(InternetOpenA("Tovelko", 1 /* INTERNET_OPEN_TYPE_DIRECT */, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(InternetConnectA(root_, "127.0.0.1", 21, nullptr, nullptr, 1 /* FTP */, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

// Closing a handle from another thread ends a call that waits on it or on a
// child.
TEST_F(WinInetTest, ClosingAParentCancelsAWaitingSend) {
  HINTERNET request = open("/hang");
  BOOL sent = TRUE;
  DWORD error = 0;
  std::thread sender([&] {
    sent = HttpSendRequestA(request, nullptr, 0, nullptr, 0);
    error = GetLastError();
  });
  server_->waitForLine("hang");
  EXPECT_TRUE(InternetCloseHandle(root_));
  sender.join();
  EXPECT_FALSE(sent);
  EXPECT_EQ(error, ERROR_INTERNET_OPERATION_CANCELLED);
  EXPECT_FALSE(InternetConnectA(root_, "127.0.0.1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  InternetCloseHandle(request);
  root_ = nullptr;
}

TEST(WinInetConnectedState, AnswersTheMachinesState) {
  auto machine = testkit::SimMachineBuilder().scenario(testkit::shippedScenario("laptop")).build();
  testkit::ScopedMachine scoped(machine);
  DWORD state = 0;
  DWORD length = sizeof state;
  ASSERT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &length));
  EXPECT_EQ(state, INTERNET_STATE_CONNECTED);
  EXPECT_EQ(length, 4u);

  machine->simInternet().setOffline(true);
  ASSERT_TRUE(InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &length));
  EXPECT_EQ(state, INTERNET_STATE_DISCONNECTED | INTERNET_STATE_DISCONNECTED_BY_USER);

  length = 2;
  EXPECT_FALSE(InternetQueryOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, &length));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(length, 4u);
  EXPECT_FALSE(InternetQueryOptionA(nullptr, INTERNET_OPTION_URL, &state, &length));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

}  // namespace
