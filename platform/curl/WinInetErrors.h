// The WinInet error code for the outcome of a libcurl transfer, so that
// callers (and the error log they write) see the numbers WinInet gives.
#pragma once

#include <curl/curl.h>

#include "windows.h"

namespace plat {

// `certificateCheck` is the TLS library's verdict on the server's
// certificate chain (CURLINFO_SSL_VERIFYRESULT, an X509_V_* number; 0 when
// the chain was accepted). It tells apart the certificate failures that
// libcurl reports under one code. CURLE_OK gives ERROR_SUCCESS; a result
// without a WinInet counterpart gives ERROR_INTERNET_INTERNAL_ERROR.
DWORD winInetErrorFromCurl(CURLcode result, long certificateCheck = 0);

}  // namespace plat
