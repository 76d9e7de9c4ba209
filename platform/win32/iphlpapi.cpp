// IP Helper stand-ins: the adapter records and the interface table of the
// current machine, laid out as Windows lays them out for a 64-bit program.
#include "iphlpapi.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "machine/Machine.h"
#include "machine/NetworkBackend.h"
#include "rtl/Utf16.h"
#include "win32/MachineCodes.h"

namespace {

// Copies `text` into a fixed field, cut to leave room for the NUL.
template <std::size_t N>
void copyText(char (&field)[N], const std::string& text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

// Entries of a chain beyond the one embedded in the adapter record.
std::size_t spareEntries(std::size_t count) { return count > 1 ? count - 1 : 0; }

struct AddressPair {
  const std::string& address;
  const std::string& mask;
};

// Fills a chain: the first entry in place, the others taken from `spare`,
// which advances past them. An empty chain is the embedded entry with empty
// texts.
void fillChain(IP_ADDR_STRING& first, const std::vector<AddressPair>& entries, IP_ADDR_STRING*& spare) {
  IP_ADDR_STRING* entry = &first;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (i > 0) {
      entry->Next = spare++;
      entry = entry->Next;
    }
    copyText(entry->IpAddress.String, entries[i].address);
    copyText(entry->IpMask.String, entries[i].mask);
  }
}

}  // namespace

DWORD WINAPI GetAdaptersInfo(PIP_ADAPTER_INFO adapterInfo, PULONG sizePointer) {
  if (sizePointer == nullptr) return ERROR_INVALID_PARAMETER;
  const std::vector<plat::NetworkAdapter> adapters = plat::machine().network().adapters();
  if (adapters.empty()) return ERROR_NO_DATA;

  std::size_t spare = 0;
  for (const auto& adapter : adapters) spare += spareEntries(adapter.addresses.size()) + spareEntries(adapter.gateways.size());
  const std::size_t needed = adapters.size() * sizeof(IP_ADAPTER_INFO) + spare * sizeof(IP_ADDR_STRING);
  if (adapterInfo == nullptr || *sizePointer < needed) {
    *sizePointer = static_cast<ULONG>(needed);
    return ERROR_BUFFER_OVERFLOW;
  }

  std::memset(static_cast<void*>(adapterInfo), 0, needed);
  IP_ADDR_STRING* nextSpare = reinterpret_cast<IP_ADDR_STRING*>(adapterInfo + adapters.size());
  const std::string none;
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    const plat::NetworkAdapter& adapter = adapters[i];
    IP_ADAPTER_INFO& record = adapterInfo[i];
    record.Next = i + 1 < adapters.size() ? &adapterInfo[i + 1] : nullptr;
    copyText(record.AdapterName, adapter.name);
    copyText(record.Description, adapter.description);
    record.AddressLength = static_cast<UINT>(std::min<std::size_t>(adapter.hardwareAddress.size(), MAX_ADAPTER_ADDRESS_LENGTH));
    if (record.AddressLength > 0) std::memcpy(record.Address, adapter.hardwareAddress.data(), record.AddressLength);
    record.Index = adapter.index;
    record.Type = plat::interfaceTypeCode(adapter.type);
    record.DhcpEnabled = adapter.dhcpEnabled ? 1 : 0;

    std::vector<AddressPair> addresses;
    for (const auto& address : adapter.addresses) addresses.push_back({address.ip, address.mask});
    fillChain(record.IpAddressList, addresses, nextSpare);
    std::vector<AddressPair> gateways;
    for (const auto& gateway : adapter.gateways) gateways.push_back({gateway, none});
    fillChain(record.GatewayList, gateways, nextSpare);
    copyText(record.DhcpServer.IpAddress.String, adapter.dhcpServer);
  }
  return ERROR_SUCCESS;
}

DWORD WINAPI GetIfTable(PMIB_IFTABLE ifTable, PULONG size, BOOL order) {
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  std::vector<plat::InterfaceRow> rows = plat::machine().network().interfaceRows();
  const std::size_t needed = offsetof(MIB_IFTABLE, table) + rows.size() * sizeof(MIB_IFROW);
  if (ifTable == nullptr || *size < needed) {
    *size = static_cast<ULONG>(needed);
    return ERROR_INSUFFICIENT_BUFFER;
  }
  if (order) {
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.index < b.index; });
  }

  std::memset(static_cast<void*>(ifTable), 0, needed);
  ifTable->dwNumEntries = static_cast<DWORD>(rows.size());
  MIB_IFROW* out = ifTable->table;
  for (const auto& row : rows) {
    const std::u16string name = Utf8ToUtf16(row.name);
    const std::size_t nameLength = std::min<std::size_t>(name.size(), MAX_INTERFACE_NAME_LEN - 1);
    std::char_traits<WCHAR>::copy(out->wszName, name.data(), nameLength);
    out->dwIndex = row.index;
    out->dwType = plat::interfaceTypeCode(row.type);
    out->dwMtu = row.mtu;
    out->dwSpeed = row.speed;
    out->dwPhysAddrLen = static_cast<DWORD>(std::min<std::size_t>(row.hardwareAddress.size(), MAXLEN_PHYSADDR));
    if (out->dwPhysAddrLen > 0) std::memcpy(out->bPhysAddr, row.hardwareAddress.data(), out->dwPhysAddrLen);
    out->dwAdminStatus = plat::adminStatusCode(row.enabled);
    out->dwOperStatus = plat::operStatusCode(row.state);
    // The description with its NUL, which dwDescrLen counts.
    const std::size_t descriptionLength = std::min<std::size_t>(row.description.size(), MAXLEN_IFDESCR - 1);
    std::memcpy(out->bDescr, row.description.data(), descriptionLength);
    out->dwDescrLen = static_cast<DWORD>(descriptionLength + 1);
    ++out;
  }
  return ERROR_SUCCESS;
}
