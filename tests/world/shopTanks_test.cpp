// The shop keeper's tanks, displays and sequences with real tanks.
#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {

using Registry = TankShop;
using Displays = TankShop;
using Sequences = TankShop;

TEST_F(Registry, UnusedIdsSkipEveryIdInUse) {
    struct Case {
        char const* what;
        std::vector<std::vector<int>> sequences;
        std::vector<int> holding, loaded;
        std::vector<char const*> latent;
        int expected;
    } cases[] = {{"nothing", {}, {}, {}, {}, 0},
                 {"a gap", {{0, 1}, {3}}, {}, {}, {}, 2},
                 {"no gap", {{0, 1, 2}}, {}, {}, {}, 3},
                 {"no ordinary ids", {{-1, -5}}, {}, {}, {}, 0},
                 {"holding sequence", {{0}}, {1}, {}, {}, 2},
                 {"corrupt ids", {{2000000000, 0, 32768}}, {}, {}, {}, 1},
                 {"loaded tank", {{0}}, {}, {1}, {}, 2},
                 {"latent tank", {{0}}, {}, {}, {"tank1", "tank", "tankX", "holding"}, 2}};
    startShop();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        shop->sequences->deleteChildren();
        shop->latentTanks->deleteChildren();
        shop->deleteChild("holdingTankSeq");
        auto addSequence = [](Cvariable* parent, char const* name, std::vector<int> const& ids) {
            auto* seq = static_cast<CdirectoryVar*>(parent->addVariable(new CdirectoryVar(), 1));
            seq->setName(name);
            for (size_t i = 0; i < ids.size(); i++)
                seq->getArrayVarElementOrMake("tankID", int(i), CLASS_INT, 0)->setInt(ids[i]);
        };
        for (auto const& ids : c.sequences)
            addSequence(shop->sequences, "seq", ids);
        if (!c.holding.empty()) addSequence(shop.get(), "holdingTankSeq", c.holding);
        for (int id : c.loaded)
            shop->allocBlankTankObject(id);
        for (char const* name : c.latent)
            shop->latentTanks->addVariable(new CscriptVar(), 1)->setName(name);
        EXPECT_EQ(shop->findUnusedTankID(), c.expected);
        for (int id : c.loaded)
            shop->deleteTankByID(id);
        EXPECT_EQ(shop->loadedTanks->firstChild, nullptr);
    }
}

TEST_F(Registry, TanksComeFromLatentScriptsQueuedScriptsOrTheDefault) {
    struct Case {
        char const* what;
        int id;
        char const* latent;     // script "tank4" under latentTanks
        char const* queued;     // first child of queued_tanks
        char const* definition; // of "wabi_sabi"
        int madeID;             // -2: no tank
        char const *type, *exitReason;
    } cases[] = {{"latent", 4, ":addTank wabi_sabi 4 { :int fromBlock 1 }\n", nullptr, nullptr, 4,
                  "wabi_sabi", nullptr},
                 {"latent without a tank", 4, ":mkdir nothing\n", nullptr, nullptr, -2, nullptr,
                  "ran script but no tank!"},
                 {"failing latent", 4, ":addTank wabi_sabi 4 { :noSuchCommand }\n", nullptr, nullptr, -2,
                  nullptr, "tank load failed"},
                 {"default", 6, nullptr, nullptr, nullptr, 0, "wabi_sabi", nullptr},
                 {"fresh id", -1, nullptr, nullptr, nullptr, 0, "wabi_sabi", nullptr},
                 {"queued", 6, nullptr, ":mkdir fromQueue\n", nullptr, 0, "", nullptr},
                 {"no definition file", 6, nullptr, nullptr, "", -2, nullptr,
                  "couldn't load the tank definition wabi_sabi"},
                 {"a definition that defines nothing", 6, nullptr, nullptr, ":int notADefinition 1\n", -2,
                  nullptr, "couldn't load the tank definition wabi_sabi"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.definition && !*c.definition)
            std::filesystem::remove(data.file("Resources/tanks/wabi_sabi/wabi_sabi.tank"));
        else if (c.definition)
            writeResource("tanks/wabi_sabi/wabi_sabi.tank", c.definition);
        startShop();
        shop->sequences->deleteChildren();
        for (auto [dir, text] :
             {std::pair{shop->latentTanks, c.latent}, {shop->getChild("queued_tanks"), c.queued}}) {
            if (text == nullptr) continue;
            auto* script = static_cast<CscriptVar*>(dir->addVariable(new CscriptVar(), 1));
            script->setName("tank4");
            ASSERT_EQ(script->processStringScript(text), 0);
        }
        Ctank* tank = shop->findTankByID(c.id);
        EXPECT_EQ(tank != nullptr, c.madeID != -2);
        if (tank) {
            EXPECT_EQ(tank->tankID, c.madeID);
            EXPECT_EQ(tank->tankTypeName, Cstring(c.type));
            EXPECT_EQ(shop->findTankByID(c.madeID), tank); // found again, not made again
            EXPECT_EQ(tank->getChild("fromQueue") != nullptr, c.queued != nullptr);
            EXPECT_EQ(tank->getChild("fromBlock") != nullptr, c.latent != nullptr);
            EXPECT_EQ(tank->addTankLoading, 0);
            // Readied for its first frame: the clear colour is set for two frames.
            EXPECT_EQ(tank->clearFramesLeft, 2);
        }
        // Scripts used are gone; a failed tank leaves nothing half built.
        EXPECT_EQ(shop->getChild("queued_tanks")->firstChild, nullptr);
        EXPECT_EQ(shop->latentTanks->firstChild == nullptr, tank || !c.latent);
        EXPECT_EQ(shop->loadedTanks->countChildren(), tank ? 1 : 0);
        EXPECT_EQ(exitReasonList.empty(), c.exitReason == nullptr);
        if (c.exitReason)
            EXPECT_NE(std::string(exitMsg.c_str()).find(c.exitReason), std::string::npos) << exitMsg;
        if (tank) { // a tank with the panel in it lets the panel go when it is removed
            tanks.panel->panelNode.setParent(tank, 1);
            shop->removeTank(tank);
            EXPECT_EQ(tanks.panel->panelNode.parent, nullptr);
            EXPECT_EQ(shop->loadedTanks->firstChild, nullptr);
        }
        stopShop();
        std::filesystem::remove(data.file("settings.txt"));
        resetExitState();
    }
}

TEST_F(Registry, ASavedTankComesBackWithItsIdAfterANewStart) {
    for (int run = 0; run < 2; run++) {
        startShop();
        EXPECT_EQ(shop->findLatentTankScriptByID(1) != nullptr, run == 1);
        addScreen('a', 0);
        addScreen('b', 100);
        shop->checkForDisplayChanges();
        ASSERT_NE(shown(1), nullptr) << exitMsg;
        EXPECT_EQ(shown(1)->tankID, 1);
        EXPECT_EQ(shown(1)->tankTypeName, Cstring("wabi_sabi"));
        EXPECT_EQ(shown(1)->tankDisplays, std::vector<CgraphicsAPI*>{display[1]});
        EXPECT_FALSE(shown(1)->fishClick.empty());
        EXPECT_EQ(shop->latentTanks->firstChild, nullptr);
        EXPECT_EQ(shop->loadedTanks->countChildren(), 2);
        stopShop();
        EXPECT_NE(settingsText().find(":addTank wabi_sabi 1"), std::string::npos);
    }
}

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
