// The roster of devices on a broadcast network: first sightings kept, and
// who joined or left since the previous look.
#include <gtest/gtest.h>

#include "machine/GuestRoster.h"

namespace {

using plat::GuestRoster;
using plat::NetworkGuest;
using Code = plat::RadioEvent::Code;

TEST(GuestRoster, KnowsADeviceByItsAddressElseItsNameAndTellsOnlyArrivalsAndDepartures) {
  GuestRoster roster;
  const NetworkGuest phone{"phone", {0xAA, 0, 0, 0, 0, 1}, "10.42.0.23", 0};
  const NetworkGuest printer{"printer", {}, "", 0};
  const NetworkGuest nameless{"", {}, "", 0};

  auto changes = roster.update({phone, printer, nameless}, 1000);
  ASSERT_EQ(changes.size(), 2u);  // one known by nothing is left out
  EXPECT_EQ(changes[0].code, Code::GuestJoined);
  EXPECT_EQ(changes[1].guest.name, "printer");

  // The phone renamed with a new address is the same phone; the printer
  // with an address now is the same printer.
  NetworkGuest renamed = phone;
  renamed.name = "pixel";
  renamed.ipAddress = "10.42.0.99";
  NetworkGuest addressed = printer;
  addressed.ipAddress = "10.42.0.40";
  EXPECT_TRUE(roster.update({addressed, renamed}, 4000).empty());
  auto guests = roster.guests(5000);
  ASSERT_EQ(guests.size(), 2u);
  EXPECT_EQ(guests[0].name, "pixel");
  EXPECT_EQ(guests[0].ipAddress, "10.42.0.99");
  EXPECT_EQ(guests[0].connectedMilliseconds, 4000u);
  EXPECT_EQ(guests[1].ipAddress, "10.42.0.40");

  changes = roster.update({addressed}, 6000);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].code, Code::GuestLeft);
  EXPECT_EQ(changes[0].guest.name, "pixel");
  EXPECT_EQ(changes[0].guest.connectedMilliseconds, 5000u);
  changes = roster.clear(7000);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].guest.name, "printer");
  EXPECT_TRUE(roster.guests(7000).empty());
}

}  // namespace
