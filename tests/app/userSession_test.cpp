// A viewer's first session with the program in its window under an X server, in a new data
// folder, every step a real X event (XTest): open the panel, add a fish, feed and watch a
// fish eat, turn the volume down, turn the tank into the dusk pool, close the panel; then
// the program is stopped with SIGTERM. Started again over the same data folder, it brings the settings back,
// shows the next tank in turn, and on the start after that the viewer's tank with its fish.
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/keysym.h>

#include <csignal>
#include <cstring>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "fakeInput.h"
#include "fish/fish.h"
#include "graphics/graphicsMaster.h"
#include "host/hostServices.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/imageWidget.h"
#include "interface/sliders.h"
#include "support/cerr.h"
#include "things/floatingFood.h"
#include "things/thing.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 480, kHeight = 270;

std::map<std::string, int> census(Ctank& tank) {
    std::map<std::string, int> count;
    for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
        if (auto* t = dynamic_cast<Cthing*>(v); t && t->species) count[t->species->name.c_str()]++;
    return count;
}

// Particles of food in the water.
int inWater(Ctank& tank) {
    int n = 0;
    for (Cvariable* v : tank.foodList)
        if (auto* f = dynamic_cast<CfloatingFood*>(v)) n += f->freeCount;
    return n;
}

float eaten(Ctank& tank) {
    float sum = 0;
    for (Cvariable* v : tank.fishList)
        if (auto* f = dynamic_cast<Cfish*>(v)) sum += f->stomachContents;
    return sum;
}

// The first widget under group (depth first) that is wanted, or null.
CwidgetVar* findWidget(CgroupWidgetVar* group, std::function<bool(CwidgetVar*)> const& wanted) {
    for (Cvariable* c = group ? group->widgetList()->firstChild : nullptr; c; c = c->nextSibling) {
        auto* w = dynamic_cast<CwidgetVar*>(c);
        if (w && wanted(w)) return w;
        if (auto* g = dynamic_cast<CgroupWidgetVar*>(w))
            if (CwidgetVar* inner = findWidget(g, wanted)) return inner;
    }
    return nullptr;
}

// The button labelled text in pane: the picture under the label, which takes the click.
CwidgetVar* button(char const* pane, char const* text) {
    CgroupWidgetVar* group = controlPanel ? controlPanel->findExistingPane(pane) : nullptr;
    CwidgetVar* label = findWidget(group, [text](CwidgetVar* w) { return w->name == text; });
    return label && label->parentWidget
               ? dynamic_cast<CwidgetVar*>(label->parentWidget->widgetList()->firstChild)
               : nullptr;
}

// The picture widget of pane showing the file that ends with picture.
CwidgetVar* picture(char const* pane, char const* file) {
    CgroupWidgetVar* group = controlPanel ? controlPanel->findExistingPane(pane) : nullptr;
    return findWidget(group, [file](CwidgetVar* w) {
        auto* image = dynamic_cast<CimageWidgetVar*>(w);
        std::string contents = image ? image->contents.c_str() : "";
        return contents.size() >= std::strlen(file) &&
               contents.compare(contents.size() - std::strlen(file), std::string::npos, file) == 0;
    });
}

class UserSession : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        savedStopAsked = programStopAsked;
    }
    void TearDown() override {
        run.reset();
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        programStopAsked = savedStopAsked;
        HostFixture::TearDown();
    }
    // One start of the program in its window; the first tank shown.
    Ctank* open() {
        ChostOptions options;
        options.width = kWidth, options.height = kHeight;
        static char name[] = "velmora";
        char* argv[] = {name, nullptr};
        run = std::make_unique<ChostRun>();
        if (run->open(options, 1, argv) != 0) return nullptr;
        Ctank* tank = nullptr;
        for (int i = 0; i < 120 && !(tank && tank->numFish > 0 && controlPanel && controlPanel->display);
             i++) {
            if (!run->step()) return nullptr;
            tank = shopKeeper ? shopKeeper->focusTankObject : nullptr;
        }
        // The scene fades in; the tutorial's line comes and goes.
        for (int i = 0; i < 150; i++)
            if (!run->step()) return nullptr;
        return shopKeeper ? shopKeeper->focusTankObject : nullptr;
    }
    void steps(int n) {
        for (int i = 0; i < n; i++)
            ASSERT_TRUE(run->step()) << "the run stopped";
    }
    // Until done or frames have passed; whether done.
    bool stepUntil(std::function<bool()> const& done, int frames) {
        for (int i = 0; i < frames; i++) {
            if (done()) return true;
            if (!run->step()) return false;
        }
        return done();
    }
    // The window pixel (rows downward) at the centre of w.
    static void pixelOf(CwidgetVar* w, int& x, int& y) {
        Crect const& g = controlPanel->display->guiViewportRect;
        x = int((w->rect.centerx() - g.minx) / g.width() * kWidth);
        y = kHeight - int((w->rect.centery() - g.miny) / g.height() * kHeight);
    }
    void pointAt(CwidgetVar* w) {
        int x = 0, y = 0;
        pixelOf(w, x, y);
        input.moveTo(run->window.id(), x, y);
        steps(2);
    }
    void click(CwidgetVar* w) {
        ASSERT_NE(w, nullptr);
        pointAt(w);
        input.click(1);
        steps(3);
    }
    void stopWithSigterm() {
        installStopSignals();
        ASSERT_EQ(kill(getpid(), SIGTERM), 0);
        for (int i = 0; i < 10 && run->step(); i++) {
        }
        EXPECT_EQ(run->close(), 0) << "the run ends as a stopped run does";
        // The only reason recorded is the one every stop records when its last view goes.
        for (Cstring const& reason : exitReasonList)
            EXPECT_STREQ(reason.c_str(), "no displays");
        EXPECT_EQ(erroredExit, 0);
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        stopSignalled = 0;
        programStopAsked = savedStopAsked;
        resetExitState();
    }

    ScopedDisplayLock displayLock; // let go after the run's windows are gone
    std::unique_ptr<ChostRun> run;
    CfakeInput input;
    bool (*savedStopAsked)() = nullptr;
};

TEST_F(UserSession, APanelSessionIsKeptAcrossRestarts) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    // The session is the first start in a new data folder: nothing it does is lost.
    useStagedResources();
    Ctank* tank = open();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    ASSERT_TRUE(pathExists(data.file("Resources/downloadedComponents.txt"))) << "the resources copied";
    ASSERT_STREQ(tank->tankTypeName.c_str(), "wabi_sabi");
    ASSERT_EQ(tank->tankID, 0);
    shopKeeper->autoFeedSeconds = 0; // only the viewer feeds
    CwidgetVar* hint = picture("no_pane", "button.rgb");
    ASSERT_NE(hint, nullptr);
    // The pointer shows once the mouse is shaken.
    for (int dx : {0, 60, 0, 60, 0}) {
        input.moveTo(run->window.id(), kWidth / 2 + dx, kHeight / 2);
        steps(2);
    }
    EXPECT_EQ(shopKeeper->realMouseVisible, 1);
    click(hint);
    ASSERT_TRUE(stepUntil([] { return button("bar", "Menu") != nullptr; }, 10)) << "a click opens the bar";
    click(button("bar", "Menu"));
    ASSERT_NE(button("main_pane", "Fish"), nullptr) << "the main page";

    // A fish added.
    click(button("main_pane", "Fish"));
    int fish = tank->numFish;
    click(button("main_pane", "+  Neon tetra"));
    EXPECT_EQ(tank->numFish, fish + 1);

    // Feeding: the shaker follows the pointer, a press pours, a fish eats.
    click(picture("main_pane", "back.rgb"));
    click(button("main_pane", "Feed"));
    EXPECT_EQ(shopKeeper->feedMode, 2);
    float before = eaten(*tank);
    input.moveTo(run->window.id(), kWidth / 2, kHeight / 3);
    steps(2);
    input.button(1, true);
    steps(20);
    input.button(1, false);
    EXPECT_GT(inWater(*tank), 0) << "the press poured food";
    EXPECT_TRUE(stepUntil([&] { return eaten(*tank) > before; }, 1800)) << "no particle eaten";
    input.key(XK_m); // the pointer back for clicking
    steps(2);
    EXPECT_EQ(shopKeeper->feedMode, 0);

    // The volume, turned down on the sound page.
    click(hint);
    ASSERT_TRUE(stepUntil([] { return button("bar", "Menu") != nullptr; }, 10));
    click(button("bar", "Menu"));
    click(button("main_pane", "Sound"));
    auto* knob = dynamic_cast<CvalueSlider*>(
        findWidget(controlPanel->findExistingPane("main_pane"),
                   [](CwidgetVar* w) { return dynamic_cast<CvalueSlider*>(w) != nullptr; }));
    ASSERT_NE(knob, nullptr);
    float volume = shopKeeper->masterVolume;
    int x = 0, y = 0;
    pixelOf(knob, x, y);
    input.moveTo(run->window.id(), x, y);
    steps(2);
    input.button(1, true);
    steps(2);
    for (int dx = 10; dx <= 80; dx += 10) {
        input.moveTo(run->window.id(), x - dx, y);
        steps(1);
    }
    input.button(1, false);
    steps(2);
    float turned = shopKeeper->masterVolume;
    EXPECT_LT(turned, volume - 0.1f) << "the knob dragged to the left";

    // The tank made again as the dusk pool, its fish with it.
    click(picture("main_pane", "back.rgb"));
    click(button("main_pane", "Tanks"));
    std::map<std::string, int> fishBefore;
    for (auto const& [species, n] : census(*tank))
        if (species != "crab" && n > 0) fishBefore[species] = n;
    fish = tank->numFish;
    click(button("main_pane", "Dusk pool"));
    tank = shopKeeper->focusTankObject;
    ASSERT_NE(tank, nullptr);
    EXPECT_STREQ(tank->tankTypeName.c_str(), "dusk_pool");
    EXPECT_EQ(tank->numFish, fish);
    click(picture("main_pane", "close.rgb"));
    EXPECT_EQ(controlPanel->findExistingPane("main_pane"), nullptr) << "the panel closed";
    steps(30);
    std::map<std::string, int> kept = census(*tank);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    stopWithSigterm();
    EXPECT_NE(settingsText().find("masterVolume"), std::string::npos);

    // The next start: the settings are back, the next tank in turn is shown, the dusk pool
    // with its own stock.
    tank = open();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    EXPECT_NEAR(shopKeeper->masterVolume, turned, 1e-4f);
    EXPECT_EQ(tank->tankID, 1);
    EXPECT_STREQ(tank->tankTypeName.c_str(), "dusk_pool");
    EXPECT_EQ(census(*tank)["cherry_barb"], 9) << "the second tank's own schools";
    stopWithSigterm();

    // And the start after: the viewer's tank, its fish, the volume.
    tank = open();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    EXPECT_NEAR(shopKeeper->masterVolume, turned, 1e-4f);
    EXPECT_EQ(tank->tankID, 0);
    EXPECT_STREQ(tank->tankTypeName.c_str(), "dusk_pool");
    std::map<std::string, int> back = census(*tank);
    for (auto const& [species, n] : kept)
        if (fishBefore.count(species) || species == "crab") EXPECT_EQ(back[species], n) << species;
    EXPECT_EQ(back["cherry_barb"], 0) << "not the dusk pool's own schools";
    stopWithSigterm();
}

} // namespace
