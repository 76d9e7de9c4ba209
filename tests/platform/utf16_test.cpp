// The one conversion between 8-bit and UTF-16 text, at its edges.
#include <string>

#include <gtest/gtest.h>

#include "rtl/Utf16.h"
#include "win32/TextConversion.h"

namespace {

using namespace std::string_literals;

TEST(Utf16, ConvertsBothWaysReplacingWhatIsMalformed) {
  struct FromUtf8 {
    const char* what;
    std::string utf8;
    std::u16string utf16;
  };
  for (const auto& [what, utf8, utf16] : {
           FromUtf8{"empty", "", u""},
           FromUtf8{"two, three and four bytes", "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x93\xb6", u"Caf\u00e9 \u20ac \U0001F4F6"},
           FromUtf8{"NUL inside", "a\0b"s, u"a\0b"s},
           FromUtf8{"not UTF-8", "a\xff" "b", u"a\uFFFDb"},
           FromUtf8{"overlong, with its trail", "\xc0\xaf" "b", u"\uFFFDb"},
           FromUtf8{"cut short", "a\xe2\x82", u"a\uFFFD"},
           FromUtf8{"an encoded surrogate", "\xed\xa0\x80" "b", u"\uFFFDb"},
       }) {
    SCOPED_TRACE(what);
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16);
    EXPECT_EQ(plat::toUtf16(utf8), utf16);
  }

  struct FromUtf16 {
    const char* what;
    std::u16string utf16;
    std::string utf8;
    bool wellFormed;
  };
  for (const auto& [what, utf16, utf8, wellFormed] : {
           FromUtf16{"empty", u"", "", true},
           FromUtf16{"a pair", u"a\U0001F4F6", "a\xf0\x9f\x93\xb6", true},
           FromUtf16{"the highest pair", u"\U0010FFFF", "\xf4\x8f\xbf\xbf", true},
           FromUtf16{"NUL inside", u"a\0b"s, "a\0b"s, true},
           FromUtf16{"lone high", {u'a', 0xD800, u'b'}, "a\xef\xbf\xbd" "b", false},
           FromUtf16{"lone high at the end", {u'a', 0xDBFF}, "a\xef\xbf\xbd", false},
           FromUtf16{"lone low", {0xDC00, u'b'}, "\xef\xbf\xbd" "b", false},
           FromUtf16{"low before high", {0xDC00, 0xD800}, "\xef\xbf\xbd\xef\xbf\xbd", false},
       }) {
    SCOPED_TRACE(what);
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
    EXPECT_EQ(IsWellFormedUtf16(utf16), wellFormed);
    // The Windows-shaped calls read up to the first NUL and refuse what is malformed.
    const std::u16string terminated(utf16.c_str());
    EXPECT_EQ(plat::toUtf8(terminated.c_str()),
              wellFormed ? std::optional(Utf16ToUtf8(terminated)) : std::nullopt);
  }
  EXPECT_EQ(plat::toUtf8(nullptr), std::nullopt);
}

}  // namespace
