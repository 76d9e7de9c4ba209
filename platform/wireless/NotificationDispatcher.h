// The wireless library's own thread, which hands the radio's events to the
// program's registered functions: connect and disconnect events as Native
// Wifi notification records, and guests that join or leave as guest
// notifications. The two registrations come and go independently.
#pragma once

#include <array>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "WirelessHotspot.h"
#include "WirelessLibrary.h"
#include "machine/Machine.h"
#include "machine/RadioBackend.h"

namespace wireless {

class NotificationDispatcher {
 public:
  static NotificationDispatcher& instance();

  // Delivers the connect and disconnect events of the current machine's
  // radio to `callback` from now on, in place of an earlier registration.
  void start(WIRELESS_NOTIFICATION_CALLBACK callback);
  // Nothing of them is delivered once it returns; waits for a delivery in
  // progress unless called from inside it.
  void stop();

  // The same for the events of guests joining and leaving.
  void startGuests(WIRELESS_GUEST_CALLBACK callback);
  void stopGuests();

  ~NotificationDispatcher();

 private:
  enum Channel : std::size_t { Connection, Guests, ChannelCount };
  using Delivery = std::function<void(const plat::RadioEvent&)>;

  NotificationDispatcher() = default;
  static Channel channelOf(const plat::RadioEvent& event);
  // Delivers the channel's events with `delivery` from now on, from the
  // current machine's radio.
  void open(Channel channel, Delivery delivery);
  void close(Channel channel);
  void post(const plat::RadioEvent& event);
  void run(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any wake_;  // an event to deliver, or the end
  std::condition_variable idle_;      // a delivery ended
  std::shared_ptr<plat::Machine> machine_;  // whose radio posts here; none while no channel is open
  std::array<Delivery, ChannelCount> deliveries_;
  std::deque<plat::RadioEvent> queue_;
  bool delivering_ = false;
  std::thread::id threadId_;
  std::jthread thread_;  // last: ends before the rest goes
};

// The record and payload of one connect or disconnect event, as the
// notification function gets them.
struct NotificationRecord {
  WLAN_CONNECTION_NOTIFICATION_DATA payload{};
  WLAN_NOTIFICATION_DATA data{};

  explicit NotificationRecord(const plat::RadioEvent& event);
  NotificationRecord(const NotificationRecord&) = delete;
  NotificationRecord& operator=(const NotificationRecord&) = delete;
};

}  // namespace wireless
