// What the benchmark measures: an operation of the window against a
// NetworkManager that answers at once, late or never, and what one run of
// it showed.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace stall {

using std::chrono::milliseconds;
using namespace std::chrono_literals;

enum class Operation { startUp, refresh, startWifi, stopWifi, connect, exit, crowdedRefresh };
enum class Answering { atOnce, late, never };

inline constexpr milliseconds kLateReply = 30s;
// The longest stall that goes unnoticed.
inline constexpr milliseconds kGoal = 50ms;

struct Cell {
  Operation operation;
  Answering answering;
  int accessPoints = 0;  // networks in the air besides the other computer's
};

struct Timing {
  milliseconds longestStall{0};
  bool cutShort = false;                 // the run was given up while the loop was stuck: at least that
  std::optional<milliseconds> toResult;  // until the result box appeared (start-up: Start WiFi enabled)
  std::optional<milliseconds> toEnd;     // until the program had ended, when it was asked to
  bool expectsEnd = false;               // Exit was pressed
  std::string note;                      // a result box other than the success box, or what went wrong
  bool failed = false;                   // the run could not be set up or measured
};

// Refresh has no result box.
inline bool isRefresh(Operation operation) {
  return operation == Operation::refresh || operation == Operation::crowdedRefresh;
}

// Names for arguments and for the table.
const char* argumentName(Operation operation);
const char* argumentName(Answering answering);
std::optional<Operation> operationNamed(const std::string& name);
std::optional<Answering> answeringNamed(const std::string& name);
std::string title(const Cell& cell);    // "Start WiFi", "Refresh, 5,000 access points"
std::string title(Answering answering);  // "at once", "after 30 s", "never"

}  // namespace stall
