#include "net/NETCONLib_TLB.h"

ComPtr<INetSharingManager> CoNetSharingManager::Create() {
  ComPtr<IUnknown> object;
  OleCheck(CoCreateInstance(CLSID_NetSharingManager, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                            IID_IUnknown, reinterpret_cast<LPVOID*>(object.put())));
  return QueryInterfaceOrRaise<INetSharingManager>(object.get(), IID_INetSharingManager);
}
