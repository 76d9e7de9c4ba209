// The main window's longest event-loop stall while NetworkManager answers at
// once, after 30 s or never: start-up, Refresh, Start WiFi, Stop WiFi,
// Connect and Exit on the Linux machine over a mocked NetworkManager on a
// private bus, and a Refresh with 5,000 access points in the air. Each run
// has a process of its own, so that a window stuck in a call can be given up.
//
//   window_stall [--quick]   --quick: NetworkManager answering at once, 100 access points
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <QApplication>
#include <QProcess>
#include <QTimer>

#include "Measure.h"
#include "Report.h"
#include "Run.h"
#include "harness/NetworkManagerMock.h"
#include "harness/PrivateBus.h"
#include "testkit/TempDir.h"
#include "testkit/TestEnvironment.h"

namespace {

using namespace stall;

constexpr const char* kResultLine = "window_stall result: ";

std::vector<Cell> plan(bool quick) {
  const std::vector<Operation> operations{Operation::startUp,  Operation::refresh, Operation::startWifi,
                                          Operation::stopWifi, Operation::connect, Operation::exit};
  std::vector<Cell> cells;
  for (const Answering answering : {Answering::atOnce, Answering::late, Answering::never}) {
    if (quick && answering != Answering::atOnce) continue;
    for (const Operation operation : operations) cells.push_back({operation, answering});
  }
  cells.push_back({Operation::crowdedRefresh, Answering::atOnce, quick ? 100 : 5000});
  return cells;
}

// One run in this process: prints its timing, or what it had measured when
// it was given up.
int runCell(int argc, char** argv, const Cell& cell) {
  testkit::isolateTestProcess();
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  nmtest::registerDBusTypes();
  nmtest::PrivateBus bus;
  bus.verifyIsSystemBus();

  Run run(cell);
  std::mutex reporting;
  bool reported = false;
  const auto report = [&](const Timing& timing) {
    std::lock_guard lock(reporting);
    if (reported) return;
    reported = true;
    std::printf("%s%s\n", kResultLine, encode(timing).c_str());
    std::fflush(stdout);
  };
  std::jthread watchdog([&](std::stop_token stop) {
    while (!stop.stop_requested() && !run.overdue()) std::this_thread::sleep_for(50ms);
    if (stop.stop_requested()) return;
    report(run.givenUp());
    std::_Exit(0);  // the loop is stuck; the bus and the mock die with this process
  });
  QTimer::singleShot(0, &application, [&] {
    report(run.perform());
    QCoreApplication::quit();
  });
  QApplication::exec();
  return 0;
}

Timing runInChild(const Cell& cell) {
  testkit::TempDir temporary;  // what a run that was given up leaves behind
  QProcess child;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("TMPDIR"), QString::fromStdString(temporary.path().string()));
  environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(temporary.path().string()));
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--cell"), QString::fromLatin1(argumentName(cell.operation)),
               QString::fromLatin1(argumentName(cell.answering)), QString::number(cell.accessPoints)});
  if (!child.waitForFinished(5 * 60 * 1000)) {
    child.kill();
    child.waitForFinished();
  }
  for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
    if (!line.startsWith(kResultLine)) continue;
    if (const auto timing = decode(line.mid(static_cast<qsizetype>(std::strlen(kResultLine))).toStdString()))
      return *timing;
  }
  Timing none;
  none.failed = true;
  none.note = "the run ended without a result";
  return none;
}

int runAll(int argc, char** argv, bool quick) {
  QCoreApplication application(argc, argv);
  std::vector<std::pair<Cell, Timing>> runs;
  for (const Cell& cell : plan(quick)) {
    std::fprintf(stderr, "window_stall: %s, NetworkManager answering %s\n", title(cell).c_str(),
                 title(cell.answering).c_str());
    runs.emplace_back(cell, runInChild(cell));
  }
  std::printf("%s", table(runs).c_str());
  for (const auto& [cell, timing] : runs)
    if (!asExpected(cell, timing)) return 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::strcmp(argv[1], "--cell") == 0) {
    const auto operation = operationNamed(argv[2]);
    const auto answering = answeringNamed(argv[3]);
    if (!operation || !answering) return 2;
    return runCell(argc, argv, {*operation, *answering, std::atoi(argv[4])});
  }
  const bool quick = argc == 2 && std::strcmp(argv[1], "--quick") == 0;
  if (argc > 1 && !quick) {
    std::fprintf(stderr, "usage: window_stall [--quick]\n");
    return 2;
  }
  return runAll(argc, argv, quick);
}
