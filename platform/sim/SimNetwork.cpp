#include "sim/SimNetwork.h"

#include <algorithm>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "common/AsciiCase.h"
#include "common/Guid.h"
#include "machine/HardwareAddress.h"
#include "sim/SimMachine.h"
#include "store/JsonFields.h"
#include "store/RegistryStore.h"
#include "store/RegistryTree.h"
#include "store/SharingRoles.h"

namespace plat::sim {
namespace {

using nlohmann::json;

const char* const networkClassKey =
    "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\";

// The standard text form of a GUID given in either letter case.
std::string canonicalGuid(const std::string& text) {
  auto canonical = canonicalGuidText(text);
  if (!canonical) throw std::runtime_error("\"" + text + "\" is not a GUID in braces");
  return std::move(*canonical);
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

// A scenario numbers interface types and states as the machine interface does.
InterfaceType interfaceType(const json& entry) {
  return static_cast<InterfaceType>(integerField(entry, "type", static_cast<std::uint32_t>(InterfaceType::Ethernet)));
}

InterfaceRow interfaceRow(const json& entry, std::string name) {
  InterfaceRow row;
  row.name = std::move(name);
  row.index = requiredIntegerField<std::uint32_t>(entry, "index");
  row.type = interfaceType(entry);
  row.mtu = integerField(entry, "mtu", 1500u);
  row.speed = integerField(entry, "speed", 100000000u);
  row.hardwareAddress = hardwareAddress(textField(entry, "mac"));
  row.state = static_cast<LinkState>(integerField(entry, "operStatus", static_cast<std::uint32_t>(LinkState::Operational)));
  row.description = textField(entry, "description");
  return row;
}

InterfaceRow loopbackRow() {
  InterfaceRow row;
  row.index = 1;
  row.type = InterfaceType::Loopback;
  row.mtu = 1500;
  row.speed = 10000000;
  row.state = LinkState::Operational;
  row.description = "Software Loopback Interface 1";
  return row;
}


const char* roleName(SharingRole role) { return role == SharingRole::publicSide ? "public" : "private"; }

}  // namespace

SimNetwork::SimNetwork(SimMachine& machine, const json& scenario) : machine_(machine) {
  forEachEntry(scenario, "adapters", "adapter", [this](const json& adapter) { addAdapterLocked(adapter); });
  forEachEntry(scenario, "interfaceRows", "interface row",
               [this](const json& row) { appendRow(interfaceRow(row, "")); });
  appendRow(loopbackRow());

  forEachEntry(scenario, "connections", "connection", [this](const json& entry) {
    Connection connection;
    connection.properties.guid = canonicalGuid(requiredTextField(entry, "guid"));
    if (findConnection(connection.properties.guid)) {
      throw std::runtime_error(connection.properties.guid + " is listed twice");
    }
    connection.properties.name = textField(entry, "name");
    connection.properties.deviceName = textField(entry, "device");
    connection.properties.status = static_cast<ConnectionStatus>(
        integerField(entry, "status", static_cast<std::int32_t>(ConnectionStatus::Connected)));
    connection.properties.medium =
        static_cast<ConnectionMedium>(integerField(entry, "mediaType", static_cast<std::int32_t>(ConnectionMedium::Lan)));
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
  adapter.type = interfaceType(entry);
  adapter.hardwareAddress = hardwareAddress(textField(entry, "mac"));
  adapter.dhcpEnabled = flagField(entry, "dhcp", false);
  forEachEntry(entry, "addresses", "address", [&](const json& address) {
    adapter.addresses.push_back({requiredTextField(address, "ip"), textField(address, "mask")});
  });
  forEachEntry(entry, "gateways", "gateway",
               [&](const json& gateway) { adapter.gateways.push_back(textOf(gateway, "a gateway")); });
  adapter.dhcpServer = textField(entry, "dhcpServer");
  if (flagField(entry, "interfaceRow", true)) appendRow(interfaceRow(entry, "\\DEVICE\\TCPIP_" + adapter.name));
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

SharingResult SimNetwork::openSharingService() {
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

SharingResult SimNetwork::connectionProperties(const std::string& guid, ConnectionProperties& properties) {
  std::lock_guard lock(mutex_);
  const Connection* connection = findConnection(guid);
  if (connection == nullptr) return SharingStatus::NoSuchConnection;
  if (auto fault = faultFor(Operation::getProperties, guid); fault != SharingStatus::Ok) return fault;
  properties = connection->properties;
  return SharingStatus::Ok;
}

SharingResult SimNetwork::sharingRole(const std::string& guid, SharingRole& role) {
  std::lock_guard lock(mutex_);
  if (findConnection(guid) == nullptr) return SharingStatus::NoSuchConnection;
  role = sharing_->roleOf(guid);
  return SharingStatus::Ok;
}

SharingResult SimNetwork::enableSharing(const std::string& guid, SharingRole role) {
  std::lock_guard lock(mutex_);
  if (role == SharingRole::none) return SharingStatus::NoRole;
  calls_.push_back("enable " + guid + " " + roleName(role));
  const Connection* connection = findConnection(guid);
  if (connection == nullptr) return SharingStatus::NoSuchConnection;
  if (auto fault = faultFor(Operation::enableSharing, guid); fault != SharingStatus::Ok) return fault;
  return sharing_->grant(connection->properties.guid, role);
}

SharingResult SimNetwork::disableSharing(const std::string& guid) {
  std::lock_guard lock(mutex_);
  calls_.push_back("disable " + guid);
  if (findConnection(guid) == nullptr) return SharingStatus::NoSuchConnection;
  if (auto fault = faultFor(Operation::disableSharing, guid); fault != SharingStatus::Ok) return fault;
  return sharing_->clear(guid);
}

bool SimNetwork::reachesInternetDirectly() const {
  std::lock_guard lock(mutex_);
  return std::any_of(connections_.begin(), connections_.end(), [](const Connection& connection) {
    return connection.internet && connection.properties.status == ConnectionStatus::Connected;
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
  connection->properties.status = static_cast<ConnectionStatus>(status);
}

void SimNetwork::failSharingService(SharingStatus fault) {
  std::lock_guard lock(mutex_);
  serviceFault_ = fault;
}

void SimNetwork::failGetProperties(const std::string& guid, SharingStatus fault) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::getProperties, lowerAscii(guid)}] = fault;
}

void SimNetwork::failEnableSharing(const std::string& guid, SharingStatus fault) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::enableSharing, lowerAscii(guid)}] = fault;
}

void SimNetwork::failDisableSharing(const std::string& guid, SharingStatus fault) {
  std::lock_guard lock(mutex_);
  faults_[{Operation::disableSharing, lowerAscii(guid)}] = fault;
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

SharingStatus SimNetwork::faultFor(Operation operation, const std::string& guid) const {
  auto it = faults_.find({operation, lowerAscii(guid)});
  return it == faults_.end() ? SharingStatus::Ok : it->second;
}

bool SimNetwork::connectedToInternet(const std::string& guid) const {
  const Connection* connection = findConnection(guid);
  return connection != nullptr && connection->internet && connection->properties.status == ConnectionStatus::Connected;
}

}  // namespace plat::sim
