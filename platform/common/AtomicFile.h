// Replacing a file's whole content so that readers and crashes see either the
// old or the new content, never a truncated one, without changing what the
// file is: its mode, its owner, the symbolic link that names it.
#pragma once

#include <filesystem>
#include <string_view>

namespace plat {

// Writes `content` to a temporary file beside the file `path` names, flushes
// it to disk and renames it over that file. A symbolic link is followed: its
// target gets the content and the link stays. The replacement takes the old
// file's mode and owner; a file that did not exist is created readable and
// writable by its owner only.
//
// Refused, with errno set and nothing touched: a file without any write bit
// (EACCES, whoever runs the program: the read-only attribute), a folder
// (EISDIR) or another file that is not a regular file (EACCES).
//
// Where no temporary file can be made beside it (a folder the user may not
// write, a name too long for a suffix) or the old owner cannot be given to
// the replacement, the file is written in place instead.
//
// On failure the result is false, errno tells why and no temporary file is
// left; the old file is untouched unless the failure came while writing in
// place.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace plat
