// The records of Brisklane's own library functions (WirelessHotspot.h)
// filled from what the radio answers.
#pragma once

#include "machine/RadioBackend.h"
#include "WirelessHotspot.h"

namespace wireless {

WIRELESS_HOSTED_NETWORK hostedNetworkRecord(const plat::HostedNetwork& network);

// Names and addresses too long for the record are cut.
WIRELESS_GUEST_ENTRY guestEntry(const plat::NetworkGuest& guest);

// The notification of a GuestJoined or GuestLeft event.
WIRELESS_GUEST_NOTIFICATION guestNotification(const plat::RadioEvent& event);

}  // namespace wireless
