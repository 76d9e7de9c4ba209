#include "net/AdapterUnit.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "Registry.h"
#include "SysUtils.h"
#include "util/SystemUtils.h"

DWORD IfTableSize = 0;
PMIB_IFTABLE IfTableBuffer = nullptr;

namespace {

// The buffer offered to GetAdaptersInfo. There is no retry with a larger one:
// adapters that do not fit make LoadAdapters fail.
constexpr ULONG AdapterBufferSize = 5120;

const char* const NetworkConnectionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

bool adapterUnitStarted = false;
// Owns IfTableBuffer, in DWORDs for the table's alignment.
std::unique_ptr<DWORD[]> ifTableStorage;

// Text of a fixed field up to its first NUL (or its end).
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

// The lines of a text as a text list takes them: split at CR LF, LF or CR;
// a line break at the end adds no empty line.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

template <class Field>
std::string JoinChain(const IP_ADDR_STRING* first, Field field) {
  std::string joined;
  for (const IP_ADDR_STRING* entry = first; entry != nullptr; entry = entry->Next) {
    const std::string text = FieldText((entry->*field).String);
    if (joined.empty()) {
      joined = text;
    } else {
      joined += "\r\n" + text;
    }
  }
  return joined;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.compare(0, std::strlen(prefix), prefix) == 0; }

}  // namespace

void InitializeAdapterUnit() {
  if (adapterUnitStarted) return;
  adapterUnitStarted = true;
  ULONG size = 0;
  GetIfTable(nullptr, &size, FALSE);
  IfTableSize = size;
  if (IfTableSize > 0) {
    ifTableStorage = std::make_unique<DWORD[]>((IfTableSize + sizeof(DWORD) - 1) / sizeof(DWORD));
    IfTableBuffer = reinterpret_cast<PMIB_IFTABLE>(ifTableStorage.get());
  }
}

void FinalizeAdapterUnit() {
  ifTableStorage.reset();
  IfTableBuffer = nullptr;
  IfTableSize = 0;
  adapterUnitStarted = false;
}

PMIB_IFTABLE ReadIfTable() {
  // The size the buffer was made with; a larger size reported back on
  // failure changes nothing.
  ULONG size = IfTableSize;
  return GetIfTable(IfTableBuffer, &size, FALSE) == ERROR_SUCCESS ? IfTableBuffer : nullptr;
}

void ReadConnectionKey(const std::string& guid, bool& isPhysical, bool& isWireless) {
  TRegistry registry(KEY_READ);
  registry.RootKey = HKEY_LOCAL_MACHINE;
  if (registry.OpenKeyReadOnly(NetworkConnectionsKey + guid + "\\Connection")) {
    if (registry.ValueExists("PnpInstanceID")) {
      const std::string id = registry.ReadString("PnpInstanceID");
      isPhysical = StartsWith(id, "PCI") || StartsWith(id, "USB") || StartsWith(id, "PCMCIA");
    }
    if (registry.ValueExists("MediaSubType")) isWireless = registry.ReadInteger("MediaSubType") == 2;
  }
  registry.CloseKey();
}

std::string FormatMacAddress(const BYTE* address, UINT count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (UINT i = 0; i < count; ++i) {
    text += digits[address[i] >> 4];
    text += digits[address[i] & 0xF];
    text += '-';
  }
  if (!text.empty()) text.pop_back();
  return text;
}

std::string JoinIpAddresses(const IP_ADDR_STRING* first) { return JoinChain(first, &IP_ADDR_STRING::IpAddress); }

std::string JoinIpMasks(const IP_ADDR_STRING* first) { return JoinChain(first, &IP_ADDR_STRING::IpMask); }

TAdapterManager::TAdapterManager() {
  InitializeAdapterUnit();
  LoadAdapters();
}

TAdapterManager::~TAdapterManager() {
  FreeListObjects(&Adapters);
  Adapters.Clear();
}

void TAdapterManager::LoadAdapters() {
  auto buffer = std::make_unique<std::byte[]>(AdapterBufferSize);
  auto* info = reinterpret_cast<PIP_ADAPTER_INFO>(buffer.get());
  ULONG size = AdapterBufferSize;
  const DWORD result = GetAdaptersInfo(info, &size);
  if (result != ERROR_SUCCESS) {
    SetLastError(result);
    RaiseLastOSError();
  }

  FreeListObjects(&Adapters);
  Adapters.Clear();
  WiredAdapterName.clear();
  WirelessAdapterName.clear();
  DialUpAdapterName.clear();

  for (const IP_ADAPTER_INFO* record = info; record != nullptr; record = record->Next) {
    auto adapter = std::make_unique<TAdapter>();
    adapter->Index = record->Index;
    adapter->AdapterName = FieldText(record->AdapterName);
    // A length beyond the 8-byte field is cut to the field.
    adapter->MacAddress =
        FormatMacAddress(record->Address, std::min<UINT>(record->AddressLength, MAX_ADAPTER_ADDRESS_LENGTH));
    adapter->AdapterType = static_cast<std::int32_t>(record->Type);
    adapter->DhcpEnabled = record->DhcpEnabled == 1;
    adapter->IpAddresses = TextLines(JoinIpAddresses(&record->IpAddressList));
    adapter->IpMasks = TextLines(JoinIpMasks(&record->IpAddressList));
    adapter->Gateways = TextLines(JoinIpAddresses(&record->GatewayList));
    adapter->Description = FieldText(record->Description);

    bool isPhysical = false;
    bool isWireless = false;
    ReadConnectionKey(adapter->AdapterName, isPhysical, isWireless);
    adapter->IsPhysical = isPhysical;
    adapter->IsWireless = isWireless;

    if (adapter->IsPhysical) {
      if (adapter->IsWireless) {
        WirelessAdapterName = adapter->AdapterName;
      } else {
        WiredAdapterName = adapter->AdapterName;
      }
    }
    if (adapter->AdapterType == static_cast<std::int32_t>(MIB_IF_TYPE_PPP)) DialUpAdapterName = adapter->AdapterName;

    std::string key = std::to_string(adapter->Index);
    Adapters.Add(std::move(key), std::move(adapter));
  }
}

void TAdapterManager::Refresh() {
  LoadAdapters();
  IfTable = ReadIfTable();
  if (IfTable == nullptr) return;
  // No more rows than the buffer holds, whatever the count says.
  const DWORD rowsInBuffer = static_cast<DWORD>((IfTableSize - offsetof(MIB_IFTABLE, table)) / sizeof(MIB_IFROW));
  const DWORD rows = std::min(IfTable->dwNumEntries, rowsInBuffer);
  const MIB_IFROW* row = IfTable->table;
  for (DWORD i = 0; i < rows; ++i, ++row) {
    const int at = Adapters.IndexOf(std::to_string(row->dwIndex));
    if (at >= 0) Adapters.Objects(at)->OperStatus = row->dwOperStatus;
  }
}
