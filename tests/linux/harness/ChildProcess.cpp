#include "harness/ChildProcess.h"

#include <sys/prctl.h>

#include <csignal>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>

#include <QCoreApplication>

#include "harness/PrivateBus.h"
#include "harness/Waiting.h"

namespace nmtest {

namespace {

constexpr const char* kRoleOption = "--nmtest-child-role=";

std::map<std::string, ChildRole>& roles() {
  static std::map<std::string, ChildRole> registered;
  return registered;
}

}  // namespace

bool registerChildRole(const char* name, ChildRole role) {
  roles()[name] = role;
  return true;
}

std::optional<int> runChildRoleIfAsked(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]).rfind(kRoleOption, 0) != 0) return std::nullopt;
  const std::string name = std::string(argv[1]).substr(std::string(kRoleOption).size());
  const char* bus = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
  if (!bus || isRealSystemBus(QString::fromUtf8(bus))) return 2;  // never a client of the real system bus
  const auto role = roles().find(name);
  if (role == roles().end()) return 3;
  QStringList args;
  for (int i = 2; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
  return role->second(args);
}

ChildProcess::ChildProcess(const QString& role, const QStringList& args) {
  process_.setProgram(QCoreApplication::applicationFilePath());
  process_.setArguments(QStringList{QString::fromLatin1(kRoleOption) + role} + args);
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
  process_.start();
  if (!process_.waitForStarted()) throw std::runtime_error("cannot start the child process");
}

ChildProcess::~ChildProcess() { kill(); }

QString ChildProcess::readLine(std::chrono::milliseconds timeout) {
  waitUntil([&] { return process_.canReadLine() || process_.state() == QProcess::NotRunning; }, timeout);
  if (!process_.canReadLine())
    throw std::runtime_error("the child process printed no line (exit code " + std::to_string(process_.exitCode()) + ")");
  return QString::fromUtf8(process_.readLine()).trimmed();
}

void ChildProcess::kill() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.kill();
  process_.waitForFinished();
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
  waitUntil([&] { return process_.state() == QProcess::NotRunning; }, timeout);
  if (process_.state() != QProcess::NotRunning || process_.exitStatus() == QProcess::CrashExit) return std::nullopt;
  return process_.exitCode();
}

}  // namespace nmtest
