#include "wireless/NotificationDispatcher.h"

#include <pthread.h>

#include <algorithm>
#include <utility>

#include "wireless/GuestRecords.h"
#include "win32/TextConversion.h"

namespace wireless {

NotificationDispatcher& NotificationDispatcher::instance() {
  static NotificationDispatcher dispatcher;
  return dispatcher;
}

NotificationDispatcher::~NotificationDispatcher() {
  stop();
  stopGuests();
}

void NotificationDispatcher::start(WIRELESS_NOTIFICATION_CALLBACK callback) {
  open(Connection, [callback](const plat::RadioEvent& event) {
    NotificationRecord record(event);
    callback(&record.data, nullptr);
  });
}

void NotificationDispatcher::stop() { close(Connection); }

void NotificationDispatcher::startGuests(WIRELESS_GUEST_CALLBACK callback) {
  open(Guests, [callback](const plat::RadioEvent& event) {
    const auto notification = guestNotification(event);
    callback(&notification, nullptr);
  });
}

void NotificationDispatcher::stopGuests() { close(Guests); }

NotificationDispatcher::Channel NotificationDispatcher::channelOf(const plat::RadioEvent& event) {
  return event.concernsGuest() ? Guests : Connection;
}

void NotificationDispatcher::open(Channel channel, Delivery delivery) {
  close(channel);
  auto machine = plat::currentMachine();
  std::shared_ptr<plat::Machine> previous;
  {
    std::lock_guard lock(mutex_);
    // Both channels hear the current machine: the other one follows it.
    if (machine_ != machine) previous = std::exchange(machine_, machine);
    deliveries_[channel] = std::move(delivery);
    if (!thread_.joinable()) {
      thread_ = std::jthread([this](std::stop_token stop) {
        pthread_setname_np(pthread_self(), "wlan notify");  // as a process's threads are listed
        run(stop);
      });
      threadId_ = thread_.get_id();
    }
  }
  if (previous) previous->radio().setEventSink(nullptr);
  machine->radio().setEventSink([this](const plat::RadioEvent& event) { post(event); });
}

void NotificationDispatcher::close(Channel channel) {
  std::shared_ptr<plat::Machine> machine;
  {
    std::lock_guard lock(mutex_);
    deliveries_[channel] = nullptr;
    // Including what the radio posted before the channel closed.
    std::erase_if(queue_, [channel](const plat::RadioEvent& event) { return channelOf(event) == channel; });
    if (std::none_of(deliveries_.begin(), deliveries_.end(), [](const Delivery& d) { return bool(d); })) {
      machine = std::move(machine_);
    }
  }
  if (machine) machine->radio().setEventSink(nullptr);
  std::unique_lock lock(mutex_);
  if (std::this_thread::get_id() != threadId_) idle_.wait(lock, [this] { return !delivering_; });
}

void NotificationDispatcher::post(const plat::RadioEvent& event) {
  std::lock_guard lock(mutex_);
  if (!deliveries_[channelOf(event)]) return;
  queue_.push_back(event);
  wake_.notify_one();
}

void NotificationDispatcher::run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (wake_.wait(lock, stop, [this] { return !queue_.empty(); })) {
    const auto event = std::move(queue_.front());
    queue_.pop_front();
    const auto delivery = deliveries_[channelOf(event)];
    if (!delivery) continue;
    delivering_ = true;
    lock.unlock();
    try {
      delivery(event);
    } catch (...) {
      // An error of the program's function ends with it, not with this thread.
    }
    lock.lock();
    delivering_ = false;
    idle_.notify_all();
  }
}

NotificationRecord::NotificationRecord(const plat::RadioEvent& event) {
  const auto name = plat::toUtf16(event.networkName);
  const auto profileUnits = std::min<std::size_t>(name.size(), std::size(payload.strProfileName) - 1);
  std::copy_n(name.begin(), profileUnits, payload.strProfileName);
  const auto ssidBytes = std::min<std::size_t>(event.networkName.size(), sizeof(payload.dot11Ssid.ucSSID));
  std::copy_n(event.networkName.begin(), ssidBytes, payload.dot11Ssid.ucSSID);
  payload.dot11Ssid.uSSIDLength = static_cast<ULONG>(ssidBytes);

  data.NotificationSource = WLAN_NOTIFICATION_SOURCE_ACM;
  data.NotificationCode = event.code == plat::RadioEvent::Code::Connected ? wlan_notification_acm_connection_complete
                                                                          : wlan_notification_acm_disconnected;
  data.dwDataSize = sizeof(payload);
  data.pData = &payload;
}

}  // namespace wireless
