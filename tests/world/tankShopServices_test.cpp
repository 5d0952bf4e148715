#include "shopTestSupport.h"

#include "support/cerr.h"
#include "world/shopGlobals.h"
#include "world/tank.h"
#include "world/tankShopServices.h"

namespace {

class RealTanks : public ShopFixture {
  protected:
    void SetUp() override {
        ShopFixture::SetUp();
        servicesInUse = &real;
    }
    Ctank* showOneScreen() {
        shop->addDisplay(new CgraphicsAPI(), Crect(0, 100, 0, 100), 60);
        shop->checkForDisplayChanges();
        return display[0]->tank;
    }
    CtankShopServices real;
};

TEST_F(RealTanks, ATankIsDefinedShownSavedAndRebuiltWithItsId) {
    writeResource("tanks/wabi_sabi/wabi_sabi.tank",
                  ":addScript tanks/wabi_sabi/wabi_sabi.tank {\n :int planted 1\n}\n");
    startShop();
    Ctank* tank = showOneScreen();
    ASSERT_NE(tank, nullptr) << exitMsg;
    EXPECT_EQ(tank->tankID, 0);
    EXPECT_EQ(tank->tankTypeName, "wabi_sabi");
    EXPECT_NE(tank->getChild("planted"), nullptr);
    EXPECT_EQ(tank->tankDisplays, std::vector<CgraphicsAPI*>{display[0]});
    EXPECT_EQ(tank->parent->parent, shop->loadedTanks);
    EXPECT_FALSE(tank->fishClick.empty());
    stopShop();
    EXPECT_NE(settingsText().find(":addTank wabi_sabi 0"), std::string::npos);

    startShop();
    ASSERT_NE(shop->findLatentTankScriptByID(0), nullptr);
    tank = showOneScreen();
    ASSERT_NE(tank, nullptr) << exitMsg;
    EXPECT_EQ(tank->tankID, 0);
    EXPECT_EQ(tank->tankTypeName, "wabi_sabi");
    EXPECT_EQ(shop->findLatentTankScriptByID(0), nullptr);
    EXPECT_EQ(shop->loadedTanks->countChildren(), 1);
    EXPECT_FALSE(exitSaver) << exitMsg;
}

TEST_F(RealTanks, AMissingOrEmptyDefinitionShowsNoTank) {
    for (char const* definition :
         std::initializer_list<char const*>{"", ":int notADefinition 1\n", nullptr}) {
        SCOPED_TRACE(definition ? definition : "no file");
        if (definition) writeResource("tanks/wabi_sabi/wabi_sabi.tank", definition);
        startShop();
        EXPECT_EQ(showOneScreen(), nullptr);
        EXPECT_EQ(shop->loadedTanks->firstChild, nullptr);
        std::string reasons = exitMsg.c_str();
        EXPECT_NE(reasons.find("couldn't load the tank definition wabi_sabi"), std::string::npos) << reasons;
        EXPECT_NE(reasons.find("Null tank"), std::string::npos) << reasons;
        stopShop();
        std::filesystem::remove(data.file("Resources/tanks/wabi_sabi/wabi_sabi.tank"));
        resetExitState();
    }
}

} // namespace
