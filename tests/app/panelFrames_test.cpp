// The control panel in the program's own frames, over the staged resources: pages opened
// by script show where the panel is (its background, buttons and text over the tank), its
// pointer routing reaches the tank and its pages, and closing it gives the tank back. Failing
// frames are kept as "<test name>_<n>.png" in the working folder.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/textWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 640, kHeight = 360;

class PanelFrames : public HostFixture {
  protected:
    // The program's view over the staged resources, run until the default tank is drawn.
    Ctank* start() {
        useStagedResources();
        view = std::make_unique<CvelmoraView>(CviewRect{0, 0, kWidth, kHeight},
                                              createOffscreenContext(kWidth, kHeight), false);
        if (!view->valid()) return nullptr;
        view->startAnimation();
        for (int i = 0; i < 60 && shopKeeper; i++) {
            view->animateOneFrame();
            if (shopKeeper->focusTankObject && controlPanel && controlPanel->display) break;
        }
        return shopKeeper ? shopKeeper->focusTankObject : nullptr;
    }
    std::vector<uint8_t> frame() {
        view->animateOneFrame();
        std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
        EXPECT_EQ(view->glView()->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
        shots.push_back(px);
        return px;
    }
    // Pixels of the interface rectangle r (GUI units) as light as the panel's letters.
    long whitePixels(std::vector<uint8_t> const& px, Crect const& r) {
        Crect const& g = controlPanel->display->guiViewportRect;
        long n = 0;
        for (int y = 0; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) {
                float gx = g.minx + (x + 0.5f) / kWidth * g.width(),
                      gy = g.miny + (y + 0.5f) / kHeight * g.height();
                if (gx < r.minx || gx > r.maxx || gy < r.miny || gy > r.maxy) continue;
                uint8_t const* p = &px[(size_t(y) * kWidth + x) * 4];
                n += p[0] > 150 && p[1] > 180 && p[2] > 200;
            }
        return n;
    }
    // The widget's centre in window pixels, y upward.
    static void pixelsOf(CwidgetVar* w, float& x, float& y) {
        Crect const& g = controlPanel->display->guiViewportRect;
        x = (w->rect.centerx() - g.minx) / g.width() * kWidth;
        y = (w->rect.centery() - g.miny) / g.height() * kHeight;
    }
    void TearDown() override {
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        if (HasFailure())
            for (size_t i = 0; i < shots.size(); i++)
                writeFramePng(
                    (savedCwd / (std::string(info->name()) + "_" + std::to_string(i) + ".png")).c_str(),
                    kWidth, kHeight, shots[i].data());
        if (view) {
            view->stopAnimation();
            view.reset();
        }
        HostFixture::TearDown();
    }
    static CwidgetVar* find(CgroupWidgetVar* group, char const* name) {
        for (Cvariable* c = group->widgetList()->firstChild; c; c = c->nextSibling) {
            auto* w = dynamic_cast<CwidgetVar*>(c);
            if (w && w->name == name) return w;
            if (auto* g = dynamic_cast<CgroupWidgetVar*>(w))
                if (CwidgetVar* inner = find(g, name)) return inner;
        }
        return nullptr;
    }
    std::unique_ptr<CvelmoraView> view;
    std::vector<std::vector<uint8_t>> shots;
};

// The main page opened by script draws the panel where its pane is: the background and
// buttons change the pixels there, text shows bright, and the tank elsewhere changes only
// where its fish swim; closing the panel gives the pixels back to the tank.
TEST_F(PanelFrames, TheMainPageShowsWhereThePanelIs) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    ASSERT_NE(controlPanel, nullptr);
    for (int i = 0; i < 200; i++) // the scene fades in over its first seconds
        view->animateOneFrame();
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    std::vector<uint8_t> before = frame();
    runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    auto* pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr);
    frame();
    std::vector<uint8_t> open = frame();
    Crect r = pane->rect;
    Crect inner(r.minx + 0.1f * r.width(), r.maxx - 0.1f * r.width(), r.miny + 0.1f * r.height(),
                r.maxy - 0.1f * r.height());
    // Changed pixels inside the pane and outside it.
    Crect const& g = controlPanel->display->guiViewportRect;
    long changedIn = 0, in = 0, changedOut = 0, out = 0;
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            float gx = g.minx + (x + 0.5f) / kWidth * g.width(),
                  gy = g.miny + (y + 0.5f) / kHeight * g.height();
            size_t i = (size_t(y) * kWidth + x) * 4;
            int d = std::abs(open[i] - before[i]) + std::abs(open[i + 1] - before[i + 1]) +
                    std::abs(open[i + 2] - before[i + 2]);
            bool inside = gx > inner.minx && gx < inner.maxx && gy > inner.miny && gy < inner.maxy;
            bool outside =
                gx < r.minx - 0.03f || gx > r.maxx + 0.03f || gy < r.miny - 0.03f || gy > r.maxy + 0.03f;
            if (inside) in++, changedIn += d > 24;
            if (outside) out++, changedOut += d > 24;
        }
    EXPECT_GT(changedIn, in * 8 / 10) << "the panel covers its pane";
    // Outside only the fish have moved.
    EXPECT_LT(changedOut, out / 20) << "the tank outside the panel is untouched";
    auto* title = dynamic_cast<CtextWidgetVar*>(find(pane, "Velmora"));
    ASSERT_NE(title, nullptr);
    EXPECT_GT(whitePixels(open, title->rect), 30) << "the title's letters show";
    // Between the buttons the panel's background darkens the water.
    Crect gap(r.minx + 0.05f * r.width(), r.minx + 0.1f * r.width(), r.miny + 0.4f * r.height(),
              r.miny + 0.6f * r.height());
    EXPECT_EQ(whitePixels(open, gap), 0);

    runStringScript(shopKeeper, ":panel off");
    frame();
    std::vector<uint8_t> closed = frame();
    long back = 0;
    for (size_t i = 0; i < closed.size(); i += 4)
        back += std::abs(closed[i] - before[i]) + std::abs(closed[i + 1] - before[i + 1]) > 24;
    EXPECT_LT(back, kWidth * kHeight / 10) << "closed, the tank shows again (its fish have moved)";
}

// Pointer presses through the panel: a click on the water opens the main page, a click on
// its "Help" button shows the help page, a click outside the pane closes the panel.
TEST_F(PanelFrames, ClicksOpenPagesAndCloseThePanel) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    shopKeeper->exitOnMouse = 2;
    shopKeeper->setRealMouseVisible(1);
    auto click = [&](float x, float y) {
        shopKeeper->touchPointers[0].mouseMoved(int(x), int(y), controlPanel->display);
        view->animateOneFrame();
        shopKeeper->mouseButtonDown(int(x), int(y));
        shopKeeper->mouseButtonUp(int(x), int(y));
        for (int i = 0; i < 20; i++)
            view->animateOneFrame();
    };
    // A corner of the water, away from the fish.
    click(8, kHeight - 8);
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    auto* pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr) << "a click on the water opens the menu";
    auto* help = find(pane, "Help");
    ASSERT_NE(help, nullptr);
    float x, y;
    pixelsOf(help, x, y);
    click(x, y);
    pane = controlPanel->findExistingPane("main_pane");
    ASSERT_NE(pane, nullptr);
    Cvariable* page = pane->getChild("myPage");
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->getString(), "/std_scripts/help_page");
    frame();
    click(8, kHeight - 8);
    EXPECT_EQ(controlPanel->findExistingPane("main_pane"), nullptr) << "a click outside closes the panel";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// Every page of the main pane opens without a script error.
TEST_F(PanelFrames, EveryPageOpens) {
    REQUIRE_OFFSCREEN();
    ASSERT_NE(start(), nullptr);
    for (char const* page :
         {"main_page", "fish_page", "picked_page", "tank_page", "sound_page", "help_page", "flexMessage"}) {
        SCOPED_TRACE(page);
        runStringScript(shopKeeper, (std::string(":page /std_scripts/") + page + " main_pane").c_str());
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        EXPECT_EQ(scriptError, 0);
        EXPECT_NE(controlPanel->findExistingPane("main_pane"), nullptr);
        frame();
    }
}

} // namespace
