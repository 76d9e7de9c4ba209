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

TEST(Utf, ConvertsBothWaysAndReplacesMalformedInput) {
  EXPECT_EQ(Utf8ToUtf16("Caf\xc3\xa9 \xf0\x9f\x93\xb6"), u"Caf\u00e9 \U0001F4F6");
  EXPECT_EQ(Utf16ToUtf8(u"Caf\u00e9 \U0001F4F6"), "Caf\xc3\xa9 \xf0\x9f\x93\xb6");
  EXPECT_EQ(Utf8ToUtf16("a\xff"
                        "b"),
            u"a\uFFFDb");
  const char16_t lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(Utf16ToUtf8(lone), "a\xef\xbf\xbd"
                               "b");
}

}  // namespace
