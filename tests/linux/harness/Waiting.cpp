#include "harness/Waiting.h"

#include <stdexcept>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

namespace nmtest {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const QDeadlineTimer deadline(timeout);
  // Conditions that are not events (a state read over the bus, a child
  // process) are checked again at least every few milliseconds.
  QTimer tick;
  tick.start(5);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  return true;
}

SignalRecorder::SignalRecorder(QDBusConnection connection, const QString& service, const QString& path,
                               const QString& interface, const QString& name)
    : connection_(std::move(connection)), service_(service), path_(path), interface_(interface), name_(name) {
  if (!connection_.connect(service_, path_, interface_, name_, this, SLOT(record(QDBusMessage))))
    throw std::runtime_error(("cannot listen to " + interface + "." + name).toStdString());
}

SignalRecorder::~SignalRecorder() {
  connection_.disconnect(service_, path_, interface_, name_, this, SLOT(record(QDBusMessage)));
}

QList<uint> SignalRecorder::firstArguments() const {
  QList<uint> values;
  for (const QDBusMessage& message : received_) values.append(message.arguments().value(0).toUInt());
  return values;
}

bool SignalRecorder::waitForCount(qsizetype count, std::chrono::milliseconds timeout) const {
  return waitUntil([&] { return received_.size() >= count; }, timeout);
}

void SignalRecorder::record(const QDBusMessage& message) { received_.append(message); }

}  // namespace nmtest
