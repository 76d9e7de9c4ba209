// GUID texts as scenarios give them and the platform writes them.
#include <gtest/gtest.h>

#include "common/Guid.h"

namespace {

TEST(GuidText, TakesEitherCaseAndRefusesAnyOtherShape) {
  const struct {
    const char* text;
    std::optional<std::string> canonical;
  } cases[] = {
      {"{4d36e972-e325-11ce-bfc1-08002be10318}", "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
      {"{4D36E972-E325-11CE-BFC1-08002BE10318}", "{4D36E972-E325-11CE-BFC1-08002BE10318}"},
      {"4D36E972-E325-11CE-BFC1-08002BE10318", std::nullopt},    // no braces
      {"{4D36E972-E325-11CE-BFC1-08002BE1031}", std::nullopt},   // a digit short
      {"{4D36E972-E325-11CE-BFC1-08002BE103180}", std::nullopt}, // a digit more
      {"{4D36E972-E325-11CE-BFC1_08002BE10318}", std::nullopt},  // another separator
      {"{4D36E972-E325-11CE-BFC1-08002BE1031G}", std::nullopt},  // not hexadecimal
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(plat::canonicalGuidText(c.text), c.canonical) << c.text;
}

}  // namespace
