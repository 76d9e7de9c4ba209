#include "wireless/NotificationDispatcher.h"

#include <pthread.h>

#include <algorithm>

#include "win32/TextConversion.h"

namespace wireless {

NotificationDispatcher& NotificationDispatcher::instance() {
  static NotificationDispatcher dispatcher;
  return dispatcher;
}

NotificationDispatcher::~NotificationDispatcher() { stop(); }

void NotificationDispatcher::start(WIRELESS_NOTIFICATION_CALLBACK callback) {
  stop();
  auto machine = plat::currentMachine();
  {
    std::lock_guard lock(mutex_);
    machine_ = machine;
    callback_ = callback;
    if (!thread_.joinable()) {
      thread_ = std::jthread([this](std::stop_token stop) {
        pthread_setname_np(pthread_self(), "wlan notify");  // as a process's threads are listed
        run(stop);
      });
      threadId_ = thread_.get_id();
    }
  }
  machine->radio().setEventSink([this](const plat::RadioEvent& event) { post(event); });
}

void NotificationDispatcher::stop() {
  std::shared_ptr<plat::Machine> machine;
  {
    std::lock_guard lock(mutex_);
    machine = std::move(machine_);
    callback_ = nullptr;
  }
  if (machine) machine->radio().setEventSink(nullptr);
  std::unique_lock lock(mutex_);
  queue_.clear();  // including what the radio posted before it let go
  if (std::this_thread::get_id() != threadId_) idle_.wait(lock, [this] { return !delivering_; });
}

void NotificationDispatcher::post(const plat::RadioEvent& event) {
  std::lock_guard lock(mutex_);
  if (!callback_) return;
  queue_.push_back(event);
  wake_.notify_one();
}

void NotificationDispatcher::run(std::stop_token stop) {
  std::unique_lock lock(mutex_);
  while (wake_.wait(lock, stop, [this] { return callback_ && !queue_.empty(); })) {
    const auto event = std::move(queue_.front());
    queue_.pop_front();
    const auto callback = callback_;
    delivering_ = true;
    lock.unlock();
    {
      NotificationRecord record(event);
      try {
        callback(&record.data, nullptr);
      } catch (...) {
        // An error of the program's function ends with it, not with this thread.
      }
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
