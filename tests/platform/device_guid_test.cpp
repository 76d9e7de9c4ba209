// The Linux machine names a device by a GUID of its permanent hardware
// address; settings store it, so it must never change.
#include <gtest/gtest.h>

#include "linux/kernel/DeviceGuid.h"

namespace {

TEST(DeviceGuid, IsAStableNameBasedGuidOfTheHardwareAddress) {
  const std::vector<std::uint8_t> card{0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f};
  const std::string guid = plat::lnx::deviceGuid(card);
  // Settings name devices by this text: it must stay the same in every release.
  EXPECT_EQ(guid, "{CCED172D-217A-55FA-9320-04FA9F7EDBCD}");
  EXPECT_EQ(guid[15], '5');  // version 5: derived from a name, not random
  EXPECT_NE(plat::lnx::deviceGuid({0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x60}), guid);
}

}  // namespace
