#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"

namespace {

using Registry = TankShop;

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
            EXPECT_EQ(tank->getName(), Cstring(("tank" + std::to_string(c.madeID)).c_str()));
            EXPECT_EQ(tank->parent->parent, shop->loadedTanks);
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

} // namespace
