#include "shopTankTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"

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

} // namespace
