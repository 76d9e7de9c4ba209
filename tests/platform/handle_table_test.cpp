// The table behind the registry, service and internet handles.
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "win32/HandleTable.h"

namespace {

struct Object;
using Handle = Object*;

std::uintptr_t number(Handle handle) { return reinterpret_cast<std::uintptr_t>(handle); }

TEST(HandleTable, HandsOutNumbersFromTheFirstByStepAndNeverAgain) {
  struct Case {
    std::uintptr_t first;
    std::uintptr_t step;
  };
  for (auto [first, step] : {Case{0x1000, 1}, Case{0x5c000, 8}, Case{0x1004, 4}}) {
    SCOPED_TRACE(first);
    plat::HandleTable<Handle, std::string> table(first, step);
    const Handle a = table.add("a");
    const Handle b = table.add("b");
    EXPECT_EQ(number(a), first);
    EXPECT_EQ(number(b), first + step);
    ASSERT_EQ(table.remove(a), "a");
    EXPECT_EQ(number(table.add("c")), first + 2 * step);  // a's number stays unused
    EXPECT_EQ(table.find(a), std::nullopt);
    EXPECT_EQ(table.remove(a), std::nullopt);
    EXPECT_EQ(table.find(b), "b");
    EXPECT_EQ(table.find(nullptr), std::nullopt);
  }
}

TEST(HandleTable, ThreadsOpeningAndClosingAtOnceGetDistinctHandles) {
  plat::HandleTable<Handle, int> table(0x1000, 1);
  constexpr int perThread = 500;
  std::vector<std::vector<Handle>> kept(4);
  {
    std::vector<std::jthread> threads;
    for (auto& mine : kept) {
      threads.emplace_back([&table, &mine] {
        for (int i = 0; i < perThread; ++i) {
          const Handle closed = table.add(i);
          mine.push_back(table.add(i));
          EXPECT_EQ(table.remove(closed), i);
        }
      });
    }
  }
  std::set<Handle> distinct;
  for (const auto& mine : kept) {
    for (Handle handle : mine) {
      EXPECT_TRUE(table.find(handle));
      distinct.insert(handle);
    }
  }
  EXPECT_EQ(distinct.size(), kept.size() * perThread);
}

}  // namespace
