// Loaded into a Qt program with LD_PRELOAD by the start-up measure: notes
// when the program's first top-level window has painted and how much memory
// the process has used at most by then, writes both to the file that
// BENCH_REPORT names ("<CLOCK_MONOTONIC ns> <peak resident KiB>"), and then
// ends the program at once unless BENCH_KEEP_RUNNING is set.
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

void Report() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const long long nanoseconds = static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
  if (const char* file = std::getenv("BENCH_REPORT")) {
    std::ofstream(file) << nanoseconds << ' ' << PeakResidentKiB() << '\n';
  }
  if (std::getenv("BENCH_KEEP_RUNNING") == nullptr) _exit(0);
}

class FirstPaintFilter : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
      painted_ = true;
      // The window's children paint in the same pass: report once it is over.
      QTimer::singleShot(0, Report);
    }
    return false;
  }

 private:
  bool painted_ = false;
};

void InstallFilter() { qApp->installEventFilter(new FirstPaintFilter(qApp)); }

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallFilter)
