#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {

using Registry = TankShop;

Cvariable* addSequence(Cvariable* parent, char const* name, std::vector<int> const& ids) {
    auto* seq = static_cast<CdirectoryVar*>(parent->addVariable(new CdirectoryVar(), 1));
    seq->setName(name);
    for (size_t i = 0; i < ids.size(); i++)
        seq->getArrayVarElementOrMake("tankID", int(i), CLASS_INT, 0)->setInt(ids[i]);
    return seq;
}

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
        emptyTrash();
        for (auto const& ids : c.sequences)
            addSequence(shop->sequences, "seq", ids);
        if (!c.holding.empty()) addSequence(shop.get(), "holdingTankSeq", c.holding);
        for (int id : c.loaded)
            ASSERT_NE(shop->allocBlankTankObject(id), nullptr);
        for (char const* name : c.latent)
            shop->latentTanks->addVariable(new CscriptVar(), 1)->setName(name);
        EXPECT_EQ(shop->findUnusedTankID(), c.expected);
        for (int id : c.loaded)
            shop->deleteTankByID(id);
    }
}

TEST_F(Registry, TanksComeFromLatentScriptsQueuedScriptsOrTheDefault) {
    struct Case {
        char const* what;
        int id;
        char const* latent;     // script "tank<id>" under latentTanks
        char const* queued;     // first child of queued_tanks
        int definitionResult;
        int madeID;             // -2: no tank
        char const* type;
        char const* exitReason;
    } cases[] = {{"latent", 4, ":addTank reef 4\n", nullptr, 0, 4, "reef", nullptr},
                 {"latent without a tank", 4, ":mkdir nothing\n", nullptr, 0, -2, nullptr, "ran script but no tank!"},
                 {"latent that fails", 4, ":addTank reef 4 { :noSuchCommand }\n", nullptr, 0, -2, nullptr,
                  "tank load failed"},
                 {"default", 6, nullptr, nullptr, 0, 0, "wabi_sabi", nullptr},
                 {"fresh id", -1, nullptr, nullptr, 0, 0, "wabi_sabi", nullptr},
                 {"queued", 6, nullptr, ":mkdir fromQueue\n", 0, 0, "", nullptr},
                 {"no definition", 6, nullptr, nullptr, 1, -2, nullptr, "couldn't load the tank definition wabi_sabi"}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        startShop();
        shop->sequences->deleteChildren();
        tanks.definitionResult = c.definitionResult;
        if (c.latent) {
            auto* script = static_cast<CscriptVar*>(shop->latentTanks->addVariable(new CscriptVar(), 1));
            script->setName("tank4");
            ASSERT_EQ(script->processStringScript(c.latent), 0);
        }
        if (c.queued) {
            auto* script = new CscriptVar();
            shop->getChild("queued_tanks")->addVariable(script, 1);
            ASSERT_EQ(script->processStringScript(c.queued), 0);
        }
        CfakeTank* tank = fake(shop->findTankByID(c.id));
        if (c.madeID == -2) {
            EXPECT_EQ(tank, nullptr);
            EXPECT_EQ(shop->loadedTanks->firstChild, nullptr); // nothing half built stays
        } else {
            ASSERT_NE(tank, nullptr);
            EXPECT_EQ(tank->id, c.madeID);
            EXPECT_STREQ(tank->typeName.c_str(), c.type);
            EXPECT_STREQ(tank->getName().c_str(), ("tank" + std::to_string(c.madeID)).c_str());
            EXPECT_EQ(tank->parent->parent, shop->loadedTanks);
            EXPECT_EQ(tank->autoFeed, shop->autoFeedSeconds - 20);
            EXPECT_EQ(shop->findTankByID(c.madeID), key(tank)); // found again, not made again
            EXPECT_EQ(tanks.log.back(), "prep " + std::to_string(c.madeID));
            EXPECT_EQ(shop->latentTanks->firstChild, nullptr);
            EXPECT_EQ(shop->getChild("queued_tanks")->firstChild, nullptr);
            EXPECT_EQ(tank->getChild("fromQueue") != nullptr, c.queued != nullptr);
        }
        EXPECT_EQ(exitReasonList.empty(), c.exitReason == nullptr);
        if (c.exitReason) EXPECT_NE(std::string(exitMsg.c_str()).find(c.exitReason), std::string::npos) << exitMsg;
        stopShop();
        std::filesystem::remove(data.file("settings.txt")); // each case starts afresh
        resetExitState();
        tanks.log.clear();
    }
}

TEST_F(Registry, ARemovedTankLeavesThePanelAndTheDisplays) {
    startShop();
    CrecordingDevice* a = addScreen('a', 0);
    shop->checkForDisplayChanges();
    CfakeTank* tank = shown(0);
    tanks.panel->panelNode.setParent(tank, 1);
    shop->deleteTankByID(tank->id);
    EXPECT_EQ(tanks.panel->panelNode.parent, nullptr);
    EXPECT_EQ(a->tank, nullptr);
    EXPECT_EQ(shop->focusTankObject, nullptr);
    EXPECT_EQ(shop->loadedTanks->firstChild, nullptr);
    shop->deleteTankByID(0); // gone: nothing more happens
    emptyTrash();
}

TEST_F(Registry, ASavedTankComesBackWithItsIdAfterANewStart) {
    startShop();
    addScreen('a', 0);
    addScreen('b', 100);
    shop->checkForDisplayChanges();
    EXPECT_EQ(shown(1)->id, 1);
    stopShop();
    EXPECT_NE(settingsText().find(":addTank wabi_sabi 1"), std::string::npos);
    tanks.log.clear();
    startShop();
    ASSERT_NE(shop->findLatentTankScriptByID(1), nullptr);
    addScreen('a', 0);
    addScreen('b', 100);
    shop->checkForDisplayChanges();
    EXPECT_EQ(shown(0)->id, 0);
    EXPECT_EQ(shown(1)->id, 1);
    EXPECT_STREQ(shown(1)->typeName.c_str(), "wabi_sabi");
    EXPECT_EQ(tanks.log, (std::vector<std::string>{"load wabi_sabi", "loading 0", "prep 0", "load wabi_sabi",
                                                   "loading 1", "prep 1"}));
    EXPECT_EQ(shop->latentTanks->firstChild, nullptr);
}

} // namespace
