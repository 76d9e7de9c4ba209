#include "http/HttpLibrary.h"

#include <dlfcn.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace plat {
namespace {

constexpr const char* LibraryName = "libbrisklane_curl.so";

std::atomic<const HttpFunctions*> loaded{nullptr};

struct LoadResult {
  const HttpFunctions* functions = nullptr;
  DWORD error = ERROR_SUCCESS;
};

// The folder of the platform library, where the build and the installation
// put the HTTP library beside it.
std::string platformFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&httpLibrary), &info) == 0 || info.dli_fname == nullptr) return {};
  const std::string path = info.dli_fname;
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

LoadResult load() {
  const std::string path = platformFolder() + LibraryName;
  // Never closed: its handles and threads live until the process ends.
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "brisklane: HTTP requests are unavailable: %s\n", dlerror());
    return {nullptr, ERROR_MOD_NOT_FOUND};
  }
  using Entry = const HttpFunctions* (*)();
  const auto entry = reinterpret_cast<Entry>(dlsym(library, "brisklane_curl_functions"));
  const HttpFunctions* functions = entry != nullptr ? entry() : nullptr;
  if (functions == nullptr || functions->size != sizeof(HttpFunctions)) {
    std::fprintf(stderr, "brisklane: HTTP requests are unavailable: %s is of another build\n", path.c_str());
    return {nullptr, ERROR_PROC_NOT_FOUND};
  }
  loaded.store(functions, std::memory_order_release);
  return {functions, ERROR_SUCCESS};
}

}  // namespace

const HttpFunctions* httpLibrary() {
  static const LoadResult result = load();
  if (result.functions == nullptr) SetLastError(result.error);
  return result.functions;
}

const HttpFunctions* loadedHttpLibrary() { return loaded.load(std::memory_order_acquire); }

}  // namespace plat
