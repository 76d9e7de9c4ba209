// Included by exactly one file of a test program that runs Qt's D-Bus
// machinery under ThreadSanitizer. Qt, its GLib event loop and libdbus are
// not built with ThreadSanitizer, so it cannot see how they synchronise and
// would report their own memory handling as races. What those libraries do
// themselves is ignored; races in our code are still reported.
#pragma once

#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6DBus.so.6\n"
         "called_from_lib:libdbus-1.so.3\n"
         "called_from_lib:libglib-2.0.so.0\n";
}
#endif
