// System helpers: the operating system tag, a file's version text, the
// autorun entry under the machine-wide Run key, and the release of a list's
// objects. None keeps state; all run on any thread.
#pragma once

#include <string>

#include "util/ObjectList.h"

// "win2000", "winxp", "win2003", "vista", "win7" or empty, with "64" appended
// on a 64-bit system. Never raises.
std::string GetWindowsVersionTag();

// "major.minor.release.build" of the file's version, or empty. Never raises.
std::string GetFileVersionString(const std::string& fileName);

// Writes the autorun value (the program's path) under the Run key. Nothing
// happens when the key cannot be opened; raises ERegistryException
// "Failed to set data for '<valueName>'" when it opened but the write failed.
void AddAutoRun(const std::string& programPath, const std::string& valueName);

// Deletes the autorun value; reports nothing.
void RemoveAutoRun(const std::string& valueName);

extern const char* const AutoRunKey;

// Destroys every object the list holds, leaving its entries and texts.
template <class T>
void FreeListObjects(TObjectList<T>* list) {
  if (list == nullptr) return;
  for (auto& entry : *list) entry.object.reset();
}
