#include "support/languageCodes.h"

namespace {
char const* const languageCodes[] = {"en", "de", "nl", "fr", "fl", "es", "pt", "sv", "it"};
constexpr int languageCount = sizeof languageCodes / sizeof languageCodes[0];
} // namespace

int languageCodeToLanguageNumber(Cstring const& code) {
    for (int n = 0; n < languageCount; n++)
        if (code == languageCodes[n]) return n;
    return -1;
}

char const* languageNumToLanguageCode(int n) {
    return n >= 0 && n < languageCount ? languageCodes[n] : "en";
}
