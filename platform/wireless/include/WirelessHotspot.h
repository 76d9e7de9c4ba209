// Brisklane's own additions to the wireless library (libwireless), beyond
// its eight original functions: the network this computer broadcasts, how it
// is secured, and the devices that join it. C linkage; text is UTF-16
// except where a record says otherwise; a result of 0 means success,
// anything else is a Windows error code.
#pragma once

#include <cstddef>

#include "WirelessLibrary.h"

constexpr DWORD WIRELESS_MAX_GUESTS = 64;
constexpr DWORD WIRELESS_GUEST_NAME_UNITS = 64;

// How the network this computer broadcasts is secured.
constexpr DWORD WIRELESS_HOSTED_OPEN = 0;
constexpr DWORD WIRELESS_HOSTED_WEP = 1;       // a WEP key of 5 or 13 characters
constexpr DWORD WIRELESS_HOSTED_WPA2_PSK = 2;  // a WPA2 passphrase of 8 to 63 characters

// What a guest notification tells.
constexpr DWORD WIRELESS_GUEST_JOINED = 1;
constexpr DWORD WIRELESS_GUEST_LEFT = 2;

#pragma pack(push, 4)

struct WIRELESS_HOSTED_NETWORK {
  WCHAR Name[WIRELESS_NAME_UNITS];  // zero-terminated: a name has at most 32 units
  WORD Reserved;
  DWORD Security;                   // WIRELESS_HOSTED_*
};

// One device on the network this computer broadcasts.
struct WIRELESS_GUEST_ENTRY {
  WCHAR Name[WIRELESS_GUEST_NAME_UNITS];  // the name it gave, zero-terminated (cut to fit); empty: none
  DWORD HardwareAddressLength;            // bytes in HardwareAddress; 0: unknown
  BYTE HardwareAddress[8];
  CHAR IpAddress[16];                     // dotted IPv4, zero-terminated; empty while it has none
  DWORD ConnectedSeconds;                 // how long it has been on the network
};

// Zeroed by the caller. Count is how many devices are on the network; only
// the first WIRELESS_MAX_GUESTS entries are written.
struct WIRELESS_GUEST_LIST {
  DWORD Count;
  DWORD Reserved;
  WIRELESS_GUEST_ENTRY Guest[WIRELESS_MAX_GUESTS];
};

struct WIRELESS_GUEST_NOTIFICATION {
  DWORD Code;                              // WIRELESS_GUEST_JOINED or WIRELESS_GUEST_LEFT
  WCHAR NetworkName[WIRELESS_NAME_UNITS];  // zero-terminated
  WORD Reserved;
  WIRELESS_GUEST_ENTRY Guest;              // ConnectedSeconds: how long it stayed, for one that left
};

#pragma pack(pop)

static_assert(sizeof(WIRELESS_HOSTED_NETWORK) == 72);
static_assert(offsetof(WIRELESS_GUEST_ENTRY, HardwareAddressLength) == 128);
static_assert(offsetof(WIRELESS_GUEST_ENTRY, IpAddress) == 140);
static_assert(sizeof(WIRELESS_GUEST_ENTRY) == 160);
static_assert(offsetof(WIRELESS_GUEST_LIST, Guest) == 8);
static_assert(offsetof(WIRELESS_GUEST_NOTIFICATION, Guest) == 72);

using WIRELESS_GUEST_CALLBACK = void(WINAPI*)(const WIRELESS_GUEST_NOTIFICATION* notification, PVOID context);

// Exported as the library's other functions are (WirelessLibrary.h).
#pragma GCC visibility push(default)
extern "C" {

// The network the interface broadcasts (AddSsid). ERROR_NOT_FOUND when it
// broadcasts none; ERROR_NOT_SUPPORTED on a machine that cannot tell.
DWORD WINAPI GetHostedNetwork(LPCWSTR interfaceId, WIRELESS_HOSTED_NETWORK* network);

// Takes a zeroed list. Writes the number of devices on the network the
// interface broadcasts and the first WIRELESS_MAX_GUESTS of them, in the
// order they joined. ERROR_NOT_FOUND when it broadcasts none;
// ERROR_NOT_SUPPORTED on a machine that cannot tell.
DWORD WINAPI GetHostedNetworkGuests(LPCWSTR interfaceId, WIRELESS_GUEST_LIST* list);

// Tells the callback, on the library's own thread and one at a time, each
// device that joins or leaves a network this computer broadcasts, with a
// null context. A second registration replaces the first; it is independent
// of RegisterNotification.
DWORD WINAPI RegisterGuestNotification(WIRELESS_GUEST_CALLBACK callback);

// No guest notification arrives once it returns (called from inside the
// callback, that call still finishes). Always 0.
DWORD WINAPI UnRegisterGuestNotification();

}  // extern "C"
#pragma GCC visibility pop
