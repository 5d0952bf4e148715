// libFuzzer target over the program's command line (built with -DVELMORA_FUZZ=ON and
// clang). NUL bytes split the input into arguments; the last one is also tried as the
// screen-saver window variable. An accepted line must hold the parser's own limits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "host/frameFiles.h"
#include "host/hostOptions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string text(reinterpret_cast<char const*>(data), size);
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= text.size() && parts.size() < 32) {
        size_t cut = text.find('\0', at);
        if (cut == std::string::npos) cut = text.size();
        parts.push_back(text.substr(at, cut - at));
        at = cut + 1;
    }
    std::vector<char const*> argv = {"velmora"};
    for (auto const& p : parts)
        argv.push_back(p.c_str());
    for (char const* saverWindow : {static_cast<char const*>(nullptr), parts.back().c_str()}) {
        ChostOptions o;
        Cstring error;
        if (parseHostOptions(static_cast<int>(argv.size()), argv.data(), saverWindow, o, error) != 0) {
            if (error.empty()) __builtin_trap(); // a refusal always says why
            continue;
        }
        if (o.screens < 1 || o.screens > 8 || o.width < 1 || o.height < 1) __builtin_trap();
        // A hack draws in one window: the real root or the one named.
        if (o.mode == ChostOptions::kHack && o.root == (o.windowId != 0)) __builtin_trap();
        if (o.mode == ChostOptions::kHeadless && (o.frames < 1 || o.width < o.screens)) __builtin_trap();
        if (o.every && frameFileName(o.screenshot.c_str(), o.every).empty()) __builtin_trap();
        if (o.fishPerTank != -1 && (o.fishPerTank < 1 || o.fishPerTank > 110)) __builtin_trap();
        if (o.fishSizePercent != -1 && (o.fishSizePercent < 50 || o.fishSizePercent > 200)) __builtin_trap();
        if (o.settings && o.mode != ChostOptions::kWindow) __builtin_trap();
    }
    return 0;
}
