// Scenario pieces for the network tests: adapters and connections in the
// scenario's form, with plain defaults that each test overrides, and a
// machine made of them.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "testkit/SimMachineBuilder.h"

namespace nettest {

// A JSON array of the items, also of one item (a braced list of one JSON
// value would be that value itself).
inline nlohmann::json Array(std::initializer_list<nlohmann::json> items) {
  nlohmann::json array = nlohmann::json::array();
  for (const auto& item : items) array.push_back(item);
  return array;
}

// A distinct upper-case GUID text for each number.
inline std::string Guid(unsigned number) {
  char text[40];
  std::snprintf(text, sizeof text, "{8A3C0F52-6D1E-4B7A-9C2E-%012X}", number);
  return text;
}

// An Ethernet adapter with one address and no gateway; `extra` overrides.
inline nlohmann::json Adapter(const std::string& guid, unsigned index, const nlohmann::json& extra = nlohmann::json::object()) {
  char mac[32];
  std::snprintf(mac, sizeof mac, "00-11-22-33-44-%02X", index & 0xFFu);
  nlohmann::json adapter = {{"guid", guid},
                            {"description", "Adapter " + std::to_string(index)},
                            {"index", index},
                            {"type", 6},
                            {"mac", mac},
                            {"dhcp", false},
                            {"addresses", {{{"ip", "10.0." + std::to_string(index) + ".1"}, {"mask", "255.255.255.0"}}}},
                            {"gateways", nlohmann::json::array()},
                            {"operStatus", 5}};
  adapter.update(extra);
  return adapter;
}

// A connected LAN connection; `extra` overrides.
inline nlohmann::json Connection(const std::string& guid, const std::string& name,
                                 const nlohmann::json& extra = nlohmann::json::object()) {
  nlohmann::json connection = {
      {"guid", guid}, {"name", name}, {"device", name + " device"}, {"mediaType", 3}, {"status", 2}};
  connection.update(extra);
  return connection;
}

// The shipped laptop's connections.
inline const std::string LaptopWired = "{8A3C0F52-6D1E-4B7A-9C2E-1F5D3B7A9E01}";
inline const std::string LaptopWireless = "{5E2B7C19-0A4D-4F63-8B1E-7C9D2A4F6B02}";
inline const std::string LaptopVirtual = "{C1D2E3F4-1111-4A2B-8C3D-4E5F60718293}";

// A machine with the given adapters and interface rows, as a scenario.
inline nlohmann::json AdapterScenario(const nlohmann::json& adapters, const nlohmann::json& rows = nlohmann::json::array()) {
  return testkit::SimMachineBuilder().section("adapters", adapters).section("interfaceRows", rows).json();
}
inline nlohmann::json AdapterScenario(std::initializer_list<nlohmann::json> adapters,
                                      std::initializer_list<nlohmann::json> rows = {}) {
  return AdapterScenario(Array(adapters), Array(rows));
}

// A machine with the given adapters and interface rows, installed as the
// current one until it is replaced or the object goes.
class AdapterMachine {
 protected:
  // Replaces the machine; the scope of the previous one ends first, so that
  // it does not put back the machine from before the test over this one.
  void install(const nlohmann::json& adapters, const nlohmann::json& rows = nlohmann::json::array()) {
    scoped_.reset();
    machine_ = testkit::SimMachineBuilder().scenario(AdapterScenario(adapters, rows)).build();
    scoped_ = std::make_unique<testkit::ScopedMachine>(machine_);
  }
  void install(std::initializer_list<nlohmann::json> adapters, std::initializer_list<nlohmann::json> rows = {}) {
    install(Array(adapters), Array(rows));
  }

  std::shared_ptr<plat::sim::SimMachine> machine_;
  std::unique_ptr<testkit::ScopedMachine> scoped_;
};

}  // namespace nettest
