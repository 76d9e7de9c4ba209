// Windows-shaped network connection declarations (netcon.h): the state and
// media kinds of a connection, the properties record, the sharing roles, the
// identifiers of the class NetSharingManager and the interfaces it answers.
// Only the members the platform serves are declared; every method returns an
// HRESULT.
#pragma once

#include <cstddef>

#include "objbase.h"
#include "oleauto.h"

// NETCON_STATUS
constexpr int NCS_DISCONNECTED = 0;
constexpr int NCS_CONNECTING = 1;
constexpr int NCS_CONNECTED = 2;
constexpr int NCS_DISCONNECTING = 3;
constexpr int NCS_HARDWARE_NOT_PRESENT = 4;
constexpr int NCS_HARDWARE_DISABLED = 5;
constexpr int NCS_HARDWARE_MALFUNCTION = 6;
constexpr int NCS_MEDIA_DISCONNECTED = 7;
constexpr int NCS_AUTHENTICATING = 8;
using NETCON_STATUS = int;

// NETCON_MEDIATYPE
constexpr int NCM_NONE = 0;
constexpr int NCM_DIRECT = 1;
constexpr int NCM_ISDN = 2;
constexpr int NCM_LAN = 3;
constexpr int NCM_PHONE = 4;
constexpr int NCM_TUNNEL = 5;
constexpr int NCM_PPPOE = 6;
constexpr int NCM_BRIDGE = 7;
constexpr int NCM_SHAREDACCESSHOST_LAN = 8;
constexpr int NCM_SHAREDACCESSHOST_RAS = 9;
using NETCON_MEDIATYPE = int;

// SHARINGCONNECTIONTYPE
constexpr int ICSSHARINGTYPE_PUBLIC = 0;
constexpr int ICSSHARINGTYPE_PRIVATE = 1;
using SHARINGCONNECTIONTYPE = int;

// What INetConnection::GetProperties hands out. The block and its two texts
// belong to the caller, who frees them with NcFreeNetconProperties.
struct NETCON_PROPERTIES {
  GUID guidId;
  LPWSTR pszwName;
  LPWSTR pszwDeviceName;
  NETCON_STATUS Status;
  NETCON_MEDIATYPE MediaType;
  DWORD dwCharacter;
  CLSID clsidThisObject;
  CLSID clsidUiObject;
};
static_assert(sizeof(NETCON_PROPERTIES) == 80);
static_assert(offsetof(NETCON_PROPERTIES, pszwName) == 16);
static_assert(offsetof(NETCON_PROPERTIES, Status) == 32);
static_assert(offsetof(NETCON_PROPERTIES, MediaType) == 36);

// Frees a block that GetProperties handed out, with its texts; null is allowed.
void WINAPI NcFreeNetconProperties(NETCON_PROPERTIES* properties);

inline constexpr CLSID CLSID_NetSharingManager = {0x5C63C1AD, 0x3956, 0x4FF8, {0x84, 0x86, 0x40, 0x03, 0x47, 0x58, 0x31, 0x5B}};
inline constexpr IID IID_INetSharingManager = {0xC08956B7, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
inline constexpr IID IID_INetSharingEveryConnectionCollection = {
    0x33C4643C, 0x7811, 0x46FA, {0xA8, 0x9A, 0x76, 0x85, 0x97, 0xBD, 0x72, 0x23}};
inline constexpr IID IID_INetConnection = {0xC08956A1, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};
inline constexpr IID IID_INetSharingConfiguration = {
    0xC08956B6, 0x1CD3, 0x11D1, {0xB1, 0xC5, 0x00, 0x80, 0x5F, 0xC1, 0x27, 0x0E}};

// One network connection.
struct INetConnection : IUnknown {
  virtual HRESULT WINAPI GetProperties(NETCON_PROPERTIES** properties) = 0;

 protected:
  ~INetConnection() = default;
};

// Every connection of the machine, as an enumerator object (_NewEnum) that
// answers IEnumVARIANT.
struct INetSharingEveryConnectionCollection : IDispatch {
  virtual HRESULT WINAPI get__NewEnum(IUnknown** enumerator) = 0;

 protected:
  ~INetSharingEveryConnectionCollection() = default;
};

// The sharing settings of one connection.
struct INetSharingConfiguration : IDispatch {
  virtual HRESULT WINAPI get_SharingEnabled(VARIANT_BOOL* enabled) = 0;
  virtual HRESULT WINAPI DisableSharing() = 0;
  virtual HRESULT WINAPI EnableSharing(SHARINGCONNECTIONTYPE type) = 0;

 protected:
  ~INetSharingConfiguration() = default;
};

struct INetSharingManager : IDispatch {
  virtual HRESULT WINAPI get_EnumEveryConnection(INetSharingEveryConnectionCollection** connections) = 0;
  virtual HRESULT WINAPI get_INetSharingConfigurationForINetConnection(INetConnection* connection,
                                                                       INetSharingConfiguration** configuration) = 0;

 protected:
  ~INetSharingManager() = default;
};
