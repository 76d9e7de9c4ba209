// The wireless library (libwireless, linked at load time): wireless
// interfaces, the networks they hear, joining, leaving, creating and deleting
// a network, and connect and disconnect notifications. C linkage; text is
// zero-terminated UTF-16; a result of 0 means success, anything else is a
// Windows error code (ERROR_INVALID_PARAMETER, ERROR_NOT_FOUND,
// ERROR_INVALID_PASSWORD, ERROR_WRITE_FAULT).
//
// The records have fixed layouts, the same on every build; pointers sit at
// 4-byte boundaries.
#pragma once

#include <cstddef>

#include "windows.h"

constexpr DWORD WIRELESS_MAX_INTERFACES = 4;
constexpr DWORD WIRELESS_MAX_NETWORKS = 21;
constexpr DWORD WIRELESS_NAME_UNITS = 33;

// Kinds of a heard network.
constexpr BYTE WIRELESS_KIND_COMPUTER = 1;       // created by another computer with AddSsid
constexpr BYTE WIRELESS_KIND_ACCESS_POINT = 2;   // an access point that asks for a key
constexpr BYTE WIRELESS_KIND_OPEN = 3;           // an access point without a key

// Value A of a network: whether Connect sends the key.
constexpr DWORD WIRELESS_SECURITY_OPEN = 0;
constexpr DWORD WIRELESS_SECURITY_KEY = 1;

#pragma pack(push, 4)

struct WIRELESS_INTERFACE_ENTRY {
  LPCWSTR Identifier;  // owned by the library, valid while it is loaded
  DWORD Reserved;
};

// Zeroed by the caller. Count is how many interfaces the machine has; only
// the first WIRELESS_MAX_INTERFACES entries are written.
struct WIRELESS_INTERFACE_LIST {
  DWORD Count;
  DWORD Reserved;
  WIRELESS_INTERFACE_ENTRY Interface[WIRELESS_MAX_INTERFACES];
};

struct WIRELESS_NETWORK_ENTRY {
  WCHAR Name[WIRELESS_NAME_UNITS];  // zero-terminated only when shorter
  WORD Reserved1;
  DWORD NameLength;                 // units in Name (copied, not interpreted)
  BYTE Reserved2[8];
  BYTE State;                       // 0: the interface is on this network; 1: not
  BYTE Reserved3[3];
  BYTE Kind;                        // WIRELESS_KIND_*
  BYTE Reserved4[3];
  DWORD SignalQuality;              // percent (copied, not interpreted)
  DWORD ValueA;                     // WIRELESS_SECURITY_*, handed back to Connect
  DWORD ValueB;                     // the network's id, handed back to Connect
};

// Zeroed by the caller. Count is how many networks the interface hears; only
// the first WIRELESS_MAX_NETWORKS entries are written.
struct WIRELESS_NETWORK_LIST {
  DWORD Count;
  DWORD Reserved;
  WIRELESS_NETWORK_ENTRY Network[WIRELESS_MAX_NETWORKS];
};

// Native Wifi's notification record, in its 32-bit layout.
struct WLAN_NOTIFICATION_DATA {
  DWORD NotificationSource;  // WLAN_NOTIFICATION_SOURCE_*
  DWORD NotificationCode;
  BYTE InterfaceGuid[16];    // a GUID; not filled by this library
  DWORD dwDataSize;          // bytes at pData
  PVOID pData;               // WLAN_CONNECTION_NOTIFICATION_DATA for the codes below
};

struct DOT11_SSID {
  ULONG uSSIDLength;
  BYTE ucSSID[32];  // the name as 8-bit text, zero-padded
};

struct WLAN_CONNECTION_NOTIFICATION_DATA {
  DWORD wlanConnectionMode;
  WCHAR strProfileName[256];
  DOT11_SSID dot11Ssid;
  DWORD dot11BssType;
  BOOL bSecurityEnabled;
  DWORD wlanReasonCode;
  DWORD dwFlags;
  WCHAR strProfileXml[1];
};

#pragma pack(pop)

static_assert(sizeof(WIRELESS_INTERFACE_ENTRY) == 12);
static_assert(sizeof(WIRELESS_INTERFACE_LIST) == 56);
static_assert(offsetof(WIRELESS_INTERFACE_LIST, Interface) == 8);
static_assert(sizeof(WIRELESS_NETWORK_ENTRY) == 100);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, NameLength) == 68);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, State) == 80);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, Kind) == 84);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, SignalQuality) == 88);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, ValueA) == 92);
static_assert(offsetof(WIRELESS_NETWORK_ENTRY, ValueB) == 96);
static_assert(sizeof(WIRELESS_NETWORK_LIST) == 2108);
static_assert(offsetof(WIRELESS_NETWORK_LIST, Network) == 8);
static_assert(offsetof(WLAN_NOTIFICATION_DATA, NotificationCode) == 4);
static_assert(offsetof(WLAN_NOTIFICATION_DATA, pData) == 28);
static_assert(offsetof(WLAN_CONNECTION_NOTIFICATION_DATA, dot11Ssid) + offsetof(DOT11_SSID, ucSSID) == 520);

constexpr DWORD WLAN_NOTIFICATION_SOURCE_ACM = 0x8;
constexpr DWORD wlan_notification_acm_connection_complete = 10;
constexpr DWORD wlan_notification_acm_disconnected = 21;

using WIRELESS_NOTIFICATION_CALLBACK = void(WINAPI*)(WLAN_NOTIFICATION_DATA* data, PVOID context);

// The library's exports: these functions and nothing else (it is built with
// hidden visibility).
#pragma GCC visibility push(default)
extern "C" {

// Fills the interface list.
DWORD WINAPI EnumInterface(WIRELESS_INTERFACE_LIST* list);

// Fills the network list with what the interface hears now.
DWORD WINAPI GetVisibleNetworkList(LPCWSTR interfaceId, WIRELESS_NETWORK_LIST* list);

// Joins a heard network: `kind` 0 for any kind, `valueA` and `valueB` as the
// list gave them (`valueB` 0: any network of that name). The key may be null
// for an open network. Notifies connection complete (10) on success;
// ERROR_NOT_FOUND when no such network is heard, ERROR_INVALID_PASSWORD when
// the key does not match.
DWORD WINAPI Connect(LPCWSTR interfaceId, LPCWSTR name, LPCWSTR key, DWORD kind, DWORD valueA, DWORD valueB);

// Leaves the network the interface is on (disconnected, 21); 0 also when it
// was on none.
DWORD WINAPI Disconnect(LPCWSTR interfaceId);

// Broadcasts a network of this computer (1 to 32 bytes of name) on the
// interface, heard by other computers with kind 1; notifies 10.
DWORD WINAPI AddSsid(LPCWSTR interfaceId, LPCWSTR name, LPCWSTR key);

// Stops broadcasting the network `name`, or leaves it when the interface
// joined it; notifies 21. ERROR_NOT_FOUND when the interface is on neither.
DWORD WINAPI DeleteSsid(LPCWSTR interfaceId, LPCWSTR name);

// Notifications of the current machine arrive on the library's own thread,
// one at a time, with a null context. A second registration replaces the
// first. Registering and unregistering are done from one thread at a time.
DWORD WINAPI RegisterNotification(WIRELESS_NOTIFICATION_CALLBACK callback);

// No notification arrives once it returns (called from inside the callback,
// that call still finishes).
DWORD WINAPI UnRegisterNotification();

}  // extern "C"
#pragma GCC visibility pop
