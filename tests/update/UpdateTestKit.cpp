#include "update/UpdateTestKit.h"

#include <elf.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace updatetest {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> crlfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

void writeVersionedFile(const std::filesystem::path& path, std::array<std::uint16_t, 4> version) {
  struct Note {
    std::uint32_t nameSize = 10, descSize = 8, type = 1;
    char name[12] = "Brisklane";
    std::uint16_t parts[4];
  } note;
  std::memcpy(note.parts, version.data(), sizeof note.parts);

  Elf64_Ehdr header{};
  std::memcpy(header.e_ident, ELFMAG, SELFMAG);
  header.e_ident[EI_CLASS] = ELFCLASS64;
  header.e_ident[EI_DATA] = ELFDATA2LSB;
  header.e_ident[EI_VERSION] = EV_CURRENT;
  header.e_type = ET_DYN;
  header.e_machine = EM_X86_64;
  header.e_version = EV_CURRENT;
  header.e_ehsize = sizeof header;
  header.e_shentsize = sizeof(Elf64_Shdr);
  header.e_shnum = 2;
  header.e_shoff = sizeof header + sizeof note;

  Elf64_Shdr sections[2]{};
  sections[1].sh_type = SHT_NOTE;
  sections[1].sh_offset = sizeof header;
  sections[1].sh_size = sizeof note;
  sections[1].sh_addralign = 4;

  std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
  bytes.append(reinterpret_cast<const char*>(&note), sizeof note);
  bytes.append(reinterpret_cast<const char*>(sections), sizeof sections);
  writeFile(path, bytes);
}

void clearNetworkEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                           "no_proxy", "NO_PROXY", "SSL_CERT_FILE"}) {
    unsetenv(name);
  }
}

}  // namespace updatetest
