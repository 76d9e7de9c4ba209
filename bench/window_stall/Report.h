// A run's timing as one line of text (a run's process hands it to the
// benchmark's), and the table of all runs with the goal beside it.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Measure.h"

namespace stall {

std::string encode(const Timing& timing);
std::optional<Timing> decode(const std::string& line);

// Whether a run did what it measures: it was set up and, with NetworkManager
// answering at once, the operation got its result (the success box; Exit:
// the program ended).
bool asExpected(const Cell& cell, const Timing& timing);

// "12 ms", "1.25 s", "≥ 50.0 s" for a time cut short.
std::string duration(milliseconds time, bool atLeast = false);

// A Markdown table: operation, NetworkManager, longest stall, until the
// result, until the program ended; then the goal and how far off it is.
std::string table(const std::vector<std::pair<Cell, Timing>>& runs);

}  // namespace stall
