#include "net/ConnectionUnit.h"

#include <functional>

#include "net/AdapterUnit.h"
#include "net/NETCONLib_TLB.h"
#include "util/SystemUtils.h"
#include "util/TextUtils.h"

namespace {

using NetconPropertiesPtr = std::unique_ptr<NETCON_PROPERTIES, decltype(&NcFreeNetconProperties)>;

// Runs `body` with COM initialised for the thread. Every error `body` raises
// ends it quietly (false); the interfaces it holds are released as it
// unwinds, before COM is uninitialised on every path.
bool RunWithCom(const std::function<void()>& body) {
  CoInitialize(nullptr);
  bool completed = false;
  try {
    body();
    completed = true;
  } catch (...) {
  }
  CoUninitialize();
  return completed;
}

// Raises when a call that reported success handed out no interface.
template <class T>
T& Required(const ComPtr<T>& pointer) {
  if (!pointer) OleCheck(E_POINTER);
  return *pointer.get();
}

// Hands every connection of the sharing service to `step`, in the service's
// order. Failing calls and interfaces an object does not answer raise.
void ForEachConnection(INetSharingManager& manager, const std::function<void(INetConnection&)>& step) {
  ComPtr<INetSharingEveryConnectionCollection> connections;
  OleCheck(manager.get_EnumEveryConnection(connections.put()));
  ComPtr<IUnknown> enumObject;
  OleCheck(Required(connections).get__NewEnum(enumObject.put()));
  ComPtr<IEnumVARIANT> enumerator = QueryInterfaceOrRaise<IEnumVARIANT>(enumObject.get(), IID_IEnumVARIANT);
  OleVariant item;
  ULONG fetched = 0;
  while (enumerator->Next(1, item.put(), &fetched) == S_OK) {
    ComPtr<INetConnection> connection = QueryInterfaceOrRaise<INetConnection>(item.unknown(), IID_INetConnection);
    step(*connection.get());
  }
}

// The connection's properties, or null when GetProperties fails: such a
// connection is passed over.
NetconPropertiesPtr GetProperties(INetConnection& connection) {
  NETCON_PROPERTIES* properties = nullptr;
  if (FAILED(connection.GetProperties(&properties))) properties = nullptr;
  return NetconPropertiesPtr(properties, &NcFreeNetconProperties);
}

std::string TextOf(LPCWSTR text) { return text == nullptr ? std::string() : Utf16ToUtf8(text); }

ComPtr<INetSharingConfiguration> ConfigurationFor(INetSharingManager& manager, INetConnection& connection) {
  ComPtr<INetSharingConfiguration> configuration;
  OleCheck(manager.get_INetSharingConfigurationForINetConnection(&connection, configuration.put()));
  Required(configuration);
  return configuration;
}

bool SharingEnabled(INetSharingConfiguration& configuration) {
  VARIANT_BOOL enabled = VARIANT_FALSE;
  OleCheck(configuration.get_SharingEnabled(&enabled));
  return enabled != VARIANT_FALSE;
}

}  // namespace

TConnectionManager::TConnectionManager() : AdapterManager(std::make_unique<TAdapterManager>()) {}

TConnectionManager::~TConnectionManager() {
  AdapterManager.reset();
  FreeListObjects(&Connections);
  Connections.Clear();
}

void TConnectionManager::Refresh() {
  // Outside the walk, so that a failed refresh leaves no stale entries.
  FreeListObjects(&Connections);
  Connections.Clear();

  RunWithCom([&] {
    AdapterManager->Refresh();
    ComPtr<INetSharingManager> manager = CoNetSharingManager::Create();
    ForEachConnection(Required(manager), [&](INetConnection& netConnection) {
      NetconPropertiesPtr properties = GetProperties(netConnection);
      if (!properties || properties->Status == NCS_DISCONNECTED) return;

      auto connection = std::make_unique<TConnection>();
      connection->GuidText = GUIDToString(properties->guidId);
      connection->MediaType = properties->MediaType;
      connection->Name = TextOf(properties->pszwName);
      connection->DeviceName = TextOf(properties->pszwDeviceName);
      connection->Status = properties->Status;

      bool isPhysical = false;
      bool isWireless = false;
      ReadConnectionKey(connection->GuidText, isPhysical, isWireless);
      connection->IsPhysical = isPhysical;
      connection->IsWireless = isWireless;

      // Every adapter of the same name, in list order: the last one wins.
      for (const auto& entry : AdapterManager->Adapters) {
        const TAdapter* adapter = entry.object.get();
        if (adapter == nullptr || !SameText(adapter->AdapterName, connection->GuidText)) continue;
        connection->DhcpEnabled = adapter->DhcpEnabled;
        connection->IpAddresses = adapter->IpAddresses;
        connection->IpMasks = adapter->IpMasks;
        connection->Gateways = adapter->Gateways;
      }

      std::string key = connection->Name;
      Connections.Add(std::move(key), std::move(connection));
    });
  });
}

bool TConnectionManager::EnableSharing(const std::string& sourceGuid, const std::string& destGuid) {
  if (sourceGuid.empty() || destGuid.empty()) return false;

  bool shared = false;
  RunWithCom([&] {
    ComPtr<INetSharingManager> manager = CoNetSharingManager::Create();
    ComPtr<INetSharingConfiguration> source;
    ComPtr<INetSharingConfiguration> destination;
    // The enumeration always runs to its end; GUID texts compare exactly.
    ForEachConnection(Required(manager), [&](INetConnection& connection) {
      NetconPropertiesPtr properties = GetProperties(connection);
      if (!properties) return;
      const std::string guid = GUIDToString(properties->guidId);
      if (guid == sourceGuid) {
        source = ConfigurationFor(*manager.get(), connection);
      } else if (guid == destGuid) {
        destination = ConfigurationFor(*manager.get(), connection);
      }
    });
    if (!source || !destination) return;
    // An end that is shared already (either way) is left as it is; nothing
    // is undone when the second end fails.
    if (!SharingEnabled(*source.get())) OleCheck(source->EnableSharing(ICSSHARINGTYPE_PUBLIC));
    if (!SharingEnabled(*destination.get())) OleCheck(destination->EnableSharing(ICSSHARINGTYPE_PRIVATE));
    shared = true;
  });
  return shared;
}

bool TConnectionManager::DisableSharing() {
  return RunWithCom([&] {
    ComPtr<INetSharingManager> manager = CoNetSharingManager::Create();
    // Every connection, shared or not; an error stops the walk where it arose.
    ForEachConnection(Required(manager), [&](INetConnection& connection) {
      OleCheck(ConfigurationFor(*manager.get(), connection)->DisableSharing());
    });
  });
}
