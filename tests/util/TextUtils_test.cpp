#include <gtest/gtest.h>

#include "util/TextUtils.h"

namespace {

TEST(Trim, RemovesBlanksAndControlCharactersAtBothEndsOnly) {
  EXPECT_EQ(Trim(" \t\r\n a b \x01\x1f "), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("\xc3\xa4"), "\xc3\xa4");  // bytes above 127 are text
}

TEST(SameText, IgnoresAsciiLetterCaseOnly) {
  EXPECT_TRUE(SameText("{abc-DEF}", "{ABC-def}"));
  EXPECT_FALSE(SameText("abc", "abcd"));
  EXPECT_FALSE(SameText("a-b", "a_b"));
}

}  // namespace
