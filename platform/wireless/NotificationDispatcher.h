// The wireless library's own thread, which hands the radio's connect and
// disconnect events to the registered notification function as Native Wifi
// notification records.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include "WirelessLibrary.h"
#include "machine/Machine.h"
#include "machine/RadioBackend.h"

namespace wireless {

class NotificationDispatcher {
 public:
  static NotificationDispatcher& instance();

  // Delivers the events of the current machine's radio to `callback` from
  // now on, in place of an earlier registration.
  void start(WIRELESS_NOTIFICATION_CALLBACK callback);

  // Nothing is delivered once it returns; waits for a delivery in progress
  // unless called from inside it.
  void stop();

  ~NotificationDispatcher();

 private:
  NotificationDispatcher() = default;
  void post(const plat::RadioEvent& event);
  void run(std::stop_token stop);

  std::mutex mutex_;
  std::condition_variable_any wake_;  // an event to deliver, or the end
  std::condition_variable idle_;      // a delivery ended
  std::shared_ptr<plat::Machine> machine_;
  WIRELESS_NOTIFICATION_CALLBACK callback_ = nullptr;
  std::deque<plat::RadioEvent> queue_;
  bool delivering_ = false;
  std::thread::id threadId_;
  std::jthread thread_;  // last: ends before the rest goes
};

// The record and payload of one event, as the notification function gets them.
struct NotificationRecord {
  WLAN_CONNECTION_NOTIFICATION_DATA payload{};
  WLAN_NOTIFICATION_DATA data{};

  explicit NotificationRecord(const plat::RadioEvent& event);
  NotificationRecord(const NotificationRecord&) = delete;
  NotificationRecord& operator=(const NotificationRecord&) = delete;
};

}  // namespace wireless
