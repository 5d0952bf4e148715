#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {

using Displays = TankShop;

TEST_F(Displays, RegistrationSortsLeftToRightAndRemovalReindexes) {
    struct Case {
        std::vector<float> lefts; // registered as 'a', 'b', ...
        std::string sorted;
        char removed;
        std::string after;
    } cases[] = {{{100, 0, 200}, "bac", 'b', "ac"},
                 {{0, 0, 50}, "abc", 'b', "ac"}, // equal edges keep their order
                 {{300, 200, 100, 0}, "dcba", 'a', "dcb"},
                 {{0}, "a", 'a', ""}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.sorted);
        startShop();
        std::vector<CrecordingDevice*> devs;
        for (size_t i = 0; i < c.lefts.size(); i++)
            devs.push_back(addScreen(char('a' + i), c.lefts[i]));
        ASSERT_EQ(order(), c.sorted);
        for (int i = 0; i < numDisplays; i++) {
            EXPECT_EQ(display[i]->displayIndex, i);
            EXPECT_EQ(shop->displays->getChild(i), display[i]);
            EXPECT_STREQ(display[i]->getName().c_str(), ("display" + std::to_string(i)).c_str());
        }
        shop->removeDisplay(devs[size_t(c.removed - 'a')]);
        EXPECT_EQ(order(), c.after);
        EXPECT_EQ(deleted, std::string(1, c.removed));
        EXPECT_EQ(shop->displays->countChildren(), numDisplays);
        EXPECT_EQ(display[numDisplays], nullptr);
        for (int i = 0; i < numDisplays; i++)
            EXPECT_EQ(display[i]->displayIndex, i);
        stopShop();
        EXPECT_EQ(deleted.size(), c.lefts.size()); // the table deletes the rest at shut-down
        deleted.clear();
    }
}

TEST_F(Displays, ANinthDisplayIsRefused) {
    startShop();
    for (int i = 0; i < kMaxDisplays; i++)
        addScreen(char('a' + i), float(i) * 100);
    EXPECT_FALSE(exitSaver);
    CrecordingDevice extra('x', deleted);
    shop->addDisplay(&extra, Crect(0, 100, 0, 100), 60);
    EXPECT_EQ(numDisplays, kMaxDisplays);
    EXPECT_EQ(exitReasonList.at(0), Cstring("Out of displays!"));
}

TEST_F(Displays, TheGuiDisplayCarriesThePanelAndTheFocus) {
    startShop();
    CrecordingDevice* left = addScreen('a', 0, 200);
    CrecordingDevice* right = addScreen('b', 200, 100);
    shop->checkForDisplayChanges();
    ASSERT_NE(left->tank, nullptr);
    ASSERT_NE(right->tank, nullptr);
    ASSERT_NE(right->tank, left->tank);
    // Showing a sequence takes display 0 as the GUI display.
    EXPECT_EQ(shop->guiDisplay, left);
    EXPECT_EQ(tanks.panel->on, left);
    EXPECT_EQ(tanks.panel->inTank, left->tank);
    EXPECT_FLOAT_EQ(shop->guiMonitorAspect, 2.0f);

    // The focus scripts: the tank type's global one on the panel, the tank's own on it.
    auto addScript = [](Cvariable* dir, char const* text) {
        auto* script = new CscriptVar();
        script->setName("focus");
        dir->addVariable(script, 1);
        ASSERT_EQ(script->processStringScript(text), 0);
    };
    addScript(shop->addDirectory("tanks")->addDirectory("wabi_sabi"), ":mkdir fromGlobal\n");
    CfakeTank* second = fake(right->tank);
    addScript(second, ":mkdir fromTank\n");
    shop->setGUItoAPI(right);
    EXPECT_EQ(tanks.panel->on, right);
    EXPECT_EQ(shop->focusTankObject, right->tank);
    EXPECT_STREQ(shop->focusTank.c_str(), second->getName().c_str());
    EXPECT_STREQ(shop->focusTankType.c_str(), "wabi_sabi");
    EXPECT_EQ(shop->focusTankID, second->id);
    EXPECT_STREQ(shop->focusDevicePath->getString(), right->getFullPath().c_str());
    EXPECT_NE(tanks.panel->panelNode.getChild("fromGlobal"), nullptr);
    EXPECT_NE(second->getChild("fromTank"), nullptr);
    EXPECT_FLOAT_EQ(shop->guiMonitorAspect, 1.0f);

    // Removing the GUI display detaches the panel and clears the focus.
    shop->removeDisplay(right);
    EXPECT_EQ(shop->guiDisplay, nullptr);
    EXPECT_EQ(tanks.panel->on, nullptr);
    EXPECT_EQ(tanks.panel->inTank, nullptr);
    EXPECT_EQ(shop->focusTankObject, nullptr);
    EXPECT_FLOAT_EQ(shop->guiMonitorAspect, 0.0f);
    EXPECT_TRUE(shop->focusTank.empty());
    EXPECT_FALSE(second->displayed);
    EXPECT_FALSE(second->updating);
}

TEST_F(Displays, ATankNoDeviceShowsAnyMoreIsMarkedNotShown) {
    startShop();
    CrecordingDevice* a = addScreen('a', 0);
    CrecordingDevice* b = addScreen('b', 100);
    shop->checkForDisplayChanges();
    CfakeTank* first = shown(0);
    CfakeTank* second = shown(1);
    ASSERT_NE(first, second);
    shop->setDeviceTank(b, key(first)); // the second tank leaves its only device
    EXPECT_FALSE(second->displayed);
    EXPECT_FALSE(second->updating);
    EXPECT_TRUE(first->displayed);
    shop->setDeviceTank(a, nullptr); // the first is still on b
    EXPECT_TRUE(first->displayed);
    EXPECT_EQ(first->devices, std::vector<CgraphicsAPI*>{b});
}

TEST_F(Displays, StereoModeChangesOnlyOnADifferentMode) {
    startShop();
    CrecordingDevice* a = addScreen('a', 0);
    int flags = featureFlags & ~4096;
    shop->set3Dmode(2);
    EXPECT_TRUE(a->stereoMode);
    EXPECT_EQ(featureFlags, flags | 4096);
    a->stereoMode = false; // the same mode again touches nothing
    shop->set3Dmode(2);
    EXPECT_FALSE(a->stereoMode);
    shop->set3Dmode(0);
    EXPECT_EQ(featureFlags, flags);
}

} // namespace
