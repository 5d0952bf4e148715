// The shop's script commands driven from scripts, its script constants, what a changed
// setting leads to, the broadcast to every tank, the pointer flags and the pool of queued
// moves. (The sound, key, pointer and file chooser commands have their own tests.)
#include <cstring>
#include <fstream>
#include <map>

#include "inputTestSupport.h"
#include "quietThingAccess.h"
#include "script/adsrPool.h"
#include "script/scriptCommands.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/shopGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using ShopCommands = InputShop;

// Each command runs with a line after it: a result of 0 lets that line run, any other
// result ends the script there.
TEST_F(ShopCommands, PanelAndPageCommands) {
    struct {
        char const* line;
        bool panel, focus;
        char const* openPane; // open before the command
        unsigned result;
        std::vector<std::string> calls, closed;
        int offCalls;
    } const cases[] = {
        {":clearHist", true, true, nullptr, 0, {"clearHistory"}, {}, 0},
        {":delLastHistory", true, true, nullptr, 0, {"deleteLastHistory"}, {}, 0},
        {":back", true, true, nullptr, 0, {"show main_pane|*back|"}, {}, 0},
        {":page /std_scripts/p", true, true, nullptr, 3, {"show main_pane|/std_scripts/p|"}, {"bar"}, 0},
        {":page /std_scripts/p more",
         true,
         true,
         nullptr,
         3,
         {"show main_pane|/std_scripts/p|more"},
         {"bar"},
         0},
        {":page /std_scripts/p", true, false, nullptr, 0, {}, {}, 0},
        {":page /std_scripts/p", false, true, nullptr, 3, {}, {}, 0},
        {":pane tf /std_scripts/tmf", true, true, nullptr, 0, {"show tf|/std_scripts/tmf|"}, {}, 0},
        {":pane tf /std_scripts/tmf x", true, true, "tf", 0, {"show tf|/std_scripts/tmf|x"}, {}, 0},
        {":toggle_pane tf /std_scripts/tmf", true, true, nullptr, 0, {"show tf|/std_scripts/tmf|"}, {}, 0},
        {":toggle_pane tf /std_scripts/tmf", true, true, "tf", 0, {"noPanes"}, {"tf"}, 0},
        {":pane tf /std_scripts/tmf", false, true, nullptr, 0, {}, {}, 0},
        {":panel off", true, true, nullptr, 0, {}, {}, 1},
        {":panel", true, true, nullptr, 0, {}, {}, 1},
        {":panel on", true, true, nullptr, 0, {}, {}, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line << (c.panel ? "" : " without a panel")
                                        << (c.focus ? "" : " without a focus tank"));
        start(c.panel);
        if (!c.focus) shop->setFocusTank(nullptr);
        if (panel) {
            panel->forget();
            if (c.openPane) panel->openPane(c.openPane);
        }
        CdirectoryVar building; // the pane whose script runs the command
        if (panel) panel->making = &building;
        EXPECT_EQ(run((std::string(c.line) + "\n:set tempInt 1\n").c_str()), int(c.result));
        EXPECT_EQ(shop->tempInt, c.result == 0 ? 1 : 0);
        EXPECT_EQ(exitSaver, 0) << exitMsg;
        if (panel) {
            EXPECT_EQ(panel->paneCalls, c.calls);
            EXPECT_EQ(panel->closed, c.closed);
            EXPECT_EQ(panel->offCalls, c.offCalls);
            if (std::strstr(c.line, "pane "))
                EXPECT_EQ(panel->making, &building) << "the pane being made is kept";
        }
        stopShop();
    }
}

// ":panel on" takes the panel's key bindings away, with or without a panel, and moves the
// panel into the focus tank.
TEST_F(ShopCommands, PanelOnDropsThePanelKeys) {
    for (bool withPanel : {true, false}) {
        SCOPED_TRACE(withPanel ? "panel" : "no panel");
        start(withPanel);
        CscriptVar script;
        ASSERT_EQ(script.processStringScript(":addKey q {\n :set tempInt 2\n}\n"), 0);
        shop->addKeyFunction(*static_cast<CscriptLine*>(script.firstChild), true);
        if (panel) panel->inTank = nullptr;
        ASSERT_EQ(run(":panel on\n"), 0);
        EXPECT_EQ(shop->keymaps->firstChild, nullptr);
        if (panel) EXPECT_EQ(panel->inTank, tank);
        emptyTrash();
        stopShop();
    }
}

TEST_F(ShopCommands, SmallCommands) {
    start();
    struct {
        char const* line;
        void (*before)(CshopKeeper&);
        bool (*holds)(CshopKeeper&);
    } const cases[] = {
        {":langNum2Code", [](CshopKeeper&) { languageNum = 3; },
         [](CshopKeeper&) { return languageCode == "fr"; }},
        {":langNum2Code", [](CshopKeeper&) { languageNum = 77; },
         [](CshopKeeper&) { return languageCode == "en"; }},
        {":chg", [](CshopKeeper&) { wasChanged = 0; }, [](CshopKeeper&) { return wasChanged == 1; }},
        {":3dmode 1", [](CshopKeeper&) { featureFlags &= ~4096; },
         [](CshopKeeper& s) { return s.threeDMode == 1 && (featureFlags & 4096) != 0; }},
        {":3dmode 0", [](CshopKeeper&) {},
         [](CshopKeeper& s) { return s.threeDMode == 0 && (featureFlags & 4096) == 0; }},
        {":verb 3", [](CshopKeeper&) { allowErrorChannels |= 2, errorChannels &= ~uint64_t(2); },
         [](CshopKeeper&) { return (errorChannels & 2) != 0; }},
        {":verb 0", [](CshopKeeper&) {}, [](CshopKeeper&) { return (errorChannels & 2) == 0; }},
        {":icancel", [](CshopKeeper&) {}, [](CshopKeeper&) { return true; }},
        {":noSuchShopCommand", [](CshopKeeper&) {},
         [](CshopKeeper&) {
             return std::strstr(exitMsg.c_str(), "Couldn't find command noSuchShopCommand") != nullptr;
         }},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.line);
        c.before(*shop);
        shop->tempInt = 0;
        int result = run((std::string(c.line) + "\n:set tempInt 1\n").c_str());
        bool known = std::string(c.line) != ":noSuchShopCommand";
        EXPECT_EQ(result, known ? 0 : 1);
        EXPECT_EQ(shop->tempInt, known ? 1 : 0);
        EXPECT_TRUE(c.holds(*shop));
    }
    languageNum = 0;
    languageCode = "";
    errorChannels = 1;
    resetExitState();
}

// ":special" greets with the files that could not be written, on the flex page; the flex
// message opens the same page one frame later.
TEST_F(ShopCommands, TheFlexPage) {
    start();
    failedWrite = ">/nowhere/x.txt|";
    ASSERT_EQ(run(":special\n:set tempInt 1\n"), 0);
    EXPECT_EQ(shop->tempInt, 1);
    EXPECT_EQ(shop->flexText, "hello>/nowhere/x.txt|");
    EXPECT_EQ(panel->paneCalls, std::vector<std::string>{"show main_pane|/std_scripts/flexMessage|"});
    failedWrite = "";
    panel->forget();
    shop->showFlexMessage();
    EXPECT_TRUE(panel->paneCalls.empty());
    stepFrames(1);
    EXPECT_EQ(panel->paneCalls, std::vector<std::string>{"show main_pane|/std_scripts/flexMessage|"});
    EXPECT_TRUE(shop->nextFrameCommand.empty());
}

// A file that cannot be opened for writing is listed once; the list stays bounded.
TEST(FailedWrites, AreListedOnceAndBounded) {
    failedWrite = "";
    std::ofstream out;
    EXPECT_EQ(file_open(out, "/nonexistent-folder/a.txt", 0), 0);
    EXPECT_EQ(file_open(out, "/nonexistent-folder/a.txt", 0), 0);
    EXPECT_EQ(failedWrite, ">/nonexistent-folder/a.txt|");
    for (int i = 0; i < 1000; i++)
        file_open(out, ("/nonexistent-folder/" + std::to_string(i)).c_str(), 0);
    EXPECT_LE(failedWrite.size(), 4096);
    EXPECT_GT(failedWrite.size(), 4000);
    failedWrite = "";
}

// The process-ending check is refused to text from the web: the script stops, nothing ends.
TEST_F(ShopCommands, DoCheckIsRefusedToDownloadedScripts) {
    start();
    char const text[] = ":doCheck\n:set tempInt 1\n";
    EXPECT_NE(runNetworkScript(shop.get(), text, int(sizeof text - 1)), 0);
    EXPECT_EQ(shop->tempInt, 0);
    // A stored script that the downloaded one runs is refused too.
    ASSERT_EQ(run(":addScript check {\n :doCheck\n}\n"), 0);
    char const indirect[] = ":runScript check\n:set tempInt 1\n";
    EXPECT_NE(runNetworkScript(shop.get(), indirect, int(sizeof indirect - 1)), 0);
    EXPECT_EQ(shop->tempInt, 0);
    EXPECT_EQ(exitSaver, 0) << "a refused download leaves the run alone";
}

TEST_F(ShopCommands, ScriptConstants) {
    start();
    struct {
        char const* name;
        int found;
        double value;
    } const cases[] = {{"IS_MAC", 0, 8},
                       {"HAS_MOUSE", 0, 2},
                       {"IN_3D_MODE", 0, 4096},
                       {"MACNOERR", 0, 4096},
                       {"IS_DEBUG", 0, 65536},
                       {"NO_MIX", 0, 32768},
                       {"IS_STL", 0, 8192},
                       {"USE_STORE", 0, 64},
                       {"is_mac", 1, -7},
                       {"WIDE", 1, -7},
                       {"", 1, -7}};
    for (auto const& c : cases) {
        double value = -7;
        EXPECT_EQ(shop->getLocalConstant(c.name, value), c.found) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    // Scripts reach them with "~", also from a tank below the shop keeper.
    ASSERT_EQ(run(":set tempInt (~IS_MAC+~HAS_3D)\n"), 0);
    EXPECT_EQ(shop->tempInt, 40);
    ASSERT_EQ(runStringScript(tank, ":int seen ~IS_WIN\n"), 0);
    ASSERT_NE(tank->getChild("seen"), nullptr);
    EXPECT_EQ(tank->getChild("seen")->getInt(), 4);
}

// A setting changed by a script marks the change; the registry is saved, or the focus tank
// marked, by where the setting lives; a setting anywhere else is only traced.
TEST_F(ShopCommands, AChangedSettingByWhereItLives) {
    start();
    struct {
        char const* what;
        Cvariable* (*setting)(CshopKeeper&, Ctank*);
        bool registrySaved, tankMarked;
    } const cases[] = {
        {"registry", [](CshopKeeper&, Ctank*) { return globalVariablesDir->getChild("maxFishPerTank"); },
         true, false},
        {"shop keeper", [](CshopKeeper& s, Ctank*) { return s.getChild("crabMood"); }, false, false},
        {"tank", [](CshopKeeper&, Ctank* t) { return t->getChild("worldSpeed"); }, false, true},
        {"elsewhere",
         [](CshopKeeper& s, Ctank*) { return s.getChild("std_scripts")->addVariableX("v", CLASS_INT); },
         false, false},
        {"nothing", [](CshopKeeper&, Ctank*) { return static_cast<Cvariable*>(nullptr); }, false, false},
    };
    std::string registry = data.file("registry.txt");
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(registry);
        wasChanged = 0;
        tank->changeTime = 0;
        globalTime = 12.5;
        shop->settingWasChanged(c.setting(*shop, tank));
        EXPECT_EQ(wasChanged, 1);
        EXPECT_EQ(pathExists(registry), c.registrySaved);
        EXPECT_EQ(tank->changeTime, c.tankMarked ? 12.5f : 0.0f);
        EXPECT_EQ(exitSaver, 0);
    }
    // The rotater reports its master: one under a plain folder changes nothing else.
    ASSERT_EQ(run(":mkdir box {\n :int count 1\n}\n:rotater r { :array x 1 a :array x 2 b }\n"
                  ":rotate r master box/count\n:rotate r next\n"),
              0);
    EXPECT_EQ(shop->findVariable("box/count")->getInt(), 2);
    EXPECT_EQ(exitSaver, 0);
}

// A thing message reaches every thing of every loaded tank, in the tanks' order; without a
// number it carries -1.
TEST_F(ShopCommands, MessagesReachEveryThingOfEveryTank) {
    class CrecordingThings : public CquietThingAccess {
      public:
        int receiveMessage(Cvariable* thing, Cstring const& a, Cstring const& b, float f) override {
            heard.push_back(std::string(thing->getName().c_str()) + " " + a.c_str() + " " + b.c_str() + " " +
                            std::to_string(int(f)));
            return 0;
        }
        std::vector<std::string> heard;
    } things;
    start();
    CtankThingAccess* savedAccess = tankThingAccess;
    Ctank* second = shop->allocBlankTankObject(-1);
    ASSERT_NE(second, nullptr);
    tankThingAccess = &things;
    for (auto [t, name] : {std::pair{tank, "fishA"}, {second, "fishB"}, {tank, "fishC"}})
        t->thingList->addVariable(new CdirectoryVar(), 1)->setName(name);
    struct {
        char const* line;
        std::vector<std::string> heard;
        bool shopClosed = false; // its tanks are gone: the message reaches no one
    } const cases[] = {
        {":messageAllThingsAllTanks pooMode x 2",
         {"fishA pooMode x 2", "fishC pooMode x 2", "fishB pooMode x 2"}},
        {":messageAllThingsAllTanks hello there",
         {"fishA hello there -1", "fishC hello there -1", "fishB hello there -1"}},
        {":messageAllThingsAllTanks late x", {}, true},
    };
    for (auto const& c : cases) {
        if (c.shopClosed) {
            tank->thingList->deleteChildren();
            second->thingList->deleteChildren();
            shop->shutDown();
        }
        things.heard.clear();
        ASSERT_EQ(run(c.line), 0) << c.line;
        EXPECT_EQ(things.heard, c.heard);
    }
    tankThingAccess = savedAccess;
}

TEST_F(ShopCommands, PointerFlags) {
    start();
    struct {
        short hasMouse, fakeOn;
        uint8_t real, anyOn;
    } const cases[] = {{1, 0, 0, 0}, {0, 0, 0, 1}, {1, 1, 0, 1}, {1, 0, 1, 1}};
    for (auto const& c : cases) {
        shop->hasMouse = c.hasMouse, shop->fakeMouseIsOn = c.fakeOn, shop->realMouseVisible = c.real;
        EXPECT_EQ(shop->recalcAnyMousePointerIsOn(), c.anyOn);
        EXPECT_EQ(shop->anyMousePointerIsOn, c.anyOn);
    }
    shop->hasMouse = 1, shop->fakeMouseIsOn = 0;
    shop->realMousePointerOn();
    EXPECT_EQ(shop->realMouseVisible, 1);
    EXPECT_EQ(shop->anyMousePointerIsOn, 1);
    shop->autoHideRealPointer = 0, shop->realPointerHidePending = 0;
    shop->realMousePointerOff();
    EXPECT_EQ(shop->realMouseVisible, 1) << "it hides only once the pointer rests";
    EXPECT_EQ(shop->realPointerHidePending, 1);
    EXPECT_EQ(shop->autoHideRealPointer, 1);
    // Click-feeding ends with its scripts and mode; with it already off nothing changes.
    shop->feedMode = 2, shop->mouseDownScript = ":addFood mousedown";
    shop->feedingOff();
    EXPECT_EQ(shop->feedMode, 0);
    EXPECT_TRUE(shop->mouseDownScript.empty());
    shop->mouseUpScript = ":kept";
    shop->feedingOff();
    EXPECT_EQ(shop->mouseUpScript, ":kept");
}

// ":addTank" makes a tank by type and id (or a bare one with a fresh id) and runs its block
// in it; a type that cannot load keeps the tank, a failing block takes it away again.
TEST_F(ShopCommands, AddTank) {
    struct {
        char const* line;
        unsigned result;
        int id; // the tank made; -9 none left
        char const* type;
        uint8_t reinstall;
        char const* exitReason;
        bool fileBlamed = false; // the settings' own lines failed
    } const cases[] = {
        {":addTank", 0, 1, "", 0, nullptr},
        {":addTank wabi_sabi 5 {\n :int fromBlock 1\n}", 0, 5, "wabi_sabi", 0, nullptr},
        // Half built, it would be shown without cameras and saved without its things.
        {":addTank no_such_type 6 {\n :int fromBlock 1\n}", 2, -9, nullptr, 1,
         "couldn't load the tank definition no_such_type"},
        {":addTank wabi_sabi 7 {\n :noSuchCommand\n}", 2, -9, nullptr, 0, "tank load failed", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.line);
        start();
        recommendReinstall = 0;
        settingsFileError = 0;
        int before = shop->loadedTanks->countChildren();
        EXPECT_EQ(run((std::string(c.line) + "\n:set tempInt 1\n").c_str()), int(c.result));
        EXPECT_EQ(shop->tempInt, c.result == 0 ? 1 : 0);
        EXPECT_EQ(shop->loadedTanks->countChildren(), before + (c.id == -9 ? 0 : 1));
        if (Ctank* made = c.id == -9 ? nullptr : shop->findLoadedTankByID(c.id)) {
            EXPECT_EQ(made->tankTypeName, Cstring(c.type));
            EXPECT_EQ(made->getChild("fromBlock") != nullptr, c.id == 5);
            EXPECT_EQ(made->addTankLoading, 0);
        } else {
            EXPECT_EQ(c.id, -9) << "no tank " << c.id;
        }
        EXPECT_EQ(recommendReinstall, c.reinstall);
        EXPECT_EQ(settingsFileError, c.fileBlamed ? 1 : 0);
        EXPECT_EQ(exitReasonList.empty(), c.exitReason == nullptr);
        if (c.exitReason) EXPECT_TRUE(exitRecorded(c.exitReason)) << exitMsg;
        stopShop();
        resetExitState();
        recommendReinstall = 0;
        settingsFileError = 0;
    }
}

// ":changeTank" rebuilds the focus tank as another type with the same id, on the same
// display, with the panel shown again; without a focus tank it does nothing.
TEST_F(ShopCommands, ChangeTankKeepsTheId) {
    writeResource("tanks/other/other.tank", ":addScript tanks/other/other.tank {\n :int planted 2\n"
                                            " :rotater cameraRotate {\n  :set main 7\n"
                                            "  :array cam 7 \"wide\" 0 0.1 6.4 0 -0.04 -1 48 1 0\n }\n}\n");
    for (bool focus : {true, false}) {
        SCOPED_TRACE(focus ? "focus tank" : "no focus tank");
        start();
        int id = tank->tankID;
        if (!focus) shop->setFocusTank(nullptr);
        panel->displayed = true;
        ASSERT_EQ(run(":changeTank other\n:set tempInt 1\n"), 0) << exitMsg;
        EXPECT_EQ(shop->tempInt, 1);
        EXPECT_EQ(shop->loadedTanks->countChildren(), 1);
        Ctank* now = shown(0);
        ASSERT_NE(now, nullptr);
        EXPECT_EQ(now->tankID, id);
        EXPECT_EQ(now->tankTypeName, Cstring(focus ? "other" : "wabi_sabi"));
        if (focus) {
            EXPECT_EQ(shop->focusTankObject, now);
            EXPECT_EQ(shop->focusTankType, Cstring("other"));
            EXPECT_EQ(panel->inTank, now);
            EXPECT_TRUE(panel->displayed);
        }
        EXPECT_EQ(exitSaver, 0) << exitMsg;
        stopShop();
        std::filesystem::remove(data.file("settings.txt"));
    }
}

// A monitor span command that cannot apply (no neighbour on that side) is no failure: the
// script goes on.
TEST_F(ShopCommands, MonitorSpanCommandsNeverStopTheScript) {
    for (char const* line : {":moncmd xl", ":moncmd xr", ":moncmd msoff", ":moncmd junk"}) {
        SCOPED_TRACE(line);
        start();
        Ctank* before = shown(0);
        EXPECT_EQ(run((std::string(line) + "\n:set tempInt 1\n").c_str()), 0);
        EXPECT_EQ(shop->tempInt, 1);
        EXPECT_EQ(shown(0), before);
        EXPECT_EQ(shop->sequenceHolder[0].xt, 0);
        stopShop();
    }
}

using SequenceCommands = TankShop;

// Steps and jumps between sequences: where the transition goes, over how long, sliding which
// way; refused steps and unknown sub-commands change nothing.
TEST_F(SequenceCommands, MoveAndSetStartTransitions) {
    struct {
        char const* line;
        short allowSeqChng;
        short target;
        float fadeSpeed, slide;
    } const cases[] = {
        {":seq move 1 2.5 0.3", 1, 1, 2.5f, -0.3f}, {":seq move -1 1 1", 1, 2, 1.0f, 1.0f},
        {":seq set 4", 1, 4, 0.0001f, 0.0f},        {":seq set 2 3 0.5", 1, 2, 3.0f, 0.5f},
        {":seq move 1 2.5 0.3", 0, -1, 0.0f, 0.0f}, {":seq set 2 1", 0, 2, 1.0f, 0.0f},
        {":seq sideways 1", 1, -1, 0.0f, 0.0f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.line);
        startShop();
        addScreen('a', 0);
        shop->checkForDisplayChanges();
        shop->sequenceDirectory(2);
        shop->displaySequence(0);
        ASSERT_EQ(shop->numSequences, 3);
        shop->fadePosition = shop->fadeSpeed = 0; // the first fade-in is over
        shop->allowSeqChng = c.allowSeqChng;
        slideAmplitude = 0;
        ASSERT_EQ(runStringScript(shop.get(), (std::string(c.line) + "\n:set tempInt 1\n").c_str()), 0);
        EXPECT_EQ(shop->tempInt, 1);
        EXPECT_EQ(shop->nextSequenceIndex, c.target);
        EXPECT_FLOAT_EQ(shop->fadeSpeed, c.fadeSpeed);
        EXPECT_FLOAT_EQ(slideAmplitude, c.slide);
        EXPECT_EQ(shop->displayedSequence, 0) << "shown once the fade is dark";
        stopShop();
        std::filesystem::remove(data.file("settings.txt"));
    }
    slideAmplitude = 0;
}

// Deleting a sequence takes its tanks with it and shows what was shown (or its neighbour
// when the list got shorter); a number that names no sequence, or the last sequence,
// changes nothing.
TEST_F(SequenceCommands, DeleteTakesTheTanksAlong) {
    struct {
        char const* what;
        int sequences, shownBefore, returnTo;
        char const* line;
        int shownAfter, sequencesAfter;
        int shownTankOf, tankGone; // sequences as numbered before; -9 none
    } const cases[] = {
        {"the only sequence", 1, 0, 0, ":seq delete 0", 0, 1, 0, -9},
        {"the shown last of three", 3, 2, 0, ":seq delete 2", 1, 2, 1, 2},
        {"one before the shown", 3, 2, 0, ":seq delete 0", 1, 2, 2, 0},
        {"one after the shown", 3, 0, 0, ":seq delete 1", 0, 2, 0, 1},
        {"no such sequence", 3, 1, 0, ":seq delete 7", 1, 3, 1, -9},
        {"a special that is not the preview", 3, 1, 0, ":seq delete -3", 1, 3, 1, -9},
        {"the preview, shown", 3, -6, 2, ":seq delete -6", 2, 3, 2, -6},
        {"the preview, not shown", 3, 1, 0, ":seq delete -6", 1, 3, 1, -6},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        startShop();
        addScreen('a', 0);
        shop->checkForDisplayChanges();
        shop->sequenceDirectory(c.sequences - 1);
        std::map<int, Ctank*> tanks; // each sequence's tank, made by showing it
        for (int n : {0, 1, 2, -6}) {
            if (n >= c.sequences) continue;
            shop->displaySequence(n);
            tanks[n] = shown(0);
        }
        shop->displaySequence(c.shownBefore);
        shop->returnToSeq = static_cast<short>(c.returnTo);
        ASSERT_EQ(runStringScript(shop.get(), (std::string(c.line) + "\n:set tempInt 1\n").c_str()), 0);
        EXPECT_EQ(shop->tempInt, 1);
        EXPECT_EQ(shop->displayedSequence, c.shownAfter);
        EXPECT_EQ(shop->numSequences, c.sequencesAfter);
        EXPECT_EQ(shop->sequences->countChildren(), c.sequencesAfter);
        EXPECT_EQ(shop->getChild("previewTankSeq") != nullptr, c.tankGone != -6);
        for (auto [n, t] : tanks) {
            bool loaded = false;
            for (Cvariable* h = shop->loadedTanks->firstChild; h; h = h->nextSibling)
                loaded = loaded || h->firstChild == t;
            EXPECT_EQ(loaded, n != c.tankGone) << "the tank of sequence " << n;
        }
        EXPECT_EQ(shown(0), tanks[c.shownTankOf]);
        EXPECT_EQ(exitSaver, 0) << exitMsg;
        stopShop();
        std::filesystem::remove(data.file("settings.txt"));
    }
}

using QueuedMoves = ShopFixture;

TEST_F(QueuedMoves, TheShopKeepersPoolHandsNodesBack) {
    startShop();
    CadsrPool pool;
    useAdsrPool(&pool);
    CnextADSR* a = shop->fetchADSR();
    CnextADSR* b = shop->fetchADSR();
    EXPECT_EQ(pool.allocatedCount(), 2);
    EXPECT_EQ(a->next, nullptr);
    shop->addADSR(a);
    shop->addADSR(b); // b's next is now a
    EXPECT_EQ(b->next, a);
    CnextADSR* again = shop->fetchADSR();
    EXPECT_EQ(again, b);
    EXPECT_EQ(again->next, nullptr);
    EXPECT_EQ(pool.allocatedCount(), 2);
    EXPECT_EQ(pool.fetchCount(), 3);
    shop->addADSR(again);
    shop->deleteADSRs();
    EXPECT_EQ(pool.spareCount(), 0);
    EXPECT_EQ(pool.adsrFreeList, nullptr);
    useAdsrPool(nullptr);
}

} // namespace
