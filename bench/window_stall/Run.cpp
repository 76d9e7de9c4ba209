#include "Run.h"

#include <stdexcept>
#include <string>

#include "Laptop.h"
#include "harness/Waiting.h"

namespace stall {

namespace {

using Clock = std::chrono::steady_clock;

milliseconds replyDelay(Answering answering) {
  switch (answering) {
    case Answering::atOnce: return 0ms;
    case Answering::late: return kLateReply;
    case Answering::never: return nmtest::kNeverAnswer;
  }
  return 0ms;
}

// How long after the operation began a result counts.
milliseconds window(const Cell& cell) {
  switch (cell.answering) {
    case Answering::atOnce: return isRefresh(cell.operation) ? 2s : 10s;
    case Answering::late: return kLateReply + 10s;
    case Answering::never: return 5s;
  }
  return 10s;
}

// What the window offers once it knows the laptop.
const char* readyAction(Operation operation) {
  return operation == Operation::connect ? "actConnect" : "actStartSharing";
}

const char* actionOf(Operation operation) {
  switch (operation) {
    case Operation::refresh:
    case Operation::crowdedRefresh: return "actRefresh2";
    case Operation::startWifi: return "actStartSharing";
    case Operation::stopWifi: return "actStopSharing";
    case Operation::connect: return "actConnect";
    case Operation::exit: return "actExit";
    case Operation::startUp: break;
  }
  return nullptr;
}

// The box that says the operation did what it should; none for operations without one.
const char* successText(Operation operation) {
  switch (operation) {
    case Operation::startWifi: return "Wi-Fi started successfully!";
    case Operation::stopWifi: return "Wi-Fi stopped successfully!";
    case Operation::connect: return "Done! Please wait a few seconds to finish the connecting...";
    case Operation::exit: return "All other devices connected to your computer will be disconnected. Do you want to exit?";
    default: return nullptr;
  }
}

std::string oneLine(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).toStdString(); }

bool waitFor(const std::function<bool()>& condition, milliseconds timeout) {
  return nmtest::waitUntil(condition, std::max(timeout, 0ms));
}

void pause(milliseconds time) { nmtest::waitUntil([] { return false; }, time); }

void press(const Program& program, const char* name) {
  QAction* action = program.action(name);
  if (!action) throw std::runtime_error(std::string("the window has no ") + name);
  action->trigger();
}

Timing failure(const std::string& what) {
  Timing timing;
  timing.failed = true;
  timing.note = what;
  return timing;
}

}  // namespace

milliseconds Run::limit() const {
  if (cell_.answering == Answering::late) return kLateReply + 20s;
  return cell_.operation == Operation::crowdedRefresh ? 60s : 30s;
}

bool Run::overdue() const {
  std::lock_guard lock(mutex_);
  return begun_ && Clock::now() - *begun_ > limit();
}

Timing Run::perform() {
  try {
    Laptop laptop(cell_.operation == Operation::connect ? Laptop::Kind::joining : Laptop::Kind::sharing,
                  cell_.accessPoints);
    Program program;
    // The watchdog looks at the window's boxes only while the window is there.
    struct Shown {
      Run& run;
      Shown(Run& run, const Program& program) : run(run) { run.show(&program); }
      ~Shown() { run.show(nullptr); }
    } shown(*this, program);
    const char* ready = readyAction(cell_.operation);
    if (cell_.operation != Operation::startUp) {
      program.open();
      if (!waitFor([&] { return program.enabled(ready); }, 30s))
        return failure(std::string("the window did not offer ") + ready);
      if (cell_.operation == Operation::stopWifi) {
        const auto asked = Clock::now();
        press(program, "actStartSharing");
        if (!waitFor([&] { return program.enabled("actStopSharing"); }, 30s))
          return failure("Start WiFi did not start: " + oneLine(program.firstBoxSince(asked).value_or(Box{}).text));
      }
      pause(500ms);  // what follows start-up or Start WiFi is over
    }
    laptop.networkManager().setReplyDelay(replyDelay(cell_.answering));
    begin();
    if (cell_.operation == Operation::startUp) {
      program.open();
    } else {
      press(program, actionOf(cell_.operation));
    }
    const Timing timing = observe(program);
    laptop.networkManager().setReplyDelay(0ms);  // so that what is left of the window can go
    return timing;
  } catch (const std::exception& error) {
    return failure(error.what());
  }
}

void Run::show(const Program* program) {
  std::lock_guard lock(mutex_);
  program_ = program;
}

void Run::begin() {
  std::lock_guard lock(mutex_);
  meter_.start();
  begun_ = Clock::now();
}

milliseconds Run::sinceBegin() const {
  std::lock_guard lock(mutex_);
  return std::chrono::duration_cast<milliseconds>(Clock::now() - *begun_);
}

Timing Run::observe(Program& program) {
  waitFor([&] { return resultSeen(program); }, window(cell_) - sinceBegin());
  const bool abandoned = cell_.answering == Answering::never && cell_.operation != Operation::exit;
  if (abandoned && !program.closed()) {
    if (cell_.operation == Operation::startWifi && program.enabled("actStopSharing")) {
      press(program, "actStopSharing");
      pause(1s);
    }
    if (!program.closed()) press(program, "actExit");
  }
  if (abandoned || cell_.operation == Operation::exit) {
    {
      std::lock_guard lock(mutex_);
      timing_.expectsEnd = true;
    }
    waitFor([&] { return program.closed(); }, 15s);
  } else if (timing_.toResult) {
    pause(1s);  // the work that follows the result
  }
  if (program.closed()) {
    {
      std::lock_guard lock(mutex_);
      timing_.longestStall = meter_.longest();
      windowGone_ = true;
    }
    program.end();  // as main() does after its event loop
    std::lock_guard lock(mutex_);
    timing_.toEnd = std::chrono::duration_cast<milliseconds>(Clock::now() - *begun_);
  }
  return sofar();
}

bool Run::resultSeen(const Program& program) {
  std::lock_guard lock(mutex_);
  if (!timing_.toResult && cell_.operation == Operation::startUp && program.enabled(readyAction(cell_.operation)))
    timing_.toResult = std::chrono::duration_cast<milliseconds>(Clock::now() - *begun_);
  if (!timing_.toResult) noteBox(program, timing_);
  return timing_.toResult.has_value();
}

void Run::noteBox(const Program& program, Timing& timing) const {
  const char* success = successText(cell_.operation);
  if (!success) return;
  if (const auto box = program.firstBoxSince(*begun_); box && box->at - *begun_ < window(cell_)) {
    timing.toResult = std::chrono::duration_cast<milliseconds>(box->at - *begun_);
    if (box->text != QString::fromLatin1(success)) timing.note = oneLine(box->text);
  }
}

Timing Run::sofar() const {
  std::lock_guard lock(mutex_);
  Timing timing = timing_;
  if (!begun_) return timing;
  if (!windowGone_) timing.longestStall = meter_.longest();
  if (!timing.toResult && program_) noteBox(*program_, timing);  // one the stuck loop has not got round to
  return timing;
}

Timing Run::givenUp() const {
  Timing timing = sofar();
  std::lock_guard lock(mutex_);
  timing.cutShort = !windowGone_;
  return timing;
}

}  // namespace stall
