// X11 keys in the engine's key codes.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/xKeys.h"
#include "world/keyMap.h"

namespace {

TEST(XKeys, PressesAndReleasesInTheEnginesCodes) {
    struct {
        char const* what;
        unsigned long keysym;
        std::string text;
        std::vector<int> pressed;
        int released;
    } const cases[] = {
        {"tab", XK_Tab, "\t", {KEY_TAB}, KEY_TAB_UP},
        {"shift tab", XK_ISO_Left_Tab, "", {KEY_TAB}, KEY_TAB_UP},
        {"left arrow", XK_Left, "", {KEY_LEFT}, 0},
        {"right arrow on the keypad", XK_KP_Right, "", {KEY_RIGHT}, 0},
        {"page up", XK_Prior, "", {KEY_PAGEUP}, 0},
        {"return", XK_Return, "\r", {KEY_ENTER}, 0},
        {"keypad enter", XK_KP_Enter, "\r", {KEY_ENTER}, 0},
        {"delete", XK_Delete, "\x7f", {KEY_DEL}, 0},
        {"shift", XK_Shift_L, "", {KEY_SHIFT_DOWN}, KEY_SHIFT_UP},
        {"a letter", XK_a, "a", {'a'}, 0},
        {"two characters", XK_dead_acute, "'e", {'\'', 'e'}, 0},
        {"latin-1", XK_eacute, "\xe9", {-23}, 0},
        {"y with diaeresis sends nothing", XK_ydiaeresis, "\xff", {}, 0},
        {"control characters send nothing", XK_c, "\x03", {}, 0},
        {"no text, no code", XK_F5, "", {}, 0},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(keyPressCodes(c.keysym, c.text.data(), int(c.text.size())), c.pressed) << c.what;
        EXPECT_EQ(keyReleaseCode(c.keysym), c.released) << c.what;
    }
}

} // namespace
