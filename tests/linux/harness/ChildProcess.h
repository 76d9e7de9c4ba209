// A second process of the test program that plays a client of the bus,
// for example one that holds a hotspot until it is killed. A test file
// declares what the child does with NMTEST_CHILD_ROLE; the child reports to
// the test by printing lines on its standard output.
#pragma once

#include <chrono>
#include <optional>

#include <QProcess>
#include <QString>
#include <QStringList>

namespace nmtest {

using ChildRole = int (*)(const QStringList& args);

bool registerChildRole(const char* name, ChildRole role);

// In main(), before the test program sets up anything: runs the role this
// process was started for and returns its exit code; nothing when it was
// not started as a child.
std::optional<int> runChildRoleIfAsked(int argc, char** argv);

class ChildProcess {
 public:
  // Starts this program again in the role; it inherits the private bus.
  explicit ChildProcess(const QString& role, const QStringList& args = {});
  ~ChildProcess();  // kills the child if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line the child printed; throws std::runtime_error when the
  // child ended or printed nothing in time.
  QString readLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Ends the child with SIGKILL, as a crash would, and waits until it is gone.
  void kill();
  // Waits until the child ends by itself: its exit code, or none when it
  // crashed or still runs after `timeout`.
  std::optional<int> waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  QProcess process_;
};

}  // namespace nmtest

#define NMTEST_CHILD_ROLE(name)                                                               \
  static int name##ChildRole(const QStringList& args);                                        \
  [[maybe_unused]] static const bool name##Registered = nmtest::registerChildRole(#name, name##ChildRole); \
  static int name##ChildRole([[maybe_unused]] const QStringList& args)
