#include "world/activityMap.h"

#include <algorithm>
#include <cstdlib>

#include "host/osFunctions.h"

int hourOfWeekNow() {
    int hour = OS::getDateHour() % kHoursPerWeek;
    return hour < 0 ? hour + kHoursPerWeek : hour;
}

void shiftActivityDigit(Cstring& map, int hour, int amount) {
    if (map.size() != kHoursPerWeek) return;
    int at = hour % kHoursPerWeek;
    if (at < 0) at += kHoursPerWeek;
    char* digits = map;
    int value = std::clamp(digits[at] - '0' - amount, 0, 9);
    digits[at] = static_cast<char>('0' + value);
}

int getHour(char const* dateText) {
    if (dateText == nullptr) return 0;
    static char const* const days[] = {"Tu", "We", "Th", "Fr", "Sa", "Su"};
    int weekday = 0;
    for (int d = 0; d < 6; d++)
        if (dateText[0] == days[d][0] && dateText[1] == days[d][1]) weekday = d + 1;
    // The hour stands at character 11 of a ctime text; a shorter text has none.
    for (int i = 0; i < 11; i++)
        if (dateText[i] == '\0') return weekday * 24;
    // Read as a number but kept within a day, so a damaged text still names an hour.
    long hour = std::strtol(dateText + 11, nullptr, 10);
    return weekday * 24 + static_cast<int>(std::clamp(hour, 0L, 23L));
}
