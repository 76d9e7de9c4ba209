// Windows-shaped IP Helper (iphlpapi): the adapter list of GetAdaptersInfo and
// the interface table of GetIfTable, with the record layouts of this 64-bit
// build. Neither function touches the thread's last-error code: the result is
// the error code.
#pragma once

#include <cstddef>

#include "windows.h"

constexpr DWORD MAX_ADAPTER_NAME_LENGTH = 256;
constexpr DWORD MAX_ADAPTER_DESCRIPTION_LENGTH = 128;
constexpr DWORD MAX_ADAPTER_ADDRESS_LENGTH = 8;

// Interface types (ipifcons.h).
constexpr DWORD MIB_IF_TYPE_OTHER = 1;
constexpr DWORD MIB_IF_TYPE_ETHERNET = 6;
constexpr DWORD MIB_IF_TYPE_PPP = 23;
constexpr DWORD MIB_IF_TYPE_LOOPBACK = 24;
constexpr DWORD IF_TYPE_IEEE80211 = 71;

// Operational states of an interface row.
constexpr DWORD MIB_IF_OPER_STATUS_NON_OPERATIONAL = 0;
constexpr DWORD MIB_IF_OPER_STATUS_UNREACHABLE = 1;
constexpr DWORD MIB_IF_OPER_STATUS_DISCONNECTED = 2;
constexpr DWORD MIB_IF_OPER_STATUS_CONNECTING = 3;
constexpr DWORD MIB_IF_OPER_STATUS_CONNECTED = 4;
constexpr DWORD MIB_IF_OPER_STATUS_OPERATIONAL = 5;

constexpr DWORD MIB_IF_ADMIN_STATUS_UP = 1;

// A dotted IPv4 text, NUL-terminated within its 16 bytes.
struct IP_ADDRESS_STRING {
  char String[16];
};
using IP_MASK_STRING = IP_ADDRESS_STRING;

// One entry of an address chain: the first entry is embedded in the adapter
// record, further ones lie in the same buffer, linked by Next.
struct IP_ADDR_STRING {
  IP_ADDR_STRING* Next;
  IP_ADDRESS_STRING IpAddress;
  IP_MASK_STRING IpMask;
  DWORD Context;
};
using PIP_ADDR_STRING = IP_ADDR_STRING*;
static_assert(sizeof(IP_ADDR_STRING) == 48);
static_assert(offsetof(IP_ADDR_STRING, IpAddress) == 8);
static_assert(offsetof(IP_ADDR_STRING, IpMask) == 24);

struct IP_ADAPTER_INFO {
  IP_ADAPTER_INFO* Next;
  DWORD ComboIndex;
  char AdapterName[MAX_ADAPTER_NAME_LENGTH + 4];
  char Description[MAX_ADAPTER_DESCRIPTION_LENGTH + 4];
  UINT AddressLength;
  BYTE Address[MAX_ADAPTER_ADDRESS_LENGTH];
  DWORD Index;
  UINT Type;
  UINT DhcpEnabled;
  PIP_ADDR_STRING CurrentIpAddress;
  IP_ADDR_STRING IpAddressList;
  IP_ADDR_STRING GatewayList;
  IP_ADDR_STRING DhcpServer;
  BOOL HaveWins;
  IP_ADDR_STRING PrimaryWinsServer;
  IP_ADDR_STRING SecondaryWinsServer;
  std::int64_t LeaseObtained;  // time_t of the 64-bit runtime
  std::int64_t LeaseExpires;
};
using PIP_ADAPTER_INFO = IP_ADAPTER_INFO*;
static_assert(sizeof(IP_ADAPTER_INFO) == 704);
static_assert(offsetof(IP_ADAPTER_INFO, ComboIndex) == 8);
static_assert(offsetof(IP_ADAPTER_INFO, AdapterName) == 12);
static_assert(offsetof(IP_ADAPTER_INFO, Description) == 272);
static_assert(offsetof(IP_ADAPTER_INFO, AddressLength) == 404);
static_assert(offsetof(IP_ADAPTER_INFO, Address) == 408);
static_assert(offsetof(IP_ADAPTER_INFO, Index) == 416);
static_assert(offsetof(IP_ADAPTER_INFO, Type) == 420);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpEnabled) == 424);
static_assert(offsetof(IP_ADAPTER_INFO, CurrentIpAddress) == 432);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) == 440);
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == 488);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpServer) == 536);
static_assert(offsetof(IP_ADAPTER_INFO, HaveWins) == 584);
static_assert(offsetof(IP_ADAPTER_INFO, PrimaryWinsServer) == 592);
static_assert(offsetof(IP_ADAPTER_INFO, LeaseObtained) == 688);

// Fills `adapterInfo` with the machine's adapters: the records first, chained
// by Next, then the further entries of their address chains. `sizePointer`
// gives the buffer's size; when the records do not fit (or `adapterInfo` is
// null) the result is ERROR_BUFFER_OVERFLOW and the size needed is written
// back. ERROR_NO_DATA when the machine has no adapters, ERROR_INVALID_PARAMETER
// without a size. Differs from Windows: CurrentIpAddress is always null, and
// the WINS and lease fields stay zero.
DWORD WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO adapterInfo, PULONG sizePointer);

constexpr DWORD MAX_INTERFACE_NAME_LEN = 256;
constexpr DWORD MAXLEN_PHYSADDR = 8;
constexpr DWORD MAXLEN_IFDESCR = 256;

struct MIB_IFROW {
  WCHAR wszName[MAX_INTERFACE_NAME_LEN];
  DWORD dwIndex;
  DWORD dwType;
  DWORD dwMtu;
  DWORD dwSpeed;
  DWORD dwPhysAddrLen;
  BYTE bPhysAddr[MAXLEN_PHYSADDR];
  DWORD dwAdminStatus;
  DWORD dwOperStatus;
  DWORD dwLastChange;
  DWORD dwInOctets;
  DWORD dwInUcastPkts;
  DWORD dwInNUcastPkts;
  DWORD dwInDiscards;
  DWORD dwInErrors;
  DWORD dwInUnknownProtos;
  DWORD dwOutOctets;
  DWORD dwOutUcastPkts;
  DWORD dwOutNUcastPkts;
  DWORD dwOutDiscards;
  DWORD dwOutErrors;
  DWORD dwOutQLen;
  DWORD dwDescrLen;
  BYTE bDescr[MAXLEN_IFDESCR];
};
using PMIB_IFROW = MIB_IFROW*;
static_assert(sizeof(MIB_IFROW) == 860);
static_assert(offsetof(MIB_IFROW, dwIndex) == 512);
static_assert(offsetof(MIB_IFROW, bPhysAddr) == 532);
static_assert(offsetof(MIB_IFROW, dwOperStatus) == 544);
static_assert(offsetof(MIB_IFROW, dwDescrLen) == 600);
static_assert(offsetof(MIB_IFROW, bDescr) == 604);

struct MIB_IFTABLE {
  DWORD dwNumEntries;
  MIB_IFROW table[1];  // dwNumEntries rows
};
using PMIB_IFTABLE = MIB_IFTABLE*;
static_assert(offsetof(MIB_IFTABLE, table) == 4);

// Fills `ifTable` with the interface table: the row count and the rows, in
// the machine's order or, with `order`, by ascending index. A null table or a
// size below what the rows need gives ERROR_INSUFFICIENT_BUFFER with the
// size needed written back; ERROR_INVALID_PARAMETER without a size. Differs
// from Windows: the traffic counters and dwLastChange are zero.
DWORD WINAPI GetIfTable(PMIB_IFTABLE ifTable, PULONG size, BOOL order);
