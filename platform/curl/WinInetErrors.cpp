#include "curl/WinInetErrors.h"

#include <openssl/x509_vfy.h>

#include "wininet.h"

namespace plat {
namespace {

// The verdict libcurl keeps for a certificate it has not judged yet. It is
// still there when libcurl's own host name check refused the certificate,
// which runs before the chain's verdict is recorded.
constexpr long notYetJudged = !X509_V_OK;

// A server certificate that the check refused, by the reason the TLS library
// gave.
DWORD refusedCertificate(long certificateCheck) {
  switch (certificateCheck) {
    case notYetJudged:
    case X509_V_OK:  // the chain was good, so its name was not
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return ERROR_INTERNET_SEC_CERT_CN_INVALID;
    case X509_V_ERR_CERT_NOT_YET_VALID:
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_ERROR_IN_CERT_NOT_BEFORE_FIELD:
    case X509_V_ERR_ERROR_IN_CERT_NOT_AFTER_FIELD:
      return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_INVALID_CA:
      return ERROR_INTERNET_INVALID_CA;
    case X509_V_ERR_CERT_REVOKED:
      return ERROR_INTERNET_SEC_CERT_REVOKED;
    default:
      return ERROR_INTERNET_SEC_CERT_ERRORS;
  }
}

}  // namespace

DWORD winInetErrorFromCurl(CURLcode result, long certificateCheck) {
  switch (result) {
    case CURLE_OK:
      return ERROR_SUCCESS;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_URL_MALFORMAT:
      return ERROR_INTERNET_INVALID_URL;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
      return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    case CURLE_ABORTED_BY_CALLBACK:
      return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_ERROR:
      return ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_RECV_ERROR:
      return ERROR_INTERNET_CONNECTION_RESET;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
    case CURLE_GOT_NOTHING:
    case CURLE_BAD_CONTENT_ENCODING:
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    case CURLE_TOO_MANY_REDIRECTS:
      return ERROR_HTTP_REDIRECT_FAILED;
    case CURLE_OUT_OF_MEMORY:
      return ERROR_NOT_ENOUGH_MEMORY;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
      return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
    case CURLE_PEER_FAILED_VERIFICATION:
      return refusedCertificate(certificateCheck);
    case CURLE_SSL_CACERT_BADFILE:  // no authorities to check the chain against
    case CURLE_SSL_ISSUER_ERROR:
      return ERROR_INTERNET_INVALID_CA;
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return ERROR_INTERNET_SEC_CERT_REV_FAILED;
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return ERROR_INTERNET_SEC_CERT_ERRORS;
    default:
      return ERROR_INTERNET_INTERNAL_ERROR;
  }
}

}  // namespace plat
