// hnetcfg / netshell stand-ins: the objects of the class NetSharingManager
// and the release of connection properties. Each object keeps the machine
// it was made on alive, so that an interface outliving a machine change
// still talks to the machine that made it.
#include "win32/hnetcfg_sharing.h"

#include <atomic>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "machine/Machine.h"
#include "machine/NetworkBackend.h"
#include "netcon.h"
#include "rtl/Utf16.h"
#include "win32/MachineCodes.h"

namespace plat {
namespace {

// Counting and QueryInterface for an object that answers one interface, the
// interfaces it derives from, and nothing else.
template <class Interface, const IID& InterfaceId>
class ComObject : public Interface {
 public:
  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == InterfaceId || (std::is_base_of_v<IDispatch, Interface> && iid == IID_IDispatch)) {
      AddRef();
      *object = static_cast<Interface*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++count_; }
  ULONG WINAPI Release() override {
    ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  explicit ComObject(std::shared_ptr<Machine> machine) : machine_(std::move(machine)) {}
  virtual ~ComObject() = default;
  NetworkBackend& network() const { return machine_->network(); }
  const std::shared_ptr<Machine>& machine() const { return machine_; }

 private:
  std::atomic<ULONG> count_{1};  // the creator's reference
  std::shared_ptr<Machine> machine_;
};

LPWSTR taskMemText(const std::string& utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
  if (copy != nullptr) std::char_traits<WCHAR>::copy(copy, text.c_str(), text.size() + 1);
  return copy;
}

class NetConnection final : public ComObject<INetConnection, IID_INetConnection> {
 public:
  NetConnection(std::shared_ptr<Machine> machine, std::string guid)
      : ComObject(std::move(machine)), guid_(std::move(guid)) {}

  const std::string& guid() const { return guid_; }

  HRESULT WINAPI GetProperties(NETCON_PROPERTIES** properties) override {
    if (properties == nullptr) return E_POINTER;
    *properties = nullptr;
    ConnectionProperties found;
    if (HRESULT hr = sharingResultCode(network().connectionProperties(guid_, found)); FAILED(hr)) return hr;

    auto* block = static_cast<NETCON_PROPERTIES*>(CoTaskMemAlloc(sizeof(NETCON_PROPERTIES)));
    if (block == nullptr) return E_OUTOFMEMORY;
    std::memset(block, 0, sizeof(NETCON_PROPERTIES));
    const std::u16string guidText(found.guid.begin(), found.guid.end());
    block->pszwName = taskMemText(found.name);
    block->pszwDeviceName = taskMemText(found.deviceName);
    if (block->pszwName == nullptr || block->pszwDeviceName == nullptr ||
        FAILED(CLSIDFromString(guidText.c_str(), &block->guidId))) {
      NcFreeNetconProperties(block);
      return E_OUTOFMEMORY;
    }
    block->Status = connectionStatusCode(found.status);
    block->MediaType = mediaTypeCode(found.medium);
    *properties = block;
    return S_OK;
  }

 private:
  std::string guid_;
};

class SharingConfiguration final : public ComObject<INetSharingConfiguration, IID_INetSharingConfiguration> {
 public:
  SharingConfiguration(std::shared_ptr<Machine> machine, std::string guid)
      : ComObject(std::move(machine)), guid_(std::move(guid)) {}

  HRESULT WINAPI get_SharingEnabled(VARIANT_BOOL* enabled) override {
    if (enabled == nullptr) return E_POINTER;
    SharingRole role = SharingRole::none;
    if (HRESULT hr = sharingResultCode(network().sharingRole(guid_, role)); FAILED(hr)) return hr;
    *enabled = role == SharingRole::none ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
  }

  HRESULT WINAPI DisableSharing() override { return sharingResultCode(network().disableSharing(guid_)); }

  HRESULT WINAPI EnableSharing(SHARINGCONNECTIONTYPE type) override {
    if (type == ICSSHARINGTYPE_PUBLIC) return sharingResultCode(network().enableSharing(guid_, SharingRole::publicSide));
    if (type == ICSSHARINGTYPE_PRIVATE) return sharingResultCode(network().enableSharing(guid_, SharingRole::privateSide));
    return E_INVALIDARG;
  }

 private:
  std::string guid_;
};

// Hands out the connections named when the enumerator was made, one new
// connection object per item, as interface variants.
class ConnectionEnumerator final : public ComObject<IEnumVARIANT, IID_IEnumVARIANT> {
 public:
  ConnectionEnumerator(std::shared_ptr<Machine> machine, std::vector<std::string> guids)
      : ComObject(std::move(machine)), guids_(std::move(guids)) {}

  HRESULT WINAPI Next(ULONG count, VARIANT* items, ULONG* fetched) override {
    if (items == nullptr || (fetched == nullptr && count != 1)) return E_POINTER;
    ULONG handed = 0;
    while (handed < count && next_ < guids_.size()) {
      VARIANT& item = items[handed++];
      VariantInit(&item);
      item.vt = VT_UNKNOWN;
      item.punkVal = new NetConnection(machine(), guids_[next_++]);
    }
    if (fetched != nullptr) *fetched = handed;
    return handed == count ? S_OK : S_FALSE;
  }

 private:
  std::vector<std::string> guids_;
  std::size_t next_ = 0;
};

class EveryConnectionCollection final
    : public ComObject<INetSharingEveryConnectionCollection, IID_INetSharingEveryConnectionCollection> {
 public:
  explicit EveryConnectionCollection(std::shared_ptr<Machine> machine) : ComObject(std::move(machine)) {}

  HRESULT WINAPI get__NewEnum(IUnknown** enumerator) override {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = new ConnectionEnumerator(machine(), network().connectionIds());
    return S_OK;
  }
};

class NetSharingManager final : public ComObject<INetSharingManager, IID_INetSharingManager> {
 public:
  explicit NetSharingManager(std::shared_ptr<Machine> machine) : ComObject(std::move(machine)) {}

  HRESULT WINAPI get_EnumEveryConnection(INetSharingEveryConnectionCollection** connections) override {
    if (connections == nullptr) return E_POINTER;
    *connections = new EveryConnectionCollection(machine());
    return S_OK;
  }

  // Answers only for connections this class handed out.
  HRESULT WINAPI get_INetSharingConfigurationForINetConnection(INetConnection* connection,
                                                               INetSharingConfiguration** configuration) override {
    if (configuration == nullptr) return E_POINTER;
    *configuration = nullptr;
    auto* ours = dynamic_cast<NetConnection*>(connection);
    if (ours == nullptr) return E_INVALIDARG;
    *configuration = new SharingConfiguration(machine(), ours->guid());
    return S_OK;
  }
};

}  // namespace

HRESULT createNetSharingManager(REFIID iid, void** object) {
  auto current = currentMachine();
  if (HRESULT hr = sharingResultCode(current->network().openSharingService()); FAILED(hr)) return hr;
  auto* manager = new NetSharingManager(std::move(current));
  HRESULT hr = manager->QueryInterface(iid, object);
  manager->Release();
  return hr;
}

}  // namespace plat

void WINAPI NcFreeNetconProperties(NETCON_PROPERTIES* properties) {
  if (properties == nullptr) return;
  CoTaskMemFree(properties->pszwName);
  CoTaskMemFree(properties->pszwDeviceName);
  CoTaskMemFree(properties);
}
