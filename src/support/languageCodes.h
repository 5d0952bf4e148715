// Language numbers and their two-letter codes.
#pragma once

#include "support/mystring.h"

// 0 en, 1 de, 2 nl, 3 fr, 4 fl, 5 es, 6 pt, 7 sv, 8 it. An unknown code gives -1.
int languageCodeToLanguageNumber(Cstring const& code);
// The code of language n; an unknown number gives "en".
char const* languageNumToLanguageCode(int n);
