// The Windows codes of the machine's neutral answers: what the Windows-shaped
// functions hand the program for each result and record value a machine
// gives (machine/*Backend.h).
#pragma once

#include "iphlpapi.h"
#include "machine/InternetBackend.h"
#include "machine/NetworkBackend.h"
#include "machine/RegistryBackend.h"
#include "machine/ServiceBackend.h"
#include "netcon.h"
#include "wininet.h"
#include "winreg.h"
#include "winsvc.h"

namespace plat {

// The error code of a change the machine could not keep (machine/MachineResult.h):
// errorFromErrno's answer for an errno, ERROR_WRITE_FAULT for content that
// cannot be written.
DWORD saveErrorCode(int saveError);

// The registry functions' error code for a result.
LONG registryResultCode(const RegistryResult& result);

// The service manager's error code for a result: the code's own number,
// saveErrorCode's answer for NotSaved.
DWORD serviceResultCode(const ServiceResult& result);

// The sharing service's HRESULT for a result.
HRESULT sharingResultCode(const SharingResult& result);

// INTERNET_CONNECTION_* flags of InternetGetConnectedState.
DWORD connectionFlagsCode(const InternetAccess& access);
// INTERNET_STATE_* bits of the connected-state option.
DWORD connectedStateCode(bool offline);

constexpr DWORD interfaceTypeCode(InterfaceType type) { return static_cast<DWORD>(type); }
constexpr DWORD adminStatusCode(bool enabled) { return enabled ? MIB_IF_ADMIN_STATUS_UP : 2; }  // MIB_IF_ADMIN_STATUS_DOWN
constexpr DWORD operStatusCode(LinkState state) { return static_cast<DWORD>(state); }
constexpr NETCON_STATUS connectionStatusCode(ConnectionStatus status) { return static_cast<NETCON_STATUS>(status); }
constexpr NETCON_MEDIATYPE mediaTypeCode(ConnectionMedium medium) { return static_cast<NETCON_MEDIATYPE>(medium); }

// The neutral values are numbered as the platform numbers them; a scenario's
// other numbers pass through unchanged.
static_assert(static_cast<DWORD>(ServiceCode::Ok) == ERROR_SUCCESS);
static_assert(static_cast<DWORD>(ServiceCode::AccessDenied) == ERROR_ACCESS_DENIED);
static_assert(static_cast<DWORD>(ServiceCode::InvalidHandle) == ERROR_INVALID_HANDLE);
static_assert(static_cast<DWORD>(ServiceCode::RequestTimeout) == ERROR_SERVICE_REQUEST_TIMEOUT);
static_assert(static_cast<DWORD>(ServiceCode::AlreadyRunning) == ERROR_SERVICE_ALREADY_RUNNING);
static_assert(static_cast<DWORD>(ServiceCode::Disabled) == ERROR_SERVICE_DISABLED);
static_assert(static_cast<DWORD>(ServiceCode::NoSuchService) == ERROR_SERVICE_DOES_NOT_EXIST);
static_assert(static_cast<DWORD>(ServiceCode::CannotAcceptControl) == ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
static_assert(static_cast<DWORD>(ServiceCode::NotActive) == ERROR_SERVICE_NOT_ACTIVE);
static_assert(registryText == REG_SZ && registryExpandableText == REG_EXPAND_SZ && registryNumber == REG_DWORD);
static_assert(interfaceTypeCode(InterfaceType::Other) == MIB_IF_TYPE_OTHER);
static_assert(interfaceTypeCode(InterfaceType::Ethernet) == MIB_IF_TYPE_ETHERNET);
static_assert(interfaceTypeCode(InterfaceType::Ppp) == MIB_IF_TYPE_PPP);
static_assert(interfaceTypeCode(InterfaceType::Loopback) == MIB_IF_TYPE_LOOPBACK);
static_assert(interfaceTypeCode(InterfaceType::Wireless) == IF_TYPE_IEEE80211);
static_assert(operStatusCode(LinkState::NonOperational) == MIB_IF_OPER_STATUS_NON_OPERATIONAL);
static_assert(operStatusCode(LinkState::Unreachable) == MIB_IF_OPER_STATUS_UNREACHABLE);
static_assert(operStatusCode(LinkState::Disconnected) == MIB_IF_OPER_STATUS_DISCONNECTED);
static_assert(operStatusCode(LinkState::Connecting) == MIB_IF_OPER_STATUS_CONNECTING);
static_assert(operStatusCode(LinkState::Connected) == MIB_IF_OPER_STATUS_CONNECTED);
static_assert(operStatusCode(LinkState::Operational) == MIB_IF_OPER_STATUS_OPERATIONAL);
static_assert(connectionStatusCode(ConnectionStatus::Disconnected) == NCS_DISCONNECTED);
static_assert(connectionStatusCode(ConnectionStatus::Connecting) == NCS_CONNECTING);
static_assert(connectionStatusCode(ConnectionStatus::Connected) == NCS_CONNECTED);
static_assert(connectionStatusCode(ConnectionStatus::Disconnecting) == NCS_DISCONNECTING);
static_assert(connectionStatusCode(ConnectionStatus::HardwareNotPresent) == NCS_HARDWARE_NOT_PRESENT);
static_assert(connectionStatusCode(ConnectionStatus::HardwareDisabled) == NCS_HARDWARE_DISABLED);
static_assert(connectionStatusCode(ConnectionStatus::HardwareMalfunction) == NCS_HARDWARE_MALFUNCTION);
static_assert(connectionStatusCode(ConnectionStatus::MediaDisconnected) == NCS_MEDIA_DISCONNECTED);
static_assert(connectionStatusCode(ConnectionStatus::Authenticating) == NCS_AUTHENTICATING);
static_assert(mediaTypeCode(ConnectionMedium::None) == NCM_NONE);
static_assert(mediaTypeCode(ConnectionMedium::Direct) == NCM_DIRECT);
static_assert(mediaTypeCode(ConnectionMedium::Isdn) == NCM_ISDN);
static_assert(mediaTypeCode(ConnectionMedium::Lan) == NCM_LAN);
static_assert(mediaTypeCode(ConnectionMedium::Phone) == NCM_PHONE);
static_assert(mediaTypeCode(ConnectionMedium::Tunnel) == NCM_TUNNEL);
static_assert(mediaTypeCode(ConnectionMedium::Pppoe) == NCM_PPPOE);
static_assert(mediaTypeCode(ConnectionMedium::Bridge) == NCM_BRIDGE);
static_assert(mediaTypeCode(ConnectionMedium::SharedAccessHostLan) == NCM_SHAREDACCESSHOST_LAN);
static_assert(mediaTypeCode(ConnectionMedium::SharedAccessHostRas) == NCM_SHAREDACCESSHOST_RAS);

}  // namespace plat
