// The COM stand-ins and the sharing manager class: thread initialisation,
// creation, interface queries and counts, the enumerator, connection
// properties and sharing configurations over a simulated machine.
#include <gtest/gtest.h>

#include <thread>

#include "net/NETCONLib_TLB.h"
#include "net/NetTestSupport.h"
#include "rtl/ComObj.h"
#include "sim/SimNetwork.h"
#include "testkit/SimMachineBuilder.h"

namespace {

using nettest::Connection;
using nettest::Guid;

// What enabling fails with when another connection holds the role:
// ERROR_ALREADY_EXISTS.
constexpr HRESULT roleTaken = HRESULT_FROM_WIN32(183);

constexpr DWORD Context = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

HRESULT CreateManager(REFIID iid, void** object) {
  return CoCreateInstance(CLSID_NetSharingManager, nullptr, Context, iid, object);
}

// Runs `body` on a thread of its own, which starts without COM.
template <class Body>
void OnFreshThread(Body body) {
  std::thread(body).join();
}

TEST(ComRuntime, InitialisationIsCountedPerThread) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scope(machine);
  OnFreshThread([] {
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateManager(IID_IUnknown, reinterpret_cast<void**>(&object)), CO_E_NOTINITIALIZED);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoInitialize(reinterpret_cast<LPVOID>(1)), E_INVALIDARG);
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    ASSERT_EQ(CreateManager(IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK) << "one initialisation is left";
    object->Release();
    OnFreshThread([] {
      IUnknown* other = nullptr;
      EXPECT_EQ(CreateManager(IID_IUnknown, reinterpret_cast<void**>(&other)), CO_E_NOTINITIALIZED)
          << "another thread has its own count";
    });
    CoUninitialize();
    EXPECT_EQ(CreateManager(IID_IUnknown, reinterpret_cast<void**>(&object)), CO_E_NOTINITIALIZED);
    CoUninitialize();  // one too many changes nothing
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    CoUninitialize();
  });
}

TEST(ComRuntime, OnlyTheSharingManagerClassIsServed) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scope(machine);
  OnFreshThread([] {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    const CLSID other = {0x88D96A05, 0xF192, 0x11D4, {0xA6, 0x5F, 0x00, 0x40, 0x96, 0x32, 0x51, 0xE5}};
    EXPECT_EQ(CoCreateInstance(other, nullptr, Context, IID_IUnknown, reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(CoCreateInstance(CLSID_NetSharingManager, nullptr, 0x10, IID_IUnknown, reinterpret_cast<void**>(&object)),
              REGDB_E_CLASSNOTREG)
        << "a remote server only";
    EXPECT_EQ(CoCreateInstance(CLSID_NetSharingManager, reinterpret_cast<IUnknown*>(8), Context, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CreateManager(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(CreateManager(IID_INetConnection, reinterpret_cast<void**>(&object)), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    CoUninitialize();
  });
}

TEST(ComRuntime, GuidTextForms) {
  const GUID guid = {0x5C63C1AD, 0x3956, 0x4FF8, {0x84, 0x86, 0x40, 0x03, 0x47, 0x58, 0x31, 0x5B}};
  OLECHAR text[39];
  EXPECT_EQ(StringFromGUID2(guid, text, 38), 0);
  ASSERT_EQ(StringFromGUID2(guid, text, 39), 39);
  EXPECT_EQ(std::u16string(text), u"{5C63C1AD-3956-4FF8-8486-40034758315B}");
  EXPECT_EQ(GUIDToString(guid), "{5C63C1AD-3956-4FF8-8486-40034758315B}");

  LPOLESTR allocated = nullptr;
  ASSERT_EQ(StringFromCLSID(guid, &allocated), S_OK);
  EXPECT_EQ(std::u16string(allocated), u"{5C63C1AD-3956-4FF8-8486-40034758315B}");
  CoTaskMemFree(allocated);

  CLSID parsed{};
  ASSERT_EQ(CLSIDFromString(u"{5c63c1ad-3956-4ff8-8486-40034758315b}", &parsed), S_OK);
  EXPECT_TRUE(parsed == guid);
  const char16_t* malformed[] = {u"",
                                 u"5C63C1AD-3956-4FF8-8486-40034758315B",
                                 u"{5C63C1AD-3956-4FF8-8486-40034758315B",
                                 u"{5C63C1AD-3956-4FF8-8486-40034758315B}x",
                                 u"{5C63C1AD:3956-4FF8-8486-40034758315B}",
                                 u"{5C63C1AG-3956-4FF8-8486-40034758315B}",
                                 u"{5C63C1AD-3956-4FF8-8486-40034758315 }"};
  for (const char16_t* text : malformed) {
    EXPECT_EQ(CLSIDFromString(text, &parsed), CO_E_CLASSSTRING) << std::string(text, text + std::char_traits<char16_t>::length(text));
  }
}

TEST(ComRuntime, OleErrorsCarryTheirResult) {
  EXPECT_EQ(OleCheck(S_FALSE), S_FALSE);
  try {
    OleCheck(E_FAIL);
    FAIL() << "no error raised";
  } catch (const EOleSysError& e) {
    EXPECT_EQ(e.ErrorCode, E_FAIL);
    EXPECT_STREQ(e.what(), "OLE error 80004005");
  }
}

class SharingClassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    ASSERT_EQ(CreateManager(IID_INetSharingManager, reinterpret_cast<void**>(manager_.put())), S_OK);
  }
  void TearDown() override {
    manager_.reset();
    CoUninitialize();
  }

  // Every connection the manager enumerates, in order.
  std::vector<ComPtr<INetConnection>> connections() {
    ComPtr<INetSharingEveryConnectionCollection> collection;
    EXPECT_EQ(manager_->get_EnumEveryConnection(collection.put()), S_OK);
    ComPtr<IUnknown> enumObject;
    EXPECT_EQ(collection->get__NewEnum(enumObject.put()), S_OK);
    auto enumerator = QueryInterfaceOrRaise<IEnumVARIANT>(enumObject.get(), IID_IEnumVARIANT);
    std::vector<ComPtr<INetConnection>> found;
    OleVariant item;
    ULONG fetched = 0;
    while (enumerator->Next(1, item.put(), &fetched) == S_OK) {
      found.push_back(QueryInterfaceOrRaise<INetConnection>(item.unknown(), IID_INetConnection));
    }
    return found;
  }

  ComPtr<INetSharingConfiguration> configuration(INetConnection* connection) {
    ComPtr<INetSharingConfiguration> result;
    EXPECT_EQ(manager_->get_INetSharingConfigurationForINetConnection(connection, result.put()), S_OK);
    return result;
  }

  std::shared_ptr<plat::sim::SimMachine> machine_ =
      testkit::SimMachineBuilder()
          .section("connections", {Connection(Guid(1), "Local Area Connection"),
                                   Connection(Guid(2), "Drahtlose Netzwerkverbindung \u00e4", {{"status", 7}, {"mediaType", 3}}),
                                   Connection(Guid(3), "Dial-up", {{"mediaType", 4}, {"status", 0}})})
          .build();
  testkit::ScopedMachine scope_{machine_};
  ComPtr<INetSharingManager> manager_;
};

TEST_F(SharingClassTest, ObjectsAnswerTheirInterfacesAndCountReferences) {
  void* answer = nullptr;
  for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_INetSharingManager}) {
    ASSERT_EQ(manager_->QueryInterface(*iid, &answer), S_OK);
    static_cast<IUnknown*>(answer)->Release();
  }
  EXPECT_EQ(manager_->QueryInterface(IID_IEnumVARIANT, &answer), E_NOINTERFACE);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(manager_->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(manager_->AddRef(), 2u);
  EXPECT_EQ(manager_->Release(), 1u);

  auto all = connections();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0]->QueryInterface(IID_IDispatch, &answer), E_NOINTERFACE) << "a connection is not a dual interface";
  ComPtr<INetSharingConfiguration> config = configuration(all[0].get());
  ASSERT_TRUE(config);
  EXPECT_EQ(config->QueryInterface(IID_INetConnection, &answer), E_NOINTERFACE);
}

TEST_F(SharingClassTest, EnumeratorHandsOutConnectionsInOrder) {
  ComPtr<INetSharingEveryConnectionCollection> collection;
  ASSERT_EQ(manager_->get_EnumEveryConnection(collection.put()), S_OK);
  ComPtr<IUnknown> enumObject;
  ASSERT_EQ(collection->get__NewEnum(enumObject.put()), S_OK);
  auto enumerator = QueryInterfaceOrRaise<IEnumVARIANT>(enumObject.get(), IID_IEnumVARIANT);

  VARIANT items[3];
  for (auto& item : items) VariantInit(&item);
  ULONG fetched = 99;
  EXPECT_EQ(enumerator->Next(2, items, nullptr), E_POINTER) << "several items need a fetched count";
  ASSERT_EQ(enumerator->Next(1, items, &fetched), S_OK);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(items[0].vt, VT_UNKNOWN);
  EXPECT_EQ(VariantClear(&items[0]), S_OK);
  EXPECT_EQ(items[0].vt, VT_EMPTY);
  ASSERT_EQ(enumerator->Next(3, items, &fetched), S_FALSE) << "only two were left";
  EXPECT_EQ(fetched, 2u);
  for (int i = 0; i < 2; ++i) {
    auto connection = QueryInterfaceOrRaise<INetConnection>(items[i].punkVal, IID_INetConnection);
    NETCON_PROPERTIES* properties = nullptr;
    ASSERT_EQ(connection->GetProperties(&properties), S_OK);
    EXPECT_EQ(GUIDToString(properties->guidId), Guid(2 + i));
    NcFreeNetconProperties(properties);
    VariantClear(&items[i]);
  }
  EXPECT_EQ(enumerator->Next(1, items, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);

  VARIANT number;
  VariantInit(&number);
  number.vt = 8;  // VT_BSTR: not a kind this platform hands out
  EXPECT_EQ(VariantClear(&number), E_INVALIDARG);
}

TEST_F(SharingClassTest, PropertiesDescribeTheConnectionAndBelongToTheCaller) {
  auto all = connections();
  ASSERT_EQ(all.size(), 3u);
  NETCON_PROPERTIES* properties = nullptr;
  EXPECT_EQ(all[1]->GetProperties(nullptr), E_POINTER);
  ASSERT_EQ(all[1]->GetProperties(&properties), S_OK);
  EXPECT_EQ(GUIDToString(properties->guidId), Guid(2));
  EXPECT_EQ(std::u16string(properties->pszwName), u"Drahtlose Netzwerkverbindung \u00e4");
  EXPECT_EQ(std::u16string(properties->pszwDeviceName), u"Drahtlose Netzwerkverbindung \u00e4 device");
  EXPECT_EQ(properties->Status, NCS_MEDIA_DISCONNECTED);
  EXPECT_EQ(properties->MediaType, NCM_LAN);
  NcFreeNetconProperties(properties);
  NcFreeNetconProperties(nullptr);

  machine_->simNetwork().failGetProperties(Guid(3), plat::SharingStatus::AccessDenied);
  properties = reinterpret_cast<NETCON_PROPERTIES*>(8);
  EXPECT_EQ(all[2]->GetProperties(&properties), E_ACCESSDENIED);
  EXPECT_EQ(properties, nullptr);
  machine_->simNetwork().failGetProperties(Guid(3), plat::SharingStatus::Ok);
  ASSERT_EQ(all[2]->GetProperties(&properties), S_OK);
  EXPECT_EQ(properties->Status, NCS_DISCONNECTED);
  NcFreeNetconProperties(properties);
}

TEST_F(SharingClassTest, OneConnectionPerSharingRole) {
  auto all = connections();
  auto first = configuration(all[0].get());
  auto second = configuration(all[1].get());
  auto third = configuration(all[2].get());
  VARIANT_BOOL enabled = VARIANT_TRUE;
  ASSERT_EQ(first->get_SharingEnabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_FALSE);

  EXPECT_EQ(first->EnableSharing(ICSSHARINGTYPE_PUBLIC), S_OK);
  EXPECT_EQ(first->EnableSharing(ICSSHARINGTYPE_PUBLIC), S_OK) << "asking again changes nothing";
  EXPECT_EQ(second->EnableSharing(ICSSHARINGTYPE_PUBLIC), roleTaken);
  EXPECT_EQ(first->EnableSharing(ICSSHARINGTYPE_PRIVATE), roleTaken)
      << "a connection holds one role";
  EXPECT_EQ(second->EnableSharing(ICSSHARINGTYPE_PRIVATE), S_OK);
  EXPECT_EQ(third->EnableSharing(ICSSHARINGTYPE_PRIVATE), roleTaken);
  EXPECT_EQ(third->EnableSharing(2), E_INVALIDARG);
  ASSERT_EQ(second->get_SharingEnabled(&enabled), S_OK);
  EXPECT_EQ(enabled, VARIANT_TRUE);
  EXPECT_EQ(machine_->simNetwork().sharedConnection(plat::SharingRole::publicSide), Guid(1));
  EXPECT_EQ(machine_->simNetwork().sharedConnection(plat::SharingRole::privateSide), Guid(2));

  EXPECT_EQ(second->DisableSharing(), S_OK);
  EXPECT_EQ(third->DisableSharing(), S_OK) << "an unshared connection may be disabled too";
  EXPECT_EQ(third->EnableSharing(ICSSHARINGTYPE_PRIVATE), S_OK);
  EXPECT_EQ(machine_->simNetwork().sharedConnection(plat::SharingRole::privateSide), Guid(3));
}

TEST_F(SharingClassTest, InjectedSharingFaultsAreReturned) {
  auto all = connections();
  auto first = configuration(all[0].get());
  machine_->simNetwork().failEnableSharing(Guid(1), plat::SharingStatus::AccessDenied);
  machine_->simNetwork().failDisableSharing(Guid(1), plat::SharingStatus::Failed);
  EXPECT_EQ(first->EnableSharing(ICSSHARINGTYPE_PUBLIC), E_ACCESSDENIED);
  EXPECT_EQ(first->DisableSharing(), E_FAIL);
  EXPECT_EQ(machine_->simNetwork().sharedConnection(plat::SharingRole::publicSide), "");
}

TEST_F(SharingClassTest, ConfigurationNeedsAConnectionOfThisClass) {
  ComPtr<INetSharingConfiguration> result;
  EXPECT_EQ(manager_->get_INetSharingConfigurationForINetConnection(nullptr, result.put()), E_INVALIDARG);
  EXPECT_FALSE(result);
  auto all = connections();
  EXPECT_EQ(manager_->get_INetSharingConfigurationForINetConnection(all[0].get(), nullptr), E_POINTER);
}

TEST(SharingService, UnavailableServiceFailsCreation) {
  auto machine = testkit::SimMachineBuilder().build();
  testkit::ScopedMachine scope(machine);
  machine->simNetwork().failSharingService(plat::SharingStatus::ServiceDisabled);
  OnFreshThread([] {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    IUnknown* object = nullptr;
    EXPECT_EQ(CreateManager(IID_IUnknown, reinterpret_cast<void**>(&object)), HRESULT_FROM_WIN32(1058));
    EXPECT_EQ(object, nullptr);
    try {
      CoNetSharingManager::Create();
      ADD_FAILURE() << "no error raised";
    } catch (const EOleSysError& e) {
      EXPECT_EQ(e.ErrorCode, HRESULT_FROM_WIN32(1058));
      EXPECT_STREQ(e.what(), "OLE error 80070422");
    }
    CoUninitialize();
  });
  EXPECT_EQ(machine->simNetwork().sharingCalls(), std::vector<std::string>({"open", "open"}));
}

}  // namespace
