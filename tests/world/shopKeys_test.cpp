// Keys: their names, the bindings scripts make and where they run, the keys that act
// directly, and the shop commands of keys, the pointer and the file chooser.
#include "data/imageIO.h"
#include "inputTestSupport.h"
#include "variables/configDialogVars.h"
#include "world/keyMap.h"
#include "world/shopGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using Keys = InputShop;
using InputCommands = InputShop;

// Runs with a panel on the panel's widget tree, with only a focus tank on the tank, and
// with neither on the shop keeper.
TEST_F(Keys, BindingsRunWhereTheFocusIs) {
    struct {
        char const* what;
        bool panel, focus;
        int where; // 0 the widget tree, 1 the tank, 2 the shop keeper
    } const cases[] = {{"panel and focus", true, true, 0},
                       {"focus only", false, true, 1},
                       {"panel, no focus", true, false, 2},
                       {"neither", false, false, 2}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start(c.panel);
        ASSERT_NE(tank, nullptr);
        if (!c.focus) shop->setFocusTank(nullptr);
        ASSERT_EQ(run(":addKey a {\n :mkdir ranA\n}\n"), 0);
        EXPECT_EQ(shop->keyPressed('a'), 1);
        Cvariable* places[] = {panel ? panel->widgetsRoot() : nullptr, tank, shop.get()};
        for (int w = 0; w < 3; w++)
            if (places[w]) EXPECT_EQ(places[w]->getChild("ranA") != nullptr, w == c.where) << w;
        stopShop();
    }
}

TEST_F(Keys, TheNewestBindingOfExactlyThatNameRuns) {
    start(false);
    ASSERT_EQ(run(":addKey a {\n :set tempInt 1\n}\n:addKey a {\n :set tempInt 2\n}\n"
                  ":addKey * {\n :set tempInt 3\n}\n:addKey ANY {\n :set tempInt 4\n}\n"),
              0);
    struct {
        int code, expected;
    } const cases[] = {{'a', 2}, {'*', 3}, {'A', 4}, {'b', 4}, {KEY_LEFT, 4}};
    for (auto const& c : cases) {
        shop->tempInt = 0;
        shop->keyPressed(c.code);
        EXPECT_EQ(shop->tempInt, c.expected) << c.code;
    }
    // Without ANY an unbound key does nothing.
    ASSERT_EQ(run(":clearKeys\n"), 0);
    shop->tempInt = 0;
    EXPECT_EQ(shop->executeKeyScript('b'), 0);
    EXPECT_EQ(shop->tempInt, 0);
}

TEST_F(Keys, TabRunsOnceWhileHeldAndItsReleaseClosesThePicker) {
    start();
    ASSERT_EQ(run(":addKey TAB {\n :set tempInt (1+$tempInt)\n}\n:addKey TAB_UP {\n :set tempInt 100\n}\n"),
              0);
    for (int i = 0; i < 3; i++)
        shop->keyPressed(KEY_TAB); // the key repeats while held
    EXPECT_EQ(shop->tempInt, 1);
    EXPECT_EQ(shop->tabIsDown, 1);
    shop->keyPressed(KEY_TAB_UP);
    EXPECT_EQ(shop->tabIsDown, 0);
    EXPECT_EQ(panel->offCalls, 0) << "no picker: the panel stays";
    EXPECT_EQ(shop->tempInt, 1) << "the release runs no binding";
    shop->keyPressed(KEY_TAB);
    shop->pickerOn = 1;
    shop->keyPressed(KEY_TAB_UP);
    EXPECT_EQ(shop->tempInt, 2);
    EXPECT_EQ(panel->offCalls, 1);
}

TEST_F(Keys, KeysThatActDirectly) {
    start(false);
    ASSERT_EQ(run(":addKey ANY {\n :set tempInt 9\n}\n"), 0);
    struct {
        int code;
        short shift;
        uint8_t anim;
        short threeD;
    } const cases[] = {
        {KEY_SHIFT_DOWN, 1, 1, 0},
        {KEY_SHIFT_UP, 0, 1, 0},
        {'p', 0, 0, 0},
        {'p', 0, 1, 0},
        {'P', 0, 2, 0},
        {'p', 0, 0, 0},
        {KEY_STEREO, 0, 0, 1},
    };
    for (auto const& c : cases) {
        shop->tempInt = 0;
        shop->keyPressed(c.code);
        EXPECT_EQ(shop->shiftIsDown, c.shift) << c.code;
        EXPECT_EQ(enableAnim, c.anim) << c.code;
        EXPECT_EQ(shop->threeDMode, c.threeD) << c.code;
        EXPECT_EQ(shop->tempInt, 0) << "no binding runs for " << c.code;
    }
    enableAnim = 1;
}

TEST_F(Keys, SpecialModeLetters) {
    start(false);
    ASSERT_EQ(run(":addKey ANY {\n :set tempInt 9\n}\n"), 0);
    struct {
        short special;
        int code;
        bool bindingRuns;
        uint8_t shown, enabled;
        float rateFactor;
        char const* exit;
    } const cases[] = {
        {1, 'G', false, 1, 0, 1, nullptr}, {1, 'g', false, 1, 1, 1, nullptr},
        {1, 'G', false, 0, 1, 1, nullptr}, {1, 'm', false, 0, 1, 1, nullptr},
        {1, 'd', true, 0, 1, 1, nullptr},  {0, 'h', true, 0, 1, 1, nullptr},
        {1, 'h', false, 0, 1, 2, nullptr}, {1, 'x', false, 0, 1, 2, "xkey"},
    };
    for (auto const& c : cases) {
        specialMode = c.special;
        shop->tempInt = 0;
        shop->keyPressed(c.code);
        EXPECT_EQ(shop->tempInt == 9, c.bindingRuns) << char(c.code);
        EXPECT_EQ(guideGeoShown, c.shown) << char(c.code);
        EXPECT_EQ(enableGuideGeo, c.enabled) << char(c.code);
        EXPECT_FLOAT_EQ(shop->refreshRateFactor, c.rateFactor) << char(c.code);
        if (c.exit) EXPECT_TRUE(exitRecorded(c.exit)) << "an orderly stop, not the end of the process";
    }
    specialMode = 0;
    guideGeoShown = enableGuideGeo = 0;
}

TEST_F(Keys, FailingBindingsAndKeysWhenNothingRuns) {
    start();
    ASSERT_EQ(run(":addKey f {\n :noSuchCommand\n}\n:addKey a {\n :set tempInt 1\n}\n"), 0);
    startRunOrQuit = 2; // quitting: keys are ignored
    EXPECT_EQ(shop->keyPressed('a'), 1);
    EXPECT_EQ(shop->tempInt, 0);
    startRunOrQuit = 1;
    shop->shopIsOpen = 0; // not open yet: the bindings are not there to run
    EXPECT_EQ(shop->executeKeyScript('a'), 0);
    EXPECT_EQ(shop->tempInt, 0);
    EXPECT_EQ(exitSaver, 0);
    shop->shopIsOpen = 1;
    EXPECT_EQ(shop->executeKeyScript('f'), 1);
    EXPECT_TRUE(exitRecorded("faccfail"));
    resetExitState();
}

TEST_F(Keys, PanelBindingsGoWhenAPaneClosesAndBindingsMayClearThemselves) {
    start(false);
    ASSERT_EQ(run(":addKey q {\n :set tempInt 1\n}\n"), 0);
    CscriptVar script;
    ASSERT_EQ(script.processStringScript(":addKey q {\n :set tempInt 2\n}\n"), 0);
    shop->addKeyFunction(*static_cast<CscriptLine*>(script.firstChild), true);
    shop->keyPressed('q');
    EXPECT_EQ(shop->tempInt, 2) << "the panel's binding is the newer";
    shop->removePanelKeys();
    shop->keyPressed('q');
    EXPECT_EQ(shop->tempInt, 1);
    EXPECT_EQ(shop->keymaps->countChildren(), 1);
    // A binding that clears every binding, its own among them, runs to its end.
    ASSERT_EQ(run(":addKey k {\n :clearKeys\n :set tempInt 5\n}\n"), 0);
    shop->keyPressed('k');
    EXPECT_EQ(shop->tempInt, 5);
    EXPECT_EQ(shop->keymaps->firstChild, nullptr);
    emptyTrash();
}

TEST_F(InputCommands, MouseOnAndOff) {
    start();
    struct {
        char const* line;
        uint8_t visible, anyOn;
        short feedMode;
    } const cases[] = {{":mouse on\n", 1, 1, 2}, {":mouse sideways\n", 1, 1, 2}, {":mouse off\n", 0, 0, 0}};
    for (auto const& c : cases) {
        shop->feedMode = 2;
        EXPECT_EQ(run(c.line), 0) << c.line;
        EXPECT_EQ(shop->realMouseVisible, c.visible) << c.line;
        EXPECT_EQ(shop->anyMousePointerIsOn, c.anyOn) << c.line;
        EXPECT_EQ(shop->feedMode, c.feedMode) << c.line;
    }
    shop->hasMouse = 0; // no mouse: the interface always takes the pointer
    EXPECT_EQ(shop->recalcAnyMousePointerIsOn(), 1);
}

// The bindings the program ships with all run: none names a command that is not there
// (which would stop the saver with an error).
TEST_F(Keys, EveryShippedBindingRuns) {
    start(false);
    std::string interface = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "species/gui_panel/interface.gui";
    ASSERT_EQ(runDiskScript(shop.get(), interface.c_str()), 0);
    bool found = false;
    ASSERT_EQ(runScript(shop.get(), "/std_scripts/std_keys", &found), 0);
    ASSERT_TRUE(found);
    int bindings = 0;
    for (Cvariable* b = shop->keymaps->firstChild; b; b = b->nextSibling) {
        int code = 0;
        for (int c = -128; c < 128 && code == 0; c++)
            if (c != 0 && convertKey(c) == b->name) code = c;
        ASSERT_NE(code, 0) << "no key is named " << b->name;
        EXPECT_EQ(shop->executeKeyScript(code), 0) << b->name;
        EXPECT_EQ(exitSaver, 0) << b->name;
        bindings++;
    }
    EXPECT_GE(bindings, 8);
    host.answerFileRequest(nullptr); // the picture key asked for a chooser
}

class FileChoice : public InputShop {
  protected:
    void startWithScripts() {
        start();
        ASSERT_EQ(run(":mkdir std_scripts {\n :string bgImage \"pics\"\n"
                      " :addScript set_new_bg_image {\n  :set tempInt (1+$tempInt)\n }\n}\n"),
                  0);
    }
    Cvariable* target() { return shop->findVariable("std_scripts/bgImage"); }
    // A picture the decoders read, in the test's folder.
    std::string picture(char const* name) {
        imageFile image(4, 2, 3, PIXEL_8BIT, 0, 2);
        std::string path = pictures.file(name);
        EXPECT_EQ(image.saveSGI(path.c_str()), 1);
        return path;
    }
    TempDir pictures;
};

TEST_F(FileChoice, AChosenPictureGoesToTheScriptACancelChangesNothing) {
    std::string reef = picture("reef.sgi"), junk = pictures.file("junk.jpg");
    writeWholeFile(junk, "no picture");
    struct {
        char const* answer;
        char const* path;
        int scriptRuns;
        char const* told; // on the message page
    } const cases[] = {{reef.c_str(), reef.c_str(), 1, nullptr},
                       {nullptr, "pics", 0, nullptr},
                       {junk.c_str(), "pics", 0, "\"junk.jpg\" cannot be read"}};
    for (auto const& c : cases) {
        startWithScripts();
        host.calls.clear();
        ASSERT_EQ(run(":fileRequest std_scripts/bgImage\n"), 0);
        EXPECT_EQ(shop->ignoreActivationThisFrame, 1);
        ASSERT_EQ(host.calls, std::vector<std::string>{"fileRequest pics"});
        EXPECT_EQ(shop->tempInt, 0) << "nothing happens before the answer";
        panel->forget();
        ASSERT_TRUE(host.answerFileRequest(c.answer));
        EXPECT_STREQ(target()->getString(), c.path);
        EXPECT_EQ(shop->tempInt, c.scriptRuns);
        EXPECT_EQ(exitSaver, 0);
        EXPECT_EQ(!panel->paneCalls.empty(), c.told != nullptr);
        if (c.told) EXPECT_NE(std::string(shop->flexText.c_str()).find(c.told), std::string::npos);
        stopShop();
    }
}

TEST_F(FileChoice, OneChooserAtATimeAndAnswersThatComeTooLate) {
    startWithScripts();
    ASSERT_EQ(run(":fileRequest std_scripts/bgImage\n"), 0);
    ASSERT_EQ(run(":fileRequest std_scripts/bgImage\n"), 0); // refused: one is open
    ASSERT_TRUE(host.answerFileRequest(picture("a.sgi").c_str()));
    EXPECT_FALSE(host.answerFileRequest("/b.jpg"));
    EXPECT_EQ(shop->tempInt, 1);
    // The variable went away while the chooser was open: only the script runs.
    ASSERT_EQ(run(":fileRequest std_scripts/bgImage\n"), 0);
    deleteVariable(target());
    ASSERT_TRUE(host.answerFileRequest(picture("c.sgi").c_str()));
    EXPECT_EQ(shop->tempInt, 2);
    // The shop keeper is gone by the time the answer comes.
    ASSERT_EQ(run(":mkdir std_scripts {\n :string bgImage \"pics\"\n}\n:fileRequest std_scripts/bgImage\n"),
              0);
    stopShop();
    EXPECT_TRUE(host.answerFileRequest("/d.jpg"));
}

TEST_F(FileChoice, AMissingVariableStopsTheScript) {
    startWithScripts();
    EXPECT_NE(run(":fileRequest std_scripts/nothing\n:set tempInt 3\n"), 0);
    EXPECT_EQ(shop->tempInt, 0);
    EXPECT_TRUE(exitRecorded("filerequest std_scripts/nothing not found"));
    EXPECT_TRUE(host.calls.empty() || host.calls.back().rfind("fileRequest", 0) != 0);
    resetExitState();
}

} // namespace
