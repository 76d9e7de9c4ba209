// The text of a private-profile (INI) file and Windows' rules for it: section
// and key names compare without case and without surrounding blanks, the
// first of duplicate sections or keys counts, values lose surrounding blanks
// and one pair of enclosing quotes, and a change leaves every other line as
// it was (comments, unknown sections and keys, line ends). The profile
// functions of kernel32 and the runtime's in-memory INI file share it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "windows.h"

namespace plat {

class ProfileText {
 public:
  ProfileText() = default;
  explicit ProfileText(std::string_view content);

  // The value of the key in the section, or none when either is absent.
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

  // Sets the key's value: an existing key line is rewritten with the name as
  // given; a new key goes after the section's last non-blank line; a new
  // section goes at the end.
  void setValue(std::string_view section, std::string_view key, std::string_view value);
  // Remove the key's line, or the section's header and lines; false when
  // there was nothing to remove.
  bool removeKey(std::string_view section, std::string_view key);
  bool removeSection(std::string_view section);

  // The content to save, with the line ends the file had.
  std::string text() const;

 private:
  struct SectionRange {
    std::size_t header;  // index of the "[name]" line
    std::size_t end;     // one past the section's last line
  };
  std::optional<SectionRange> findSection(std::string_view name) const;
  std::optional<std::size_t> findKey(const SectionRange& section, std::string_view name) const;

  std::vector<std::string> lines_;
  std::string newline_ = "\n";
  bool endsWithNewline_ = true;
};

// Reads a profile file whole: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when it does
// not exist (`profile` is then empty), or why it cannot be read. Only regular
// files are read, and opening never waits (a pipe in the file's place is
// refused, not waited on).
DWORD readProfileFile(const char* fileName, ProfileText& profile);

// Saves the profile as the file's whole content (writeFileAtomically):
// ERROR_SUCCESS or why not.
DWORD writeProfileFile(const char* fileName, const ProfileText& profile);

}  // namespace plat
