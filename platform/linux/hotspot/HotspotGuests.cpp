#include "linux/hotspot/HotspotGuests.h"

#include <arpa/inet.h>
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>
#include <unordered_set>

#include "linux/kernel/SystemFiles.h"
#include "machine/HardwareAddress.h"

namespace plat::lnx {
namespace {

constexpr std::size_t ethernetAddressBytes = 6;
constexpr unsigned resolvedFlag = 0x2;  // ATF_COM
// A shared hotspot hands out one /24: 253 leases of some 100 bytes; the
// kernel keeps some thousands of neighbours at most.
constexpr std::size_t leaseFileLimit = 1 << 20;
constexpr std::size_t neighbourTableLimit = 4 << 20;
// A clock set back by more than this is no rewrite going on.
constexpr std::chrono::minutes clockSetBack{1};
constexpr char32_t replacementCharacter = 0xFFFD;

struct AddressHash {
  std::size_t operator()(const std::vector<std::uint8_t>& address) const {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(address.data()), address.size()));
  }
};
using AddressSet = std::unordered_set<std::vector<std::uint8_t>, AddressHash>;

// The complete lines of the text: a last line without its line end is cut off.
std::vector<std::string_view> completeLines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::size_t end; (end = text.find('\n')) != std::string_view::npos; text.remove_prefix(end + 1)) {
    lines.push_back(text.substr(0, end));
  }
  return lines;
}

std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> parts;
  while (true) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) break;
    line.remove_prefix(start);
    const auto end = std::min(line.find_first_of(" \t"), line.size());
    parts.push_back(line.substr(0, end));
    line.remove_prefix(end);
  }
  return parts;
}

bool isIpv4(std::string_view text) {
  in_addr address{};
  return inet_pton(AF_INET, std::string(text).c_str(), &address) == 1;
}

std::optional<std::vector<std::uint8_t>> ethernetAddress(std::string_view text) {
  auto bytes = parseHardwareAddress(text);
  if (!bytes || bytes->size() != ethernetAddressBytes) return std::nullopt;
  if (std::all_of(bytes->begin(), bytes->end(), [](std::uint8_t b) { return b == 0; })) return std::nullopt;
  return bytes;
}

template <class Number>
std::optional<Number> number(std::string_view text, int base = 10) {
  if (base == 16 && text.starts_with("0x")) text.remove_prefix(2);
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string unlessStar(std::string_view text) { return text == "*" ? std::string() : std::string(text); }

std::chrono::system_clock::time_point expiryAt(std::int64_t seconds) {
  using std::chrono::system_clock;
  constexpr auto latest = std::chrono::duration_cast<std::chrono::seconds>(system_clock::duration::max()).count();
  return seconds > latest ? system_clock::time_point::max()
                          : system_clock::time_point(std::chrono::seconds(seconds));
}

// One UTF-8 sequence from text[at]; an invalid byte is consumed alone and
// gives U+FFFD.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  if (lead < 0x80) return lead;
  // The lead byte's marker, how many bytes follow it, and the least code
  // point that needs them (a shorter form would do for less: overlong).
  struct Form {
    unsigned char mask, marker;
    int following;
    char32_t least;
  };
  constexpr Form forms[] = {{0xE0, 0xC0, 1, 0x80}, {0xF0, 0xE0, 2, 0x800}, {0xF8, 0xF0, 3, 0x10000}};
  const auto form = std::find_if(std::begin(forms), std::end(forms),
                                 [&](const Form& f) { return (lead & f.mask) == f.marker; });
  if (form == std::end(forms)) return replacementCharacter;
  char32_t codePoint = lead & static_cast<unsigned char>(~form->mask);
  const char32_t least = form->least;
  std::size_t next = at;
  for (int i = 0; i < form->following; ++i, ++next) {
    if (next >= text.size() || (static_cast<unsigned char>(text[next]) & 0xC0) != 0x80) return replacementCharacter;
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[next]) & 0x3F);
  }
  if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return replacementCharacter;
  }
  at = next;
  return codePoint;
}

// Control characters, direction marks, embeddings, overrides and isolates,
// line and paragraph separators.
bool hidden(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Past an escape sequence that starts at text[at], just after its ESC: a
// CSI ("[" ... final byte), an OSC ("]" ... BEL or ESC "\"), or one byte.
std::size_t pastEscape(std::string_view text, std::size_t at) {
  if (at >= text.size()) return at;
  if (text[at] == '[') {
    while (++at < text.size() && (text[at] < 0x40 || text[at] > 0x7E)) {
    }
    return std::min(at + 1, text.size());
  }
  if (text[at] == ']') {
    for (++at; at < text.size(); ++at) {
      if (text[at] == '\a') return at + 1;
      if (text[at] == '\x1b' && at + 1 < text.size() && text[at + 1] == '\\') return at + 2;
    }
    return at;
  }
  return at + 1;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool settledAt(const std::filesystem::path& file, std::chrono::system_clock::time_point now) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return true;
  const auto changed = std::chrono::system_clock::time_point(
      std::chrono::duration_cast<std::chrono::system_clock::duration>(
          std::chrono::seconds(status.st_mtim.tv_sec) + std::chrono::nanoseconds(status.st_mtim.tv_nsec)));
  return now - changed >= leaseFileSettleTime || changed - now > clockSetBack;
}

}  // namespace

std::vector<DhcpLease> parseDnsmasqLeases(std::string_view text) {
  std::vector<DhcpLease> leases;
  for (const auto line : completeLines(text)) {
    const auto parts = fields(line);
    if (parts.size() != 5) continue;
    const auto expiry = number<std::int64_t>(parts[0]);
    auto hardwareAddress = ethernetAddress(parts[1]);
    if (!expiry || *expiry < 0 || !hardwareAddress || !isIpv4(parts[2])) continue;
    leases.push_back(DhcpLease{expiryAt(*expiry), std::move(*hardwareAddress), std::string(parts[2]),
                               guestName(unlessStar(parts[3])), unlessStar(parts[4])});
  }
  return leases;
}

std::string guestName(std::string_view given) {
  std::string shown;
  for (std::size_t at = 0; at < given.size();) {
    const char32_t c = nextCodePoint(given, at);
    if (c == 0x1B) {
      at = pastEscape(given, at);
    } else if (!hidden(c)) {
      appendUtf8(shown, c);
    }
  }
  return shown;
}

std::vector<Neighbour> parseNeighbourTable(std::string_view text) {
  std::vector<Neighbour> neighbours;
  for (const auto line : completeLines(text)) {
    // IP address, HW type, Flags, HW address, Mask, Device
    const auto parts = fields(line);
    if (parts.size() != 6 || !isIpv4(parts[0])) continue;
    const auto flags = number<unsigned>(parts[2], 16);
    if (!flags) continue;
    const auto hardwareAddress = ethernetAddress(parts[3]);
    neighbours.push_back(Neighbour{std::string(parts[0]), hardwareAddress.value_or(std::vector<std::uint8_t>{}),
                                   std::string(parts[5]), (*flags & resolvedFlag) != 0 && hardwareAddress});
  }
  return neighbours;
}

std::vector<NetworkGuest> joinGuests(const std::vector<DhcpLease>& leases, const std::vector<Neighbour>& neighbours,
                                     const std::string& interfaceName, std::chrono::system_clock::time_point now,
                                     const LeaseHistory& formerlyLeased) {
  std::vector<const Neighbour*> resolved;
  AddressSet resolvedAddresses;
  for (const auto& n : neighbours) {
    if (n.complete && n.device == interfaceName) {
      resolved.push_back(&n);
      resolvedAddresses.insert(n.hardwareAddress);
    }
  }

  std::vector<NetworkGuest> guests;
  AddressSet listed;
  AddressSet leased;
  const std::chrono::system_clock::time_point never{};
  for (const auto& lease : leases) {
    leased.insert(lease.hardwareAddress);
    if ((lease.expiry != never && lease.expiry <= now) || resolvedAddresses.count(lease.hardwareAddress) == 0) continue;
    if (!listed.insert(lease.hardwareAddress).second) continue;  // a second lease of the same device
    guests.push_back(NetworkGuest{lease.hostName, lease.hardwareAddress, lease.ipAddress, 0});
  }
  // A device with a lease that is over or given back, or not yet on the
  // link, is not listed by a neighbour entry the kernel keeps from earlier.
  for (const Neighbour* n : resolved) {
    if (leased.count(n->hardwareAddress) != 0 || formerlyLeased.count(n->hardwareAddress) != 0) continue;
    if (listed.insert(n->hardwareAddress).second) guests.push_back(NetworkGuest{{}, n->hardwareAddress, n->ipAddress, 0});
  }
  return guests;
}

std::filesystem::path leaseFilePath(const std::filesystem::path& root, const std::string& interfaceName) {
  return root / "var/lib/NetworkManager" / ("dnsmasq-" + interfaceName + ".leases");
}

HotspotFiles readHotspotFiles(const std::filesystem::path& root, const std::string& interfaceName,
                              std::chrono::system_clock::time_point now) {
  HotspotFiles files;
  // A kernel interface name never holds a path separator; such a name names no hotspot.
  if (interfaceName.empty() || interfaceName.find('/') != std::string::npos) return files;
  const auto leaseFile = leaseFilePath(root, interfaceName);
  const auto leases = readSystemFile(leaseFile, leaseFileLimit);
  if (!leases) return files;  // no DHCP server of NetworkManager's runs there
  files.leaseFile = true;
  files.settled = settledAt(leaseFile, now);
  files.leases = parseDnsmasqLeases(*leases);
  files.neighbours = parseNeighbourTable(readSystemFile(root / "proc/net/arp", neighbourTableLimit).value_or(""));
  return files;
}

std::vector<NetworkGuest> hotspotGuests(const HotspotFiles& files, const std::string& interfaceName,
                                        std::chrono::system_clock::time_point now, LeaseHistory& history) {
  if (!files.leaseFile) return {};
  for (const auto& lease : files.leases) history.insert(lease.hardwareAddress);
  return joinGuests(files.leases, files.neighbours, interfaceName, now, history);
}

std::vector<NetworkGuest> readHotspotGuests(const std::filesystem::path& root, const std::string& interfaceName,
                                            std::chrono::system_clock::time_point now, LeaseHistory* history) {
  LeaseHistory none;
  return hotspotGuests(readHotspotFiles(root, interfaceName, now), interfaceName, now, history ? *history : none);
}

}  // namespace plat::lnx
