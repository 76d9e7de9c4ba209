// The repair of the Windows XP wireless service: makes sure that "wzcsvc"
// runs and is in charge of the wireless interface (the flag 0x8000 of the
// first interface's "ControlFlags"), restarting it when needed.
#pragma once

#include "service/ServiceControl.h"

class TWifiServiceRepair {
 public:
  TWifiServiceRepair();

  // True when the service does not run, or else when the interface flag is
  // missing; the registry is read only when the service runs.
  bool NeedsServiceStart();
  // True when the first wireless interface's "ControlFlags" lacks 0x8000;
  // false when the interfaces key, a subkey or its key cannot be opened.
  bool InterfaceFlagMissing();
  // Sets 0x8000 in the first interface's "ControlFlags"; false when the key
  // cannot be found or opened.
  bool SetInterfaceFlag();
  // Stops the service, sets the flag and starts the service again (also when
  // setting the flag raised); the result is that of SetInterfaceFlag, whatever
  // the stop and the start gave.
  bool RestartService();

  // Service control errors (EOSError) and registry value errors
  // (ERegistryException) pass on to the caller. One raised by the stop comes
  // before anything was changed.

 private:
  TServiceControl FServiceControl;
};
