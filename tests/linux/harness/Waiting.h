// Waiting on conditions instead of sleeping: the Qt event loop runs (so
// D-Bus signals arrive) until the condition holds or the time is up.
#pragma once

#include <chrono>
#include <functional>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>

namespace nmtest {

using namespace std::chrono_literals;

// Runs the event loop until condition() holds; false when timeout passed first.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// Records one signal (or, with an empty path, that signal from every
// object) of a bus name, in the order the bus delivered them.
class SignalRecorder : public QObject {
  Q_OBJECT

 public:
  SignalRecorder(QDBusConnection connection, const QString& service, const QString& path, const QString& interface,
                 const QString& name);
  ~SignalRecorder() override;

  const QList<QDBusMessage>& messages() const { return received_; }
  qsizetype count() const { return received_.size(); }
  // The first argument of each signal as unsigned numbers (state signals).
  QList<uint> firstArguments() const;
  // Waits until at least count signals arrived.
  bool waitForCount(qsizetype count, std::chrono::milliseconds timeout = 10s) const;
  void clear() { received_.clear(); }

 private slots:
  void record(const QDBusMessage& message);

 private:
  QDBusConnection connection_;
  QString service_, path_, interface_, name_;
  QList<QDBusMessage> received_;
};

}  // namespace nmtest
