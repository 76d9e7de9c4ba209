#include "sim/SimNetwork.h"

#include <algorithm>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "iphlpapi.h"
#include "machine/HardwareAddress.h"
#include "objbase.h"
#include "sim/SimMachine.h"
#include "store/JsonFields.h"
#include "store/RegistryStore.h"
#include "store/RegistryTree.h"
#include "store/SharingRoles.h"
#include "win32/AsciiCase.h"
#include "win32/TextConversion.h"

namespace plat::sim {
namespace {

using nlohmann::json;

constexpr std::int32_t connected = 2;  // NCS_CONNECTED

const char* const networkClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

// The standard text form of a GUID given in either letter case.
std::string canonicalGuid(const std::string& text) {
  const std::u16string wide(text.begin(), text.end());
  CLSID guid;
  OLECHAR canonical[39];
  if (FAILED(CLSIDFromString(wide.c_str(), &guid)) || StringFromGUID2(guid, canonical, 39) == 0) {
    throw std::runtime_error("\"" + text + "\" is not a GUID in braces");
  }
  return std::string(canonical, canonical + 38);
}

// "00-1A-2B-3C-4D-5E" (or with colons) to bytes; empty text, no bytes.
std::vector<std::uint8_t> hardwareAddress(const std::string& text) {
  auto bytes = parseHardwareAddress(text);
  if (!bytes) throw std::runtime_error("hardware address \"" + text + "\" must be up to 8 hexadecimal byte pairs");
  return std::move(*bytes);
}

// Publishes the "Connection" key of a GUID with the values the scenario
// entry gives: "pnpInstanceId" as PnpInstanceID and "mediaSubType" as
// MediaSubType, in the registry section's value forms (a text is REG_SZ, an
// integer REG_DWORD, {type, hex} any type).
void publishConnectionKey(RegistryStore& registry, const std::string& guid, const json& entry) {
  json values = json::object();
  for (const auto& [field, valueName] : {std::pair{"pnpInstanceId", "PnpInstanceID"}, {"mediaSubType", "MediaSubType"}}) {
    if (auto it = entry.find(field); it != entry.end() && !it->is_null()) values[valueName] = *it;
  }
  if (values.empty()) return;
  const std::string path = std::string(networkClassKey) + guid + "\\Connection";
  const RegistryTree tree = RegistryTree::fromJson(json{{path, values}});
  for (const auto& [name, value] : tree.find(path)->values) registry.publish(path, name, value);
}

InterfaceRow interfaceRow(const json& entry, std::u16string name) {
  InterfaceRow row;
  row.name = std::move(name);
  row.index = requiredIntegerField<std::uint32_t>(entry, "index");
  row.type = integerField(entry, "type", MIB_IF_TYPE_ETHERNET);
  row.mtu = integerField(entry, "mtu", 1500u);
  row.speed = integerField(entry, "speed", 100000000u);
  row.hardwareAddress = hardwareAddress(textField(entry, "mac"));
  row.adminStatus = MIB_IF_ADMIN_STATUS_UP;
  row.operStatus = integerField(entry, "operStatus", MIB_IF_OPER_STATUS_OPERATIONAL);
  row.description = textField(entry, "description");
  return row;
}

InterfaceRow loopbackRow() {
  InterfaceRow row;
  row.index = 1;
  row.type = MIB_IF_TYPE_LOOPBACK;
  row.mtu = 1500;
  row.speed = 10000000;
  row.adminStatus = MIB_IF_ADMIN_STATUS_UP;
  row.operStatus = MIB_IF_OPER_STATUS_OPERATIONAL;
  row.description = "Software Loopback Interface 1";
  return row;
}

// What the sharing service answers when the change could not be kept.
std::int32_t resultOfSave(std::uint32_t error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

const char* roleName(SharingRole role) { return role == SharingRole::publicSide ? "public" : "private"; }

}  // namespace

SimNetwork::SimNetwork(SimMachine& machine, const json& scenario) : machine_(machine) {
  forEachEntry(scenario, "adapters", "adapter", [this](const json& adapter) { addAdapterLocked(adapter); });
  forEachEntry(scenario, "interfaceRows", "interface row",
               [this](const json& row) { appendRow(interfaceRow(row, u"")); });
  appendRow(loopbackRow());

  forEachEntry(scenario, "connections", "connection", [this](const json& entry) {
    Connection connection;
    connection.properties.guid = canonicalGuid(requiredTextField(entry, "guid"));
    if (findConnection(connection.properties.guid)) {
      throw std::runtime_error(connection.properties.guid + " is listed twice");
    }
    connection.properties.name = toUtf16(textField(entry, "name"));
    connection.properties.deviceName = toUtf16(textField(entry, "device"));
    connection.properties.status = integerField(entry, "status", connected);
    connection.properties.mediaType = integerField(entry, "mediaType", 3);  // NCM_LAN
    connection.internet = flagField(entry, "internet", false);
    publishConnectionKey(machine_.simRegistry(), connection.properties.guid, entry);
    connections_.push_back(std::move(connection));
  });

  std::optional<std::filesystem::path> stateFile;
  if (machine_.options().stateDir) stateFile = *machine_.options().stateDir / "sharing.json";
  auto initial = scenario.find("sharing");
  sharing_ = std::make_unique<SharingRoles>(initial == scenario.end() ? json() : *initial, stateFile);
}

SimNetwork::~SimNetwork() = default;

void SimNetwork::addAdapterLocked(const json& entry) {
  NetworkAdapter adapter;
  adapter.name = requiredTextField(entry, "guid");
  adapter.description = textField(entry, "description");
  adapter.index = requiredIntegerField<std::uint32_t>(entry, "index");
  adapter.type = integerField(entry, "type", MIB_IF_TYPE_ETHERNET);
  adapter.hardwareAddress = hardwareAddress(textField(entry, "mac"));
  adapter.dhcpEnabled = flagField(entry, "dhcp", false);
  forEachEntry(entry, "addresses", "address", [&](const json& address) {
    adapter.addresses.push_back({requiredTextField(address, "ip"), textField(address, "mask")});
  });
  forEachEntry(entry, "gateways", "gateway",
               [&](const json& gateway) { adapter.gateways.push_back(textOf(gateway, "a gateway")); });
  adapter.dhcpServer = textField(entry, "dhcpServer");
  if (flagField(entry, "interfaceRow", true)) appendRow(interfaceRow(entry, u"\\DEVICE\\TCPIP_" + toUtf16(adapter.name)));
  publishConnectionKey(machine_.simRegistry(), adapter.name, entry);
  adapters_.push_back(std::move(adapter));
}

void SimNetwork::appendRow(InterfaceRow row) {
  for (const auto& existing : rows_) {
    if (existing.index == row.index) {
      throw std::runtime_error("interface index " + std::to_string(row.index) + " is used twice");
    }
  }
  rows_.push_back(std::move(row));
}

std::vector<NetworkAdapter> SimNetwork::adapters() {
  std::lock_guard lock(mutex_);
  return adapters_;
}

std::vector<InterfaceRow> SimNetwork::interfaceRows() {
  std::lock_guard lock(mutex_);
  return rows_;
}

std::int32_t SimNetwork::openSharingService() {
  std::lock_guard lock(mutex_);
  calls_.push_back("open");
  return serviceFault_;
}

std::vector<std::string> SimNetwork::connectionIds() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> ids;
  for (const auto& connection : connections_) ids.push_back(connection.properties.guid);
  return ids;
}

std::int32_t SimNetwork::connectionProperties(const std::string& guid, ConnectionProperties& properties) {
  std::lock_guard lock(mutex_);
  const Connection* connection = findConnection(guid);
  if (connection == nullptr) return E_INVALIDARG;
  if (auto fault = faultFor(Operation::getProperties, guid)) return fault;
  properties = connection->properties;
  return S_OK;
}

std::int32_t SimNetwork::sharingRole(const std::string& guid, SharingRole& role) {
  std::lock_guard lock(mutex_);
  if (findConnection(guid) == nullptr) return E_INVALIDARG;
  role = sharing_->roleOf(guid);
  return S_OK;
}

std::int32_t SimNetwork::enableSharing(const std::string& guid, SharingRole role) {
  std::lock_guard lock(mutex_);
  if (role == SharingRole::none) return E_INVALIDARG;
  calls_.push_back("enable " + guid + " " + roleName(role));
  const Connection* connection = findConnection(guid);
  if (connection == nullptr) return E_INVALIDARG;
  if (auto fault = faultFor(Operation::enableSharing, guid)) return fault;
  return sharing_->grant(connection->properties.guid, role);
}

std::int32_t SimNetwork::disableSharing(const std::string& guid) {
  std::lock_guard lock(mutex_);
  calls_.push_back("disable " + guid);
  if (findConnection(guid) == nullptr) return E_INVALIDARG;
  if (auto fault = faultFor(Operation::disableSharing, guid)) return fault;
  return resultOfSave(sharing_->clear(guid));
}

bool SimNetwork::reachesInternetDirectly() const {
  std::lock_guard lock(mutex_);
  return std::any_of(connections_.begin(), connections_.end(), [](const Connection& connection) {
    return connection.internet && connection.properties.status == connected;
  });
}

bool SimNetwork::sharesInternetTo(const std::string& guid) const {
  std::lock_guard lock(mutex_);
  const std::string& publicSide = sharing_->holder(SharingRole::publicSide);
  return !guid.empty() && sharing_->roleOf(guid) == SharingRole::privateSide && connectedToInternet(publicSide);
}

std::string SimNetwork::sharedConnection(SharingRole role) const {
  std::lock_guard lock(mutex_);
  return sharing_->holder(role);
}

void SimNetwork::addAdapter(const json& adapter) {
  std::lock_guard lock(mutex_);
  addAdapterLocked(adapter);
}

void SimNetwork::setConnectionStatus(const std::string& guid, std::int32_t status) {
  std::lock_guard lock(mutex_);
  Connection* connection = findConnection(guid);
  if (connection == nullptr) throw std::invalid_argument("no connection " + guid);
  connection->properties.status = status;
}

void SimNetwork::failSharingService(std::int32_t result) {
  std::lock_guard lock(mutex_);
  serviceFault_ = result;
}

void SimNetwork::failGetProperties(const std::string& guid, std::int32_t result) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::getProperties, lowerAscii(guid)}] = result;
}

void SimNetwork::failEnableSharing(const std::string& guid, std::int32_t result) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::enableSharing, lowerAscii(guid)}] = result;
}

void SimNetwork::failDisableSharing(const std::string& guid, std::int32_t result) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::disableSharing, lowerAscii(guid)}] = result;
}

std::vector<std::string> SimNetwork::sharingCalls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

SimNetwork::Connection* SimNetwork::findConnection(const std::string& guid) {
  return const_cast<Connection*>(std::as_const(*this).findConnection(guid));
}

const SimNetwork::Connection* SimNetwork::findConnection(const std::string& guid) const {
  for (const auto& connection : connections_) {
    if (equalsNoCase(connection.properties.guid, guid)) return &connection;
  }
  return nullptr;
}

std::int32_t SimNetwork::faultFor(Operation operation, const std::string& guid) const {
  auto it = faults_.find({operation, lowerAscii(guid)});
  return it == faults_.end() ? 0 : it->second;
}

bool SimNetwork::connectedToInternet(const std::string& guid) const {
  const Connection* connection = findConnection(guid);
  return connection != nullptr && connection->internet && connection->properties.status == connected;
}

}  // namespace plat::sim
