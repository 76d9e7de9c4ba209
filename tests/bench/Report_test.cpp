// What the benchmark prints and judges: durations, a run's timing handed
// from its process, whether a run did what it measures, and the table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Report.h"

namespace {

using namespace stall;

Timing timed(milliseconds stall, std::optional<milliseconds> result) {
  Timing timing;
  timing.longestStall = stall;
  timing.toResult = result;
  return timing;
}

TEST(WindowStallReport, Durations) {
  const struct {
    milliseconds time;
    bool atLeast;
    const char* text;
  } cases[] = {{0ms, false, "0 ms"},      {999ms, false, "999 ms"},     {1250ms, false, "1.25 s"},
               {29913ms, false, "29.9 s"}, {50000ms, true, "≥ 50.0 s"}};
  for (const auto& [time, atLeast, text] : cases) EXPECT_EQ(duration(time, atLeast), text);
}

TEST(WindowStallReport, ATimingSurvivesTheWayFromItsProcess) {
  Timing full = timed(29913ms, 29900ms);
  full.cutShort = true;
  full.toEnd = 31000ms;
  full.expectsEnd = true;
  full.note = "Internet sharing could not be switched on. \"quoted\"";
  Timing empty;
  empty.failed = true;
  for (const Timing& timing : {full, empty}) {
    const auto back = decode(encode(timing));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->longestStall, timing.longestStall);
    EXPECT_EQ(back->cutShort, timing.cutShort);
    EXPECT_EQ(back->toResult, timing.toResult);
    EXPECT_EQ(back->toEnd, timing.toEnd);
    EXPECT_EQ(back->expectsEnd, timing.expectsEnd);
    EXPECT_EQ(back->note, timing.note);
    EXPECT_EQ(back->failed, timing.failed);
  }
  EXPECT_FALSE(decode("QStandardPaths: XDG_RUNTIME_DIR not set"));
  EXPECT_FALSE(decode(R"({"stall": 12})"));
}

TEST(WindowStallReport, ARunIsAsExpectedWhenItGotItsResultWithNetworkManagerAnsweringAtOnce) {
  Timing failed = timed(10ms, 10ms);
  failed.failed = true;
  Timing refused = timed(10ms, 10ms);
  refused.note = "Internet sharing could not be switched on.";
  Timing exitedNot = timed(10ms, 0ms);
  exitedNot.expectsEnd = true;
  Timing exited = exitedNot;
  exited.toEnd = 900ms;
  const struct {
    const char* name;
    Cell cell;
    Timing timing;
    bool expected;
  } cases[] = {
      {"not set up", {Operation::startWifi, Answering::late}, failed, false},
      {"the success box", {Operation::startWifi, Answering::atOnce}, timed(40ms, 30ms), true},
      {"a failure box", {Operation::startWifi, Answering::atOnce}, refused, false},
      {"no box", {Operation::connect, Answering::atOnce}, timed(40ms, std::nullopt), false},
      {"no box from a slow NetworkManager", {Operation::connect, Answering::late}, timed(40ms, std::nullopt), true},
      {"Refresh has no box", {Operation::crowdedRefresh, Answering::atOnce, 100}, timed(40ms, std::nullopt), true},
      {"Exit, and the program did not end", {Operation::exit, Answering::atOnce}, exitedNot, false},
      {"Exit, and the program ended", {Operation::exit, Answering::atOnce}, exited, true},
  };
  for (const auto& [name, cell, timing, expected] : cases) EXPECT_EQ(asExpected(cell, timing), expected) << name;
}

TEST(WindowStallReport, TheTableHasARowPerRunAndTheGoalBeneath) {
  Timing cut = timed(50000ms, std::nullopt);
  cut.cutShort = true;
  Timing ended = timed(8ms, 0ms);
  ended.expectsEnd = true;
  ended.toEnd = 1010ms;
  const std::string text = table({{{Operation::startUp, Answering::atOnce}, timed(19ms, 19ms)},
                                  {{Operation::startWifi, Answering::late}, cut},
                                  {{Operation::exit, Answering::never}, ended},
                                  {{Operation::crowdedRefresh, Answering::atOnce, 5000}, timed(40ms, std::nullopt)}});
  EXPECT_THAT(text, testing::HasSubstr("| Start-up | at once | 19 ms | 19 ms |  |\n"));
  EXPECT_THAT(text, testing::HasSubstr("| Start WiFi | after 30 s | ≥ 50.0 s | none |  |\n"));
  EXPECT_THAT(text, testing::HasSubstr("| Exit | never | 8 ms | 0 ms | 1.01 s |\n"));
  EXPECT_THAT(text, testing::HasSubstr("| Refresh, 5,000 access points | at once | 40 ms | — |  |\n"));
  EXPECT_THAT(text, testing::HasSubstr("Goal: no stall over 50 ms. Not met in 1 of 4 runs; the longest: ≥ 50.0 s "
                                       "(Start WiFi, NetworkManager answering after 30 s).\n"));
  EXPECT_THAT(table({{{Operation::refresh, Answering::atOnce}, timed(12ms, std::nullopt)}}),
              testing::HasSubstr("Goal: no stall over 50 ms. Met; the longest: 12 ms"));
}

TEST(WindowStallReport, OperationsAndAnsweringsByTheirArgumentNames) {
  for (const Operation operation : {Operation::startUp, Operation::refresh, Operation::startWifi, Operation::stopWifi,
                                    Operation::connect, Operation::exit, Operation::crowdedRefresh})
    EXPECT_EQ(operationNamed(argumentName(operation)), operation);
  for (const Answering answering : {Answering::atOnce, Answering::late, Answering::never})
    EXPECT_EQ(answeringNamed(argumentName(answering)), answering);
  EXPECT_FALSE(operationNamed("start"));
}

}  // namespace
