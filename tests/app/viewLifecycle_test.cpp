// Views sharing one engine: the first to start makes the shop keeper, each registers its
// own display, and only the view that stops last (or after the engine asked to exit)
// shuts the engine down and saves.
#include <memory>

#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

using ViewLifecycle = HostFixture;

std::unique_ptr<CvelmoraView> makeView(double x, double w, double h) {
    return std::make_unique<CvelmoraView>(CviewRect{x, 0, w, h}, createOffscreenContext(int(w), int(h)),
                                          false);
}

TEST_F(ViewLifecycle, TwoScreensShareOneEngineUntilTheLastStops) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    // Whether the engine had asked to exit before the first view stops.
    for (bool exitFirst : {false, true}) {
        SCOPED_TRACE(exitFirst ? "exit requested" : "no exit requested");
        std::filesystem::remove(data.file("settings.txt"));
        auto left = makeView(0, 420, 40);
        auto right = makeView(420, 380, 40);
        EXPECT_FALSE(left->preview);
        EXPECT_TRUE(right->preview) << "narrower than 400";
        left->startAnimation();
        CshopKeeper* shop = shopKeeper;
        ASSERT_NE(shop, nullptr);
        right->startAnimation();
        EXPECT_EQ(shopKeeper, shop) << "one shop keeper";
        ASSERT_EQ(numDisplays, 2);
        ASSERT_NE(left->findThisAPI(), nullptr);
        ASSERT_NE(right->findThisAPI(), nullptr);
        EXPECT_NE(left->findThisAPI(), right->findThisAPI());
        EXPECT_EQ(right->findThisAPI()->appliedWindowRect.minx, 420.0f);
        right->startAnimation();
        EXPECT_EQ(numDisplays, 2) << "a registered view does not register again";
        for (int i = 0; i < 5; i++) {
            left->animateOneFrame();
            right->animateOneFrame();
        }
        EXPECT_TRUE(exitReasonList.empty());
        if (exitFirst) setExit("asked");
        left->stopAnimation();
        if (exitFirst) {
            EXPECT_EQ(shopKeeper, nullptr);
        } else {
            EXPECT_EQ(shopKeeper, shop) << "the other view still runs the engine";
            EXPECT_EQ(numDisplays, 2) << "the stopped view's display stays registered";
            right->stopAnimation();
            EXPECT_EQ(shopKeeper, nullptr);
        }
        EXPECT_EQ(numDisplays, 0);
        EXPECT_NE(settingsText().find("crabMood"), std::string::npos) << "shut-down saved the settings";
        left.reset();
        right.reset();
        freeGlobals();
        resetExitState();
    }
}

TEST_F(ViewLifecycle, WindowListKeepsEightViews) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    std::vector<std::unique_ptr<CvelmoraView>> views;
    for (int i = 0; i < 9; i++)
        views.push_back(std::make_unique<CvelmoraView>(CviewRect{double(i), 0, 8, 8}, nullptr, false));
    for (auto& v : views)
        addWindow(v.get());
    addWindow(views[3].get());
    for (int i = 0; i < kMaxViews; i++)
        EXPECT_EQ(allWindows[i], views[size_t(i)].get()) << "slot " << i;
    EXPECT_FALSE(views[0]->valid()) << "a view without a context";
}

} // namespace
