// libcurl, set up once for the whole library.
#pragma once

namespace plat::curl {

// Sets libcurl up at the first call; false, with the WinInet error of its
// failure as the last error, when it cannot be.
bool curlReady();

}  // namespace plat::curl
