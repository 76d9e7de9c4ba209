#include "Measure.h"

#include <array>
#include <utility>

namespace stall {

namespace {

constexpr std::array<std::pair<Operation, const char*>, 7> kOperations{{{Operation::startUp, "start-up"},
                                                                        {Operation::refresh, "refresh"},
                                                                        {Operation::startWifi, "start-wifi"},
                                                                        {Operation::stopWifi, "stop-wifi"},
                                                                        {Operation::connect, "connect"},
                                                                        {Operation::exit, "exit"},
                                                                        {Operation::crowdedRefresh, "crowded-refresh"}}};
constexpr std::array<std::pair<Answering, const char*>, 3> kAnswerings{
    {{Answering::atOnce, "at-once"}, {Answering::late, "late"}, {Answering::never, "never"}}};

template <typename Value, std::size_t size>
const char* nameIn(const std::array<std::pair<Value, const char*>, size>& names, Value value) {
  for (const auto& [known, name] : names)
    if (known == value) return name;
  return "?";
}

template <typename Value, std::size_t size>
std::optional<Value> valueIn(const std::array<std::pair<Value, const char*>, size>& names, const std::string& name) {
  for (const auto& [value, known] : names)
    if (name == known) return value;
  return std::nullopt;
}

std::string withThousands(int number) {
  std::string digits = std::to_string(number);
  for (auto at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

}  // namespace

const char* argumentName(Operation operation) { return nameIn(kOperations, operation); }
const char* argumentName(Answering answering) { return nameIn(kAnswerings, answering); }
std::optional<Operation> operationNamed(const std::string& name) { return valueIn(kOperations, name); }
std::optional<Answering> answeringNamed(const std::string& name) { return valueIn(kAnswerings, name); }

std::string title(const Cell& cell) {
  switch (cell.operation) {
    case Operation::startUp: return "Start-up";
    case Operation::refresh: return "Refresh";
    case Operation::startWifi: return "Start WiFi";
    case Operation::stopWifi: return "Stop WiFi";
    case Operation::connect: return "Connect";
    case Operation::exit: return "Exit";
    case Operation::crowdedRefresh: return "Refresh, " + withThousands(cell.accessPoints) + " access points";
  }
  return "?";
}

std::string title(Answering answering) {
  switch (answering) {
    case Answering::atOnce: return "at once";
    case Answering::late: return "after " + std::to_string(kLateReply / 1s) + " s";
    case Answering::never: return "never";
  }
  return "?";
}

}  // namespace stall
