#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {

using Displays = TankShop;
using Sequences = TankShop;

TEST_F(Displays, RegistrationSortsLeftToRightAndRemovalReindexes) {
    struct Case {
        std::vector<float> lefts; // registered as 'a', 'b', ...
        std::string sorted;
        char removed;
        std::string after;
    } cases[] = {{{100, 0, 200}, "bac", 'b', "ac"},
                 {{0, 0, 50}, "abc", 'b', "ac"}, // equal edges keep their order
                 {{300, 200, 100, 0}, "dcba", 'a', "dcb"},
                 {{0, 100, 200, 300, 400, 500, 600, 700, 800}, "abcdefgh", 'a', "bcdefgh"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.sorted);
        startShop();
        std::vector<CrecordingDevice*> devs;
        for (size_t i = 0; i < c.lefts.size(); i++)
            devs.push_back(addScreen(char('a' + i), c.lefts[i]));
        ASSERT_EQ(order(), c.sorted);
        EXPECT_EQ(exitSaver != 0, c.lefts.size() > kMaxDisplays); // "Out of displays!"
        if (c.lefts.size() > kMaxDisplays) delete devs.back();    // refused: still the caller's
        shop->removeDisplay(devs[size_t(c.removed - 'a')]);
        EXPECT_EQ(order(), c.after);
        EXPECT_EQ(display[numDisplays], nullptr);
        EXPECT_EQ(shop->displays->countChildren(), numDisplays);
        for (int i = 0; i < numDisplays; i++) {
            EXPECT_EQ(display[i]->displayIndex, i);
            EXPECT_EQ(shop->displays->getChild(i), display[i]);
            EXPECT_EQ(display[i]->getName(), Cstring(("display" + std::to_string(i)).c_str()));
        }
        stopShop();
        EXPECT_EQ(deleted.size(), c.lefts.size());
        deleted.clear();
        resetExitState();
    }
}

TEST_F(Displays, TheGuiDisplayCarriesThePanelTheFocusAndItsScripts) {
    startShop();
    CrecordingDevice* left = addScreen('a', 0, 200);
    CrecordingDevice* right = addScreen('b', 200);
    shop->checkForDisplayChanges();
    ASSERT_NE(right->tank, left->tank);
    EXPECT_EQ(shop->guiDisplay, left); // showing a sequence takes display 0
    EXPECT_EQ(tanks.panel->inTank, left->tank);
    EXPECT_FLOAT_EQ(shop->guiMonitorAspect, 2.0f);
    // The tank type's focus script runs on the panel, the tank's own on the tank.
    Ctank* second = shown(1);
    for (auto [dir, text] :
         {std::pair<Cvariable*, char const*>{shop->addDirectory("tanks")->addDirectory("wabi_sabi"),
                                             ":mkdir fromGlobal\n"},
          {second, ":mkdir fromTank\n"}}) {
        auto* script = static_cast<CscriptVar*>(dir->addVariable(new CscriptVar(), 1));
        script->setName("focus");
        ASSERT_EQ(script->processStringScript(text), 0);
    }
    shop->setGUItoAPI(right);
    EXPECT_EQ(tanks.panel->on, right);
    EXPECT_EQ(tanks.panel->inTank, right->tank);
    EXPECT_EQ(shop->focusTankObject, right->tank);
    EXPECT_EQ(shop->focusTank, second->getName());
    EXPECT_EQ(shop->focusTankType, Cstring("wabi_sabi"));
    EXPECT_EQ(shop->focusTankID, second->tankID);
    EXPECT_STREQ(shop->focusDevicePath->getString(), right->getFullPath().c_str());
    EXPECT_NE(tanks.panel->panelNode.getChild("fromGlobal"), nullptr);
    EXPECT_NE(second->getChild("fromTank"), nullptr);
    // A tank that leaves its last device is marked not shown; one still on a device is not.
    shop->setDeviceTank(right, left->tank);
    EXPECT_FALSE(tanks.live[second]);
    EXPECT_TRUE(tanks.live[left->tank]);
    EXPECT_EQ(left->tank->tankDisplays, (std::vector<CgraphicsAPI*>{left, right}));
    shop->setDeviceTank(right, second);
    EXPECT_EQ(left->tank->tankDisplays, std::vector<CgraphicsAPI*>{left});
    // Removing the GUI display detaches the panel, clears the focus and stops its tank.
    shop->removeDisplay(right);
    EXPECT_EQ(shop->guiDisplay, nullptr);
    EXPECT_EQ(tanks.panel->on, nullptr);
    EXPECT_EQ(tanks.panel->inTank, nullptr);
    EXPECT_EQ(shop->focusTankObject, nullptr);
    EXPECT_TRUE(shop->focusTank.empty());
    EXPECT_FLOAT_EQ(shop->guiMonitorAspect, 0.0f);
    EXPECT_FALSE(tanks.live[second]);
}

TEST_F(Sequences, SpanMarksAndMonitorCommandsResolveToOneDisplaysTank) {
    struct Case {
        std::vector<int16_t> marks;
        char const* command; // run on the GUI display (display 0) after the marks are set
        int result;
        std::vector<int> shownEntry;
    } cases[] = {{{0, 0, 0}, nullptr, 0, {0, 1, 2}},   {{0, 1, 1}, nullptr, 0, {0, 0, 0}},
                 {{-1, -1, 0}, nullptr, 0, {2, 2, 2}}, {{-1, 0, 1}, nullptr, 0, {1, 1, 1}},
                 {{0, -1, 0}, nullptr, 0, {0, 2, 2}},  {{0, 0, 0}, "xl", 1, {0, 1, 2}},
                 {{0, 0, 0}, "xr", 0, {0, 0, 2}},      {{0, 1, 1}, "msoff", 0, {0, 1, 2}},
                 {{1, 1, 0}, "msoff", 0, {0, 1, 2}},   {{0, 1, 0}, "junk", 0, {0, 0, 2}}};
    startShop();
    for (char c : {'a', 'b', 'c'})
        addScreen(c, float(c) * 100);
    shop->checkForDisplayChanges();
    std::vector<int> ids = {shown(0)->tankID, shown(1)->tankID, shown(2)->tankID};
    ASSERT_EQ(ids, (std::vector<int>{0, 1, 2})); // fresh ids, kept in the sequence
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.marks[0] << c.marks[1] << c.marks[2] << (c.command ? c.command : ""));
        for (int d = 0; d < 3; d++)
            shop->sequenceHolder[d].xt = c.marks[d];
        shop->displaySequence(0);
        if (c.command) EXPECT_EQ(shop->monitorSpanCommand(c.command), c.result);
        for (int d = 0; d < 3; d++)
            EXPECT_EQ(shown(d)->tankID, ids[c.shownEntry[d]]) << "display " << d;
    }
    EXPECT_EQ(shop->sequences->countChildren(), 1);
    shop->seqRotType = 99; // a corrupt setting: the longest period
    shop->displaySequence(0);
    EXPECT_EQ(shop->secondsUntilSequenceRotate, 1800);
    // The holding sequence, made empty, shows the holding tank everywhere.
    shop->displaySequence(-5);
    EXPECT_EQ(shown(0)->getName(), Cstring("holding"));
    EXPECT_TRUE(shown(0)->tankID == -5 && shown(1) == shown(0) && shown(2) == shown(0));
    shop->setGUItoAPI(nullptr);
    EXPECT_EQ(shop->monitorSpanCommand("xr"), 1); // no GUI display
}

TEST_F(Sequences, RelativeStepsWrapOnceAndSlideAgainstTheStep) {
    struct Case {
        short displayed, step, numSequences, allow, target;
        float slide;
    } cases[] = {{2, 1, 3, 1, 0, -2.0f},
                 {2, -3, 3, 1, 2, 6.0f},
                 {0, -1, 3, 1, 2, 2.0f},
                 {1, 1, 3, 0, -1, 0.0f},
                 {0, 1, 1, 1, -1, 0.0f}};
    startShop();
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.displayed << " + " << c.step);
        shop->displayedSequence = c.displayed;
        shop->numSequences = c.numSequences;
        shop->allowSeqChng = c.allow;
        shop->nextSequenceIndex = -1;
        shop->fadePosition = shop->fadeSpeed = 0;
        slideAmplitude = 0;
        shop->nextSequence(c.step, true, 1.0f, 2.0f);
        EXPECT_EQ(shop->nextSequenceIndex, c.target);
        EXPECT_FLOAT_EQ(slideAmplitude, c.slide);
    }
}

TEST_F(Sequences, TheTransitionStateMachineInFixedSteps) {
    // Frames of 1/64 s against a fade of 0.5 s: the position moves by exactly 1/32.
    struct Case {
        char const* what;
        short seqTransType;
        float startPosition, startSpeed;
        short target, reverseAfter; // -1: no reversal
        int frames, shownAfter;     // frames until idle; sequence shown then
        float midMult;              // masterMult after frame 16 (-1: not checked)
    } cases[] = {{"fade out, switch, fade in", 1, 0, 0, 1, -1, 67, 1, 0.5f},
                 {"reversed after 8 frames", 1, 0, 0, 1, 8, 17, 0, -1},
                 {"no fades: instant", 0, 0, 0, 1, -1, 2, 1, -1},
                 {"fading in at full darkness", 1, 1.0f, -0.5f, 1, -1, 33, 1, 0.5f},
                 {"dark with nothing to show", 1, 1.0f, 0.5f, -1, -1, 35, 0, 0.4375f}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        globalSecondsSinceLastFrame = 1.0f / 64;
        startShop();
        addScreen('a', 0);
        shop->fillSequenceHolder(1);
        shop->displaySequence(0);
        shop->seqTransType = c.seqTransType;
        shop->fadePosition = c.startPosition;
        shop->fadeSpeed = c.startSpeed;
        if (c.startSpeed == 0) shop->nextSequence(c.target, false, 0.5f, 1.0f);
        shop->nextSequenceIndex = c.target;
        int frames = 0;
        for (; frames < 200 && (frames == 0 || shop->fadeSpeed != 0); frames++) {
            if (frames == c.reverseAfter) shop->nextSequence(0, false, 0.5f, 0.0f);
            shop->transitionHandler();
            if (frames == 15 && c.midMult >= 0) EXPECT_FLOAT_EQ(masterMult, c.midMult);
            if (frames == 32 && c.reverseAfter < 0 && c.startSpeed == 0 && c.seqTransType)
                EXPECT_FLOAT_EQ(slideAmplitude, -1.0f); // back in from the other side
        }
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(shop->displayedSequence, c.shownAfter);
        EXPECT_EQ(masterMult, 1.0f);
        EXPECT_FALSE(shop->sequenceIsTransitioning());
        // The rotation fires once the countdown runs out with nobody about.
        shop->secondsUntilSequenceRotate = 1;
        display[0]->refreshRate = 32;
        short before = shop->displayedSequence;
        for (int i = 0; i < 32 * 20 && shop->displayedSequence == before; i++)
            shop->timerMoveFrame(display[0]);
        EXPECT_NE(shop->displayedSequence, before);
        stopShop();
        std::filesystem::remove(data.file("settings.txt"));
    }
}

} // namespace
