// The identity of a network device on the Linux machine: the GUID that names
// its wireless interface, its adapter and its connection alike, so that what
// the program records under one of them finds the other two.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plat::lnx {

// A name-based GUID (RFC 4122 version 5) of the device's permanent hardware
// address, as upper-case text in braces. The same address gives the same
// GUID on every run and on every machine.
std::string deviceGuid(const std::vector<std::uint8_t>& permanentHardwareAddress);

}  // namespace plat::lnx
