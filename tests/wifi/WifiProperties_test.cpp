// The component's property rules and its construction and destruction.
#include <gtest/gtest.h>

#include "WifiTestKit.h"

namespace {

using namespace wifitest;

class WifiProperties : public WifiTest {};

TEST_F(WifiProperties, StartWithTheDefaults) {
  install({});
  auto& wifi = create();
  EXPECT_EQ(wifi.SSID(), "Sabrevane");
  EXPECT_EQ(wifi.Password(), "60917");
  EXPECT_EQ(wifi.InternetStatus(), 0);
  EXPECT_EQ(wifi.NetworkCount(), 0);
  EXPECT_EQ(wifi.Networks().Count(), 0);
  EXPECT_EQ(wifi.CurrentNetwork(), nullptr);
  EXPECT_EQ(wifi.CurrentNetworkName(), "");
  EXPECT_EQ(ActiveWifiConnection, &wifi);
}

TEST_F(WifiProperties, SsidTakesAnyDifferentText) {
  install({});
  auto& wifi = create();
  for (const std::string& name : std::vector<std::string>{"Brisklane", "brisklane", "", "  spaced  ", std::string(50, 'x')}) {
    wifi.SetSSID(name);
    EXPECT_EQ(wifi.SSID(), name);
  }
}

TEST_F(WifiProperties, PasswordTakesOnlyKeysOf5Or13CharactersAfterTrimming) {
  install({});
  auto& wifi = create();
  struct Case {
    std::string written;
    std::string stored;
  };
  for (const auto& c : {Case{"12345", "12345"},
                        Case{"1234", "12345"},
                        Case{"123456", "12345"},
                        Case{"  abcde  ", "  abcde  "},   // kept with its blanks
                        Case{"\tvwxyz\r\n", "\tvwxyz\r\n"},  // control characters count as blanks
                        Case{"1234567890123", "1234567890123"},
                        Case{"12345678901234", "1234567890123"},
                        Case{"             ", "1234567890123"},
                        Case{"", "1234567890123"},
                        Case{" a b c ", " a b c "}}) {
    wifi.SetPassword(c.written);
    EXPECT_EQ(wifi.Password(), c.stored) << '"' << c.written << '"';
  }
}

TEST_F(WifiProperties, InternetStatusFiresOnlyOnAChange) {
  install({});
  auto& wifi = create();  // the check thread waits at the gate meanwhile
  wifi.SetInternetStatus(0);
  wifi.SetInternetStatus(1);
  wifi.SetInternetStatus(1);
  wifi.SetInternetStatus(2);
  wifi.SetInternetStatus(2);
  EXPECT_EQ(wifi.InternetStatus(), 2);
  EXPECT_EQ(events.statuses(), (std::vector<std::uint8_t>{1, 2}));
}

TEST_F(WifiProperties, TheLastComponentGoneLeavesNoActiveOne) {
  install({});
  create();
  gate.open();
  wifi.reset();
  EXPECT_EQ(ActiveWifiConnection, nullptr);
  WLAN_NOTIFICATION_DATA data{};
  data.NotificationSource = WLAN_NOTIFICATION_SOURCE_ACM;
  data.NotificationCode = wlan_notification_acm_connection_complete;
  WifiNotificationCallback(&data, nullptr);  // goes nowhere
}

}  // namespace
