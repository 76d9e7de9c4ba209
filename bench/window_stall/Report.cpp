#include "Report.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include <nlohmann/json.hpp>

namespace stall {

namespace {

using nlohmann::json;

json optionalMs(const std::optional<milliseconds>& time) { return time ? json(time->count()) : json(); }

std::optional<milliseconds> optionalMs(const json& value) {
  if (value.is_null()) return std::nullopt;
  return milliseconds(value.get<milliseconds::rep>());
}

std::string resultText(const Cell& cell, const Timing& timing) {
  std::string text = timing.toResult ? duration(*timing.toResult) : "none";
  if (isRefresh(cell.operation)) text = "—";
  if (!timing.note.empty()) text += " (" + timing.note + ")";
  return text;
}

std::string endText(const Timing& timing) {
  if (!timing.expectsEnd) return "";
  return timing.toEnd ? duration(*timing.toEnd) : "did not end";
}

}  // namespace

std::string encode(const Timing& timing) {
  return json{{"stall", timing.longestStall.count()},
              {"cut", timing.cutShort},
              {"result", optionalMs(timing.toResult)},
              {"end", optionalMs(timing.toEnd)},
              {"exit", timing.expectsEnd},
              {"note", timing.note},
              {"failed", timing.failed}}
      .dump();
}

std::optional<Timing> decode(const std::string& line) {
  const json value = json::parse(line, nullptr, false);
  if (!value.is_object()) return std::nullopt;
  try {
    Timing timing;
    timing.longestStall = milliseconds(value.at("stall").get<milliseconds::rep>());
    timing.cutShort = value.at("cut").get<bool>();
    timing.toResult = optionalMs(value.at("result"));
    timing.toEnd = optionalMs(value.at("end"));
    timing.expectsEnd = value.at("exit").get<bool>();
    timing.note = value.at("note").get<std::string>();
    timing.failed = value.at("failed").get<bool>();
    return timing;
  } catch (const json::exception&) {
    return std::nullopt;
  }
}

bool asExpected(const Cell& cell, const Timing& timing) {
  if (timing.failed) return false;
  if (cell.answering != Answering::atOnce || isRefresh(cell.operation)) return true;
  return timing.toResult && timing.note.empty() && (!timing.expectsEnd || timing.toEnd);
}

std::string duration(milliseconds time, bool atLeast) {
  char text[32];
  if (time < 1s) {
    std::snprintf(text, sizeof text, "%lld ms", static_cast<long long>(time.count()));
  } else {
    std::snprintf(text, sizeof text, time < 10s ? "%.2f s" : "%.1f s", static_cast<double>(time.count()) / 1000);
  }
  return (atLeast ? "≥ " : "") + std::string(text);
}

std::string table(const std::vector<std::pair<Cell, Timing>>& runs) {
  std::ostringstream out;
  out << "| Operation | NetworkManager answers | Longest stall | Until the result | Until the program ended |\n"
      << "|---|---|---|---|---|\n";
  int overGoal = 0;
  const std::pair<Cell, Timing>* worst = nullptr;
  for (const auto& run : runs) {
    const auto& [cell, timing] = run;
    out << "| " << title(cell) << " | " << title(cell.answering) << " | "
        << (timing.failed ? "failed" : duration(timing.longestStall, timing.cutShort)) << " | "
        << resultText(cell, timing) << " | " << endText(timing) << " |\n";
    if (timing.failed) continue;
    if (timing.longestStall > kGoal) ++overGoal;
    if (!worst || timing.longestStall > worst->second.longestStall) worst = &run;
  }
  out << "\nGoal: no stall over " << duration(kGoal) << ". ";
  if (overGoal == 0) {
    out << "Met";
  } else {
    out << "Not met in " << overGoal << " of " << runs.size() << " runs";
  }
  if (worst)
    out << "; the longest: " << duration(worst->second.longestStall, worst->second.cutShort) << " ("
        << title(worst->first) << ", NetworkManager answering " << title(worst->first.answering) << ")";
  out << ".\n";
  return out.str();
}

}  // namespace stall
