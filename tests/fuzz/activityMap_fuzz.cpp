// libFuzzer target over the date texts and weekly activity maps the shop keeper reads
// (built with -DVELMORA_FUZZ=ON and clang). The first NUL ends the date text; the rest
// is the map, whose digits are shifted by the following bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "world/activityMap.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string text(reinterpret_cast<char const*>(data), size);
    size_t cut = text.find('\0');
    std::string date = text.substr(0, cut);
    int hour = getHour(date.c_str());
    if (hour < 0 || hour >= 7 * 24) __builtin_trap();

    std::string rest = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    std::string map(168, '5');
    for (size_t i = 0; i < rest.size() && i < map.size(); i++)
        map[i] = static_cast<char>('0' + static_cast<unsigned char>(rest[i]) % 10);
    Cstring activity = map.c_str();
    for (size_t i = 168; i + 1 < rest.size(); i += 2)
        shiftActivityDigit(activity, static_cast<signed char>(rest[i]),
                           static_cast<signed char>(rest[i + 1]));
    for (int h = 0; h < activity.size(); h++)
        if (activity.c_str()[h] < '0' || activity.c_str()[h] > '9') __builtin_trap();
    return 0;
}
