// The runtime's in-memory INI file: the file is read whole once, read and
// changed in memory, and written whole once, with the rules of the platform's
// private-profile functions (names compare without case, the first of
// duplicates counts, every line the program does not change survives).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "SysUtils.h"

namespace plat {
class ProfileText;
}

// "Unable to write to "<file>". <reason>".
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

class TMemIniFile {
 public:
  // Reads the file now. A file that is missing or cannot be read reads as
  // empty, as the private-profile functions read it.
  explicit TMemIniFile(std::string fileName);
  ~TMemIniFile();
  TMemIniFile(const TMemIniFile&) = delete;
  TMemIniFile& operator=(const TMemIniFile&) = delete;

  const std::string& FileName() const { return fileName_; }

  // Replaces what the file held, in memory, by the lines of `text`: for INI
  // text that is not a file of its own (an encoded file, once decoded).
  void SetStrings(std::string_view text);

  // The key's value without surrounding blanks and one pair of enclosing
  // quotes; `defaultValue` when the section or the key is absent.
  std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue) const;

  // Sets the key in memory: an existing key in place, a new key at the end
  // of its section, a new section at the end of the file.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);

  // Writes the file whole (created when missing). Raises EIniFileException
  // when it cannot be written, and also when it existed but could not be
  // read: writing it would lose what it holds.
  void UpdateFile();

 private:
  std::string fileName_;
  std::unique_ptr<plat::ProfileText> profile_;
  DWORD readError_;  // ERROR_SUCCESS or ERROR_FILE_NOT_FOUND when the file may be written
};
