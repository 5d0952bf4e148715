// What the system tells about itself, dates and the hooks this platform leaves empty.
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <random>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "support/languageCodes.h"

Cstring osID;
Cstring machineID;

namespace {

constexpr int64_t dateNumberEpoch = 1137000000; // 2006-01-11 17:20:00 UTC
constexpr int64_t dateSecondEpoch = 1136779260; // 2006-01-09 04:01:00 UTC

Cstring idFromBytes(char const* bytes) {
    return Cstring("m_") + binToBase64(bytes, 16).substr(0, 22);
}

// "fr_FR.UTF-8@euro" gives language "fr" and country "FR"; "C" and "POSIX" give nothing.
void splitLocale(Cstring const& locale, Cstring& language, Cstring& country) {
    language = "";
    country = "";
    char const* p = locale.c_str();
    if (locale == "C" || locale == "POSIX") return;
    Cstring* part = &language;
    for (; *p && *p != '.' && *p != '@'; p++) {
        if (*p == '_' || *p == '-') {
            part = &country;
            continue;
        }
        *part += static_cast<char>(part == &language ? std::tolower(static_cast<unsigned char>(*p))
                                                     : std::toupper(static_cast<unsigned char>(*p)));
    }
}

} // namespace

namespace OS {

Cstring buildMachineID() {
    Cstring id = hostServices().platformId();
    Cstring digits;
    for (int i = 0; i < id.size(); i++)
        if (id.c_str()[i] != '-') digits += id.c_str()[i];
    if (digits.size() != 32) return Cstring();
    for (int i = 0; i < 32; i++)
        if (hexCharToDecimal(digits.c_str()[i]) < 0) return Cstring();
    Cstring bytes = hexToBinary(digits);
    if (bytes.size() != 16) return Cstring();
    return idFromBytes(bytes.c_str());
}

Cstring makeRandomMachineID() {
    std::random_device device;
    char bytes[16];
    for (char& b : bytes)
        b = static_cast<char>(device() & 0xff);
    return idFromBytes(bytes);
}

float getOsVersion() {
    Cstring text = hostServices().systemVersionText();
    std::vector<Cstring> words;
    tokenize(words, text.c_str(), ' ');
    osID = words.size() > 1 ? words[1] : Cstring();
    return static_cast<float>(std::atof(osID.c_str()));
}

Cstring getCountry(bool code) {
    Cstring country;
    for (Cstring const& locale : hostServices().preferredLocales()) {
        Cstring language;
        splitLocale(locale, language, country);
        if (country.size() == 2) break;
    }
    if (country.size() != 2) country = "US";
    if (code) return country;
    static char const* const names[][2] = {
        {"US", "United States"}, {"GB", "United Kingdom"}, {"CA", "Canada"},      {"AU", "Australia"},
        {"DE", "Germany"},       {"AT", "Austria"},        {"CH", "Switzerland"}, {"NL", "Netherlands"},
        {"BE", "Belgium"},       {"FR", "France"},         {"ES", "Spain"},       {"PT", "Portugal"},
        {"BR", "Brazil"},        {"SE", "Sweden"},         {"IT", "Italy"},       {"IE", "Ireland"}};
    for (auto const& row : names)
        if (country == row[0]) return row[1];
    return country;
}

Cstring getSystemLanguage() {
    for (Cstring const& locale : hostServices().preferredLocales()) {
        Cstring language, country;
        splitLocale(locale, language, country);
        if (language.size() == 2 && languageCodeToLanguageNumber(language) != -1) return language;
        VTRACE(2, "none found, returning english");
    }
    return "en";
}

int getCurrentDateNumber() {
    return static_cast<int>((hostServices().now() - dateNumberEpoch) / 86400);
}

int getDateSecond() {
    return static_cast<int32_t>(static_cast<uint32_t>(hostServices().now()) -
                                static_cast<uint32_t>(dateSecondEpoch));
}

int getDateHour() {
    return getDateSecond() / 3600;
}

char const* getDateTime() {
    static char text[64];
    std::time_t now = static_cast<std::time_t>(hostServices().now());
    std::tm local;
    if (!localtime_r(&now, &local) || !asctime_r(&local, text)) text[0] = 0;
    return text;
}

int getRunMode() {
    return 99;
}
int createSaverWindows() {
    return 0;
}
int InitGraphics() {
    return 0;
}
int closeSaver() {
    return 0;
}
int checkMessages() {
    return 0;
}
int openDetailLogging() {
    return 0;
}
void _sleep(int) {}
void SleepMilliseconds(unsigned long) {}
void saverWindowsToBack() {}
void saverWindowsToFront() {}
void change3Dmode(short, short) {}

} // namespace OS
