// shell32 stand-in: the desktop opens what the program hands it.
#include <cstring>

#include "machine/Machine.h"
#include "machine/SystemBackend.h"
#include "shellapi.h"

HINSTANCE WINAPI ShellExecuteA(HWND /*window*/, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR /*directory*/, int /*showCommand*/) {
  auto result = [](std::uintptr_t code) { return reinterpret_cast<HINSTANCE>(code); };
  const bool openVerb = operation == nullptr || std::strcmp(operation, "open") == 0;
  if (!openVerb || file == nullptr || *file == '\0' || (parameters != nullptr && *parameters != '\0')) {
    return result(SE_ERR_NOASSOC);
  }
  return result(plat::machine().system().openWithDesktop(file) ? 42 : SE_ERR_NOASSOC);
}
