// Hardware addresses as the scenarios, the air, Windows' records, sysfs and
// NetworkManager write them: one reader and one writer for all of them.
#include <gtest/gtest.h>

#include "machine/HardwareAddress.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(HardwareAddress, ReadsEveryNotationAndRefusesAnythingElse) {
  const Bytes card{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
  struct Case {
    const char* text;
    std::optional<Bytes> bytes;
  };
  const Case cases[] = {
      {"00-1A-2B-3C-4D-5E", card},  // Windows
      {"00:1a:2b:3c:4d:5e", card},  // NetworkManager, sysfs
      {"001A2B3C4D5E", card},       // scenarios may leave the separators out
      {"", Bytes{}},
      {"01:02:03:04:05:06:07:08", Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"01:02:03:04:05:06:07:08:09", std::nullopt},  // longer than the records hold
      {"00:1A:2B:", std::nullopt},
      {"0:1A:2B", std::nullopt},
      {"00:1G:2B", std::nullopt},
      {"00 1A", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(plat::parseHardwareAddress(c.text), c.bytes) << c.text;
  // The kernel's addresses may be longer (InfiniBand's are 20 bytes).
  const std::string infiniband = "80:00:02:08:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0f:21:41";
  EXPECT_EQ(plat::parseHardwareAddress(infiniband, 32).value_or(Bytes{}).size(), 20u);
}

TEST(HardwareAddress, WritesUpperCasePairsAndTellsTheLocallyAdministeredTwin) {
  const Bytes card{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
  EXPECT_EQ(plat::formatHardwareAddress(card), "00-1A-2B-3C-4D-5E");
  EXPECT_EQ(plat::formatHardwareAddress(card, ':'), "00:1A:2B:3C:4D:5E");
  EXPECT_EQ(plat::formatHardwareAddress({}), "");

  EXPECT_FALSE(plat::isLocallyAdministered(card));
  const Bytes twin = plat::locallyAdministered(card);
  EXPECT_EQ(twin, (Bytes{0x02, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}));
  EXPECT_TRUE(plat::isLocallyAdministered(twin));
  // A group address becomes an individual one: a base station never has a group address.
  EXPECT_EQ(plat::locallyAdministered({0x01, 0x02}), (Bytes{0x02, 0x02}));
  EXPECT_FALSE(plat::isLocallyAdministered({}));
}

}  // namespace
