// version.dll stand-ins. On this platform a file's version resource is the ELF
// note "Brisklane" of type 1 that this project's build embeds (four 16-bit
// parts: major, minor, release, build). Any other file has no version
// resource. GetFileVersionInfoA hands it back as a VS_VERSIONINFO block whose
// root value is the fixed file information.
#include <array>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <optional>
#include <vector>

#include <elf.h>

#include "windows.h"

namespace {

constexpr char versionNoteName[] = "Brisklane";
constexpr std::uint32_t versionNoteType = 1;

// VS_VERSIONINFO with its key, padding and the fixed file information.
struct VersionBlock {
  WORD wLength;
  WORD wValueLength;
  WORD wType;
  char16_t szKey[16];
  WORD padding;
  VS_FIXEDFILEINFO value;
};
static_assert(offsetof(VersionBlock, value) == 40);

template <class T>
bool readAt(const std::vector<char>& bytes, std::size_t offset, T& out) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return false;
  std::memcpy(&out, bytes.data() + offset, sizeof(T));
  return true;
}

// Reads `size` bytes at `offset`; an empty block when the file is shorter.
// Only the ELF header, the section table and the note sections are read, so
// a large program costs a few small reads.
std::vector<char> readRange(std::ifstream& in, std::uint64_t offset, std::uint64_t size) {
  constexpr std::uint64_t largestBlock = 1 << 20;
  if (size > largestBlock) return {};
  std::vector<char> block(size);
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  if (!in.read(block.data(), static_cast<std::streamsize>(size))) return {};
  return block;
}

// The four parts from the notes of one note section.
std::optional<std::array<WORD, 4>> findNote(const std::vector<char>& notes) {
  auto align4 = [](std::size_t n) { return (n + 3) & ~std::size_t{3}; };
  std::size_t offset = 0;
  while (offset + 12 <= notes.size()) {
    std::uint32_t nameSize = 0, descSize = 0, type = 0;
    readAt(notes, offset, nameSize);
    readAt(notes, offset + 4, descSize);
    readAt(notes, offset + 8, type);
    const std::size_t name = offset + 12;
    const std::size_t desc = name + align4(nameSize);
    if (desc < name || desc + align4(descSize) > notes.size()) return std::nullopt;
    if (type == versionNoteType && nameSize == sizeof versionNoteName &&
        std::memcmp(notes.data() + name, versionNoteName, sizeof versionNoteName) == 0 && descSize == 8) {
      std::array<WORD, 4> parts{};
      std::memcpy(parts.data(), notes.data() + desc, 8);
      return parts;
    }
    offset = desc + align4(descSize);
  }
  return std::nullopt;
}

template <class Ehdr, class Shdr>
std::optional<std::array<WORD, 4>> findVersion(std::ifstream& in) {
  Ehdr header{};
  if (!readAt(readRange(in, 0, sizeof(Ehdr)), 0, header) || header.e_shentsize != sizeof(Shdr)) return std::nullopt;
  const auto sections = readRange(in, header.e_shoff, std::uint64_t{header.e_shnum} * sizeof(Shdr));
  for (std::size_t i = 0; i < header.e_shnum; ++i) {
    Shdr section{};
    if (!readAt(sections, i * sizeof(Shdr), section)) return std::nullopt;
    if (section.sh_type != SHT_NOTE) continue;
    if (auto parts = findNote(readRange(in, section.sh_offset, section.sh_size))) return parts;
  }
  return std::nullopt;
}

std::optional<std::array<WORD, 4>> fileVersion(LPCSTR fileName) {
  if (fileName == nullptr) return std::nullopt;
  std::ifstream in(fileName, std::ios::binary);
  const auto ident = readRange(in, 0, EI_NIDENT);
  if (ident.size() != EI_NIDENT || std::memcmp(ident.data(), ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB) {
    return std::nullopt;
  }
  if (ident[EI_CLASS] == ELFCLASS64) return findVersion<Elf64_Ehdr, Elf64_Shdr>(in);
  if (ident[EI_CLASS] == ELFCLASS32) return findVersion<Elf32_Ehdr, Elf32_Shdr>(in);
  return std::nullopt;
}

}  // namespace

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  if (!fileVersion(fileName)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return 0;
  }
  return sizeof(VersionBlock);
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR fileName, DWORD /*handle*/, DWORD length, LPVOID data) {
  auto parts = fileVersion(fileName);
  if (!parts) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return FALSE;
  }
  if (data == nullptr || length < sizeof(VersionBlock)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  VersionBlock block{};
  block.wLength = sizeof(VersionBlock);
  block.wValueLength = sizeof(VS_FIXEDFILEINFO);
  const char16_t key[] = u"VS_VERSION_INFO";
  std::memcpy(block.szKey, key, sizeof key);
  block.value.dwSignature = VS_FFI_SIGNATURE;
  block.value.dwStrucVersion = 0x00010000;
  block.value.dwFileVersionMS = (DWORD{(*parts)[0]} << 16) | (*parts)[1];
  block.value.dwFileVersionLS = (DWORD{(*parts)[2]} << 16) | (*parts)[3];
  block.value.dwProductVersionMS = block.value.dwFileVersionMS;
  block.value.dwProductVersionLS = block.value.dwFileVersionLS;
  std::memcpy(data, &block, sizeof block);
  return TRUE;
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length) {
  if (block == nullptr || subBlock == nullptr || buffer == nullptr || std::strcmp(subBlock, "\\") != 0) {
    return FALSE;
  }
  auto* info = static_cast<const VersionBlock*>(block);
  if (info->wLength != sizeof(VersionBlock) || info->value.dwSignature != VS_FFI_SIGNATURE) return FALSE;
  *buffer = const_cast<VS_FIXEDFILEINFO*>(&info->value);
  if (length) *length = sizeof(VS_FIXEDFILEINFO);
  return TRUE;
}
