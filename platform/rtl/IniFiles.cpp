#include "rtl/IniFiles.h"

#include "win32/ProfileText.h"

TMemIniFile::TMemIniFile(std::string fileName)
    : fileName_(std::move(fileName)), profile_(std::make_unique<plat::ProfileText>()) {
  readError_ = plat::readProfileFile(fileName_.c_str(), *profile_);
}

TMemIniFile::~TMemIniFile() = default;

std::string TMemIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) const {
  return profile_->value(section, ident).value_or(defaultValue);
}

void TMemIniFile::SetStrings(std::string_view text) { *profile_ = plat::ProfileText(text); }

void TMemIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
  profile_->setValue(section, ident, value);
}

void TMemIniFile::UpdateFile() {
  DWORD error = readError_;
  if (error == ERROR_SUCCESS || error == ERROR_FILE_NOT_FOUND) error = plat::writeProfileFile(fileName_.c_str(), *profile_);
  if (error != ERROR_SUCCESS) {
    throw EIniFileException("Unable to write to \"" + fileName_ + "\". " + SysErrorMessage(error));
  }
}
