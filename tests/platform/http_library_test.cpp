// The platform's HTTP library: it and libcurl come into the process with the
// first root handle, not before; its connection probe.
#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "http/HttpLibrary.h"
#include "wininet.h"

namespace {

bool isLoaded(const char* soname) {
  void* library = dlopen(soname, RTLD_NOW | RTLD_NOLOAD);
  if (library != nullptr) dlclose(library);  // drops the reference the query took
  return library != nullptr;
}

TEST(HttpLibraryDeathTest, ComesWithTheFirstRootHandleOnly) {
  // A fresh process, so that no other test has loaded the library before.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        bool ok = !isLoaded("libcurl.so.4") && !isLoaded("libbrisklane_curl.so") &&
                  plat::loadedHttpLibrary() == nullptr;
        // A call on a handle has nothing to load: no handle can exist yet.
        ok = ok && !InternetCloseHandle(reinterpret_cast<HINTERNET>(0x1004)) &&
             GetLastError() == ERROR_INVALID_HANDLE && !isLoaded("libcurl.so.4");
        HINTERNET root = InternetOpenA("Tovelko", INTERNET_OPEN_TYPE_PRECONFIG, "", "", 0);
        ok = ok && root != nullptr && isLoaded("libcurl.so.4") && plat::loadedHttpLibrary() != nullptr &&
             InternetCloseHandle(root);
        std::_Exit(ok ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

TEST(HttpLibrary, ProbeConnectsOnlyWhereAServerListens) {
  const plat::HttpFunctions* http = plat::httpLibrary();
  ASSERT_NE(http, nullptr);
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";

  EXPECT_TRUE(http->canConnect(url.c_str(), 3000));
  close(listener);
  EXPECT_FALSE(http->canConnect(url.c_str(), 3000));
  EXPECT_FALSE(http->canConnect("no scheme", 3000));
}

}  // namespace
