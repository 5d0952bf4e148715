#include <gtest/gtest.h>

#include "support/languageCodes.h"

TEST(Languages, CodesAndNumbers) {
    // Pieces of neighbouring codes ("n_d", "e") are not codes.
    struct Case {
        char const* code;
        int number;
    } cases[] = {{"en", 0},  {"de", 1},   {"it", 8}, {"xx", -1}, {"", -1},
                 {"_e", -1}, {"n_d", -1}, {"e", -1}, {"enx", -1}};
    for (auto const& c : cases)
        EXPECT_EQ(languageCodeToLanguageNumber(c.code), c.number) << c.code;
    for (int n = 0; n < 9; n++)
        EXPECT_EQ(languageCodeToLanguageNumber(languageNumToLanguageCode(n)), n);
    EXPECT_STREQ(languageNumToLanguageCode(9), "en");
    EXPECT_STREQ(languageNumToLanguageCode(-1), "en");
}
