// The program's window under an X server, driven with real X input (XTest): keys bound at
// start-up run their scripts (the picture key's file chooser among them), the wheel zooms
// the camera, a click picks a fish; a screen saver's window takes none of it.
#include "hostFixture.h"    // before the X headers, whose None clashes with the test framework's
#include "testHttpServer.h" // so do their Success and Error with the web server's

#include <X11/keysym.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "fish/fish.h"
#include "fakeInput.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "host/httpConnection.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/imageWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "things/thing.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/velmoraFunctions.h"

namespace {

// The file chooser while it is shown, else null.
GtkFileChooserDialog* openChooser() {
    GtkFileChooserDialog* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
        if (GTK_IS_FILE_CHOOSER_DIALOG(l->data) && gtk_widget_get_mapped(GTK_WIDGET(l->data)))
            found = GTK_FILE_CHOOSER_DIALOG(l->data);
    g_list_free(all);
    return found;
}

// A window made by another program, as a screen saver host makes one.
struct ChostersWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    ChostersWindow(int w, int h) {
        if (!display) return;
        window =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(w), unsigned(h), 0, 0, 0);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent e{}; e.type != MapNotify;)
            XNextEvent(display, &e);
    }
    ~ChostersWindow() {
        if (display && window) XDestroyWindow(display, window);
        if (display) XCloseDisplay(display);
    }
};

// Where the renderer draws a world point on the display, in window pixels (rows downward):
// the display's own view and projection, its viewport above the letterbox.
bool drawnAt(CgraphicsAPI const* d, Cvector const& p, float& x, float& y) {
    float c[4];
    for (int j = 0; j < 4; j++)
        c[j] = p.x * d->viewProjection.m[0][j] + p.y * d->viewProjection.m[1][j] +
               p.z * d->viewProjection.m[2][j] + d->viewProjection.m[3][j];
    if (c[3] <= 0.0f) return false;
    x = (c[0] / c[3] + 1.0f) * 0.5f * d->width;
    y = d->height - (float(d->letterboxBottom) + (c[1] / c[3] + 1.0f) * 0.5f * float(d->viewportHeight));
    return true;
}

// A pickable animal as drawn: its middle, and its body from head to tail, in window pixels.
struct CdrawnAnimal {
    Cthing* thing;
    float x, y, headX, headY, tailX, tailY;
    float length() const { return std::hypot(headX - tailX, headY - tailY); }
    // Pixels from (px, py) to the body line.
    float distance(float px, float py) const {
        float dx = tailX - headX, dy = tailY - headY, l2 = dx * dx + dy * dy;
        float t = l2 > 0 ? std::clamp(((px - headX) * dx + (py - headY) * dy) / l2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(px - headX - t * dx, py - headY - t * dy);
    }
};

std::vector<CdrawnAnimal> drawnAnimals(Ctank* tank, CgraphicsAPI const* d) {
    std::vector<CdrawnAnimal> all;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling) {
        auto* t = dynamic_cast<Cthing*>(v);
        if (!t || !t->hasAttribute(ATTR_PICKABLE)) continue;
        Cvector mid, head, tail;
        t->getMidPos(mid), t->getHeadPos(head), t->getTailPos(tail);
        CdrawnAnimal a{t, 0, 0, 0, 0, 0, 0};
        if (drawnAt(d, mid, a.x, a.y) && drawnAt(d, head, a.headX, a.headY) &&
            drawnAt(d, tail, a.tailX, a.tailY))
            all.push_back(a);
    }
    return all;
}

class WindowInput : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        enableAnim = 1;
    }
    void TearDown() override {
        run.close();
        enableAnim = 1;
        HostFixture::TearDown();
    }
    void steps(int n) {
        for (int i = 0; i < n; i++)
            ASSERT_TRUE(run.step());
    }
    static char* argv0() {
        static char name[] = "velmora";
        return name;
    }
    ScopedDisplayLock displayLock; // let go after the run's windows are gone
    ChostRun run;
    CfakeInput input;
};

TEST_F(WindowInput, AScreenSaversWindowReadsNoInput) {
    REQUIRE_X();
    ASSERT_TRUE(input.usable()) << "no XTest";
    struct {
        char const* what;
        bool hack;
        bool engineHears;
    } const cases[] = {{"a screen saver's window", true, false}, {"own window", false, true}};
    makeFolders(true);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        ChostRun run;
        ChostersWindow given(160, 120);
        ChostOptions options;
        options.mode = c.hack ? ChostOptions::kHack : ChostOptions::kWindow;
        options.windowId = given.window;
        options.width = 160, options.height = 120;
        char* argv[] = {argv0(), nullptr};
        ASSERT_EQ(run.open(options, 1, argv), 0);
        auto frames = [&run](int n) {
            for (int i = 0; i < n; i++)
                ASSERT_TRUE(run.step());
        };
        frames(3);
        ASSERT_NE(shopKeeper, nullptr);
        unsigned long window = c.hack ? given.window : run.window.id();
        input.moveTo(window, 80, 60);
        frames(2);
        input.key(XK_p); // pauses the tank when heard
        input.click(1);
        input.click(4);
        frames(3);
        EXPECT_EQ(enableAnim == 0, c.engineHears);
        EXPECT_EQ(shopKeeper->wheelAccumulator != 0.0f, c.engineHears);
        EXPECT_EQ(shopKeeper->touchPointers[0].display != nullptr, c.engineHears) << "the pointer too";
        EXPECT_EQ(logs().find("KEY PRESSED") != std::string::npos, c.engineHears);
        EXPECT_EQ(run.close(), 0);
        enableAnim = 1;
    }
}

// A window asked larger than the screen, in either direction, keeps its shape and fits the
// screen, the bar on it.
TEST_F(WindowInput, TheOwnWindowFitsTheScreen) {
    REQUIRE_X();
    makeFolders(true);
    Display* x = XOpenDisplay(nullptr);
    ASSERT_NE(x, nullptr);
    int screenW = DisplayWidth(x, DefaultScreen(x)), screenH = DisplayHeight(x, DefaultScreen(x));
    struct {
        int width, height;
    } const asked[] = {
        {3 * screenW, screenW},     // too wide: as wide again as high, thrice
        {screenW / 2, 2 * screenH}, // narrow enough but too high
    };
    for (auto const& size : asked) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        ChostOptions options;
        options.width = size.width, options.height = size.height;
        char* argv[] = {argv0(), nullptr};
        ChostRun fitted;
        ASSERT_EQ(fitted.open(options, 1, argv), 0);
        XWindowAttributes shown{};
        ASSERT_TRUE(XGetWindowAttributes(x, fitted.window.id(), &shown));
        EXPECT_LE(shown.width, screenW);
        EXPECT_LE(shown.height, screenH);
        EXPECT_NEAR(double(shown.width) / shown.height, double(size.width) / size.height, 0.02);
        EXPECT_EQ(fitted.views[0]->myFrame.width, shown.width);
    }
    XCloseDisplay(x);
}

// The default tank in a window of its own: keys bound at start-up, the wheel, a click.
TEST_F(WindowInput, KeysTheWheelAndAClickDriveTheDefaultTank) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    ChostOptions options;
    options.width = 480, options.height = 270;
    char* argv[] = {argv0(), nullptr};
    ASSERT_EQ(run.open(options, 1, argv), 0);
    Ctank* tank = nullptr;
    for (int i = 0; i < 60 && !(tank && tank->cameraUnlocked); i++) {
        steps(1);
        tank = shopKeeper ? shopKeeper->focusTankObject : nullptr;
    }
    ASSERT_NE(tank, nullptr);
    ASSERT_TRUE(tank->cameraUnlocked);
    CgraphicsAPI* screen = run.views[0]->findThisAPI();
    ASSERT_NE(screen, nullptr);
    unsigned long window = run.window.id();
    input.moveTo(window, 240, 135);
    steps(2);
    EXPECT_EQ(shopKeeper->touchPointers[0].display, screen);

    // Keys: "z" follows the animal in focus, "r" shows the whole tank, LEFT highlights.
    struct {
        KeySym key;
        short camera;
    } const keys[] = {{XK_z, 2}, {XK_r, 0}};
    for (auto const& k : keys) {
        input.key(k.key);
        steps(1);
        EXPECT_EQ(tank->camera, k.camera) << XKeysymToString(k.key);
    }
    input.key(XK_Left);
    steps(1);
    EXPECT_NE(tank->focus, nullptr);
    EXPECT_EQ(shopKeeper->highlight, 1);
    input.key(XK_Escape);
    steps(1);
    EXPECT_EQ(shopKeeper->highlight, 0);
    // "b" asks for a picture: the chooser opens over the window while the frames go on; the
    // chosen picture's path reaches the script's variable, a cancel changes nothing.
    Cvariable* picture = shopKeeper->findVariable("std_scripts/bgImage");
    ASSERT_NE(picture, nullptr);
    TempDir pictures;
    std::vector<uint8_t> reef(16 * 8 * 4, 90);
    ASSERT_EQ(writeFramePng(pictures.file("reef.png").c_str(), 16, 8, reef.data()), 0);
    for (bool choose : {true, false}) {
        SCOPED_TRACE(choose ? "chosen" : "cancelled");
        Cstring before = picture->getString();
        input.key(XK_b);
        GtkFileChooserDialog* chooser = nullptr;
        for (int i = 0; i < 300 && !chooser; i++) {
            steps(1);
            chooser = openChooser();
        }
        ASSERT_NE(chooser, nullptr) << "the chooser opens";
        int frame = run.frame;
        steps(3);
        EXPECT_EQ(run.frame, frame + 3) << "the frames go on";
        EXPECT_NE(shopKeeper->fileRequestNumber, 0);
        if (choose) {
            gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), pictures.file("reef.png").c_str());
            for (int i = 0; i < 300; i++) {
                gchar* now = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
                bool there = now && pictures.file("reef.png") == now;
                g_free(now);
                if (there) break;
                steps(1);
            }
        }
        gtk_dialog_response(GTK_DIALOG(chooser), choose ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_CANCEL);
        steps(2);
        EXPECT_EQ(shopKeeper->fileRequestNumber, 0);
        EXPECT_EQ(std::string(picture->getString()), choose ? pictures.file("reef.png") : before.c_str());
        EXPECT_EQ(exitSaver, 0);
    }

    // The wheel turned up zooms in about the pointer.
    steps(30); // the reframed camera settles
    float before = tank->destCamera.camPos.z;
    for (int i = 0; i < 3; i++)
        input.click(4);
    steps(3);
    EXPECT_LT(tank->destCamera.camPos.z, before - 0.01f);
    EXPECT_EQ(shopKeeper->realMouseVisible, 1) << "the wheel shows the pointer";

    // A press and release on a fish picks it: found where the tank's own picking finds it.
    steps(10);
    Cvariable* fish = nullptr;
    int atX = 0, atY = 0;
    for (int y = 20; y < 250 && !fish; y += 6)
        for (int x = 20; x < 460 && !fish; x += 6) {
            Cvariable* under = tank->getThingClosestToScreenSpace(screen, float(x), float(y), 0.01f);
            if (under && under != tank->focus) fish = under, atX = x, atY = y;
        }
    ASSERT_NE(fish, nullptr) << "no fish on the screen";
    input.moveTo(window, atX, 270 - atY);
    input.click(1);
    steps(1);
    EXPECT_EQ(tank->focus, fish);
    EXPECT_EQ(shopKeeper->highlight, 1);
    EXPECT_EQ(run.close(), 0);
}

// The default tank in a window of the given size under real X input, with the pointer shown.
class WindowClicks : public WindowInput {
  protected:
    void open(int w, int h) {
        width = w, height = h;
        ChostOptions options;
        options.width = w, options.height = h;
        char* argv[] = {argv0(), nullptr};
        ASSERT_EQ(run.open(options, 1, argv), 0);
        steps(240); // the tank fades in, the fish spread out
        tank = shopKeeper ? shopKeeper->focusTankObject : nullptr;
        ASSERT_NE(tank, nullptr);
        screen = run.views[0]->findThisAPI();
        input.moveTo(run.window.id(), w / 2, h / 2);
        key(XK_m); // the pointer, for clicking
    }
    void key(KeySym k) {
        input.key(k);
        steps(2);
    }
    // A press and release at (x, y) of the window (rows downward), then time for a single
    // click to count.
    void clickAt(float x, float y) {
        input.moveTo(run.window.id(), int(x), int(y));
        steps(1);
        input.click(1);
        steps(30);
    }
    // A widget of the pane (by its name or its picture), clicked where it is drawn.
    void clickWidget(char const* pane, char const* name) {
        CgroupWidgetVar* group = controlPanel->findExistingPane(pane);
        CwidgetVar* w = group ? find(group, name) : nullptr;
        ASSERT_NE(w, nullptr) << name;
        Crect const& g = screen->guiViewportRect;
        clickAt((w->rect.centerx() - g.minx) / g.width() * width,
                height - (w->rect.centery() - g.miny) / g.height() * height);
    }
    static CwidgetVar* find(CgroupWidgetVar* group, char const* name) {
        for (Cvariable* c = group->widgetList()->firstChild; c; c = c->nextSibling) {
            auto* w = dynamic_cast<CwidgetVar*>(c);
            auto* image = dynamic_cast<CimageWidgetVar*>(c);
            if (w && (w->name == name || (image && image->contents == name))) return w;
            if (auto* inner = dynamic_cast<CgroupWidgetVar*>(w))
                if (CwidgetVar* found = find(inner, name)) return found;
        }
        return nullptr;
    }
    // The page a pane shows; empty when the pane is closed.
    static std::string page(char const* pane) {
        CgroupWidgetVar* group = controlPanel->findExistingPane(pane);
        Cvariable* shown = group ? group->getChild("myPage") : nullptr;
        return shown ? shown->getString() : "";
    }
    // Open water: the place farthest from every drawn fish, clear of the corner's "Menu", of
    // the hint along the top and of the bar along the bottom.
    void findWater() {
        std::vector<CdrawnAnimal> animals = drawnAnimals(tank, screen);
        float clear = 0;
        for (float y = 0.25f * height; y < 0.8f * height; y += 10)
            for (float x = 0.15f * width; x < 0.95f * width; x += 10) {
                float nearest = 1e9f;
                for (auto const& a : animals)
                    nearest = std::min(nearest, a.distance(x, y));
                if (nearest > clear) clear = nearest, waterX = x, waterY = y;
            }
        ASSERT_GT(clear, 0.15f * std::min(width, height)) << "no open water";
    }
    int width = 0, height = 0;
    float waterX = 0, waterY = 0;
    Ctank* tank = nullptr;
    CgraphicsAPI* screen = nullptr;
};

// At two screen shapes, with the tank paused: the pointer on the middle of a large fish,
// where the renderer draws it, picks that fish and shows its card; on open water far from
// every fish it picks nothing and opens the menu's bar, and again closes it.
struct Cshape {
    int w, h;
};
class ClicksAtShapes : public WindowClicks, public ::testing::WithParamInterface<Cshape> {};

TEST_P(ClicksAtShapes, PickTheFishDrawnUnderThePointerAndOpenTheMenuOnWater) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    open(GetParam().w, GetParam().h);
    key(XK_p);
    ASSERT_EQ(enableAnim, 0);
    std::vector<CdrawnAnimal> animals = drawnAnimals(tank, screen);
    // The largest fish with no other drawn over its middle.
    CdrawnAnimal const* fish = nullptr;
    for (auto const& a : animals) {
        bool alone = a.x > 20 && a.x < width - 20 && a.y > height * 0.25f && a.y < height * 0.85f;
        for (auto const& b : animals)
            if (&b != &a && b.distance(a.x, a.y) < 0.6f * std::max(a.length(), b.length())) alone = false;
        if (alone && (!fish || a.length() > fish->length())) fish = &a;
    }
    ASSERT_NE(fish, nullptr) << "no fish stands alone";
    findWater();
    for (int i = 0; i < 2; i++) {
        SCOPED_TRACE("round " + std::to_string(i));
        clickAt(waterX, waterY);
        EXPECT_EQ(page("bar"), "/std_scripts/main_functions") << "the water at " << waterX << "," << waterY;
        EXPECT_EQ(shopKeeper->highlight, 0) << "no card";
        clickAt(waterX, waterY);
        EXPECT_EQ(page("bar"), "") << "the water again closes the bar";
        clickAt(fish->x, fish->y);
        EXPECT_EQ(tank->focus, fish->thing) << "the fish at " << fish->x << "," << fish->y;
        EXPECT_EQ(page("bar"), "/std_scripts/highlightFishPage");
        clickAt(waterX, waterY);
        EXPECT_EQ(page("bar"), "") << "the water closes the card";
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

INSTANTIATE_TEST_SUITE_P(Screens, ClicksAtShapes, ::testing::Values(Cshape{1280, 720}, Cshape{600, 800}),
                         [](auto const& info) {
                             return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
                         });

// The tank's own picking, offscreen: a large fish in front of the others, its head along the
// view and its tail bent up across it, is picked near either end, away from its middle, and
// not as far again past its tail.
class PickedBody : public HostFixture {
  protected:
    std::unique_ptr<CvelmoraView> view;
};

TEST_F(PickedBody, ReachesBothEndsOfABentFish) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = startStagedView(view, 640, 360);
    ASSERT_NE(tank, nullptr);
    for (int i = 0; i < 30; i++)
        view->animateOneFrame();
    CgraphicsAPI* screen = view->findThisAPI();
    Cfish* fish = nullptr;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
        if (auto* f = dynamic_cast<Cfish*>(v); f && (!fish || f->bodyLength > fish->bodyLength)) fish = f;
    ASSERT_TRUE(fish && screen);
    Cvector mid(0.0f, -0.3f, 2.0f);
    float step = fish->bodyLength / 9.0f;
    for (int i = 0; i <= 8; i++)
        fish->vertex[i] =
            mid + (i < 4 ? Cvector(float(4 - i) * step, 0, 0) : Cvector(0, float(i - 4) * step, 0));
    struct {
        int end;     // the spine point the click lies towards
        float reach; // how far, in multiples of that point's distance from the middle
        bool picked;
    } const cases[] = {{8, 1.0f, true}, {0, 1.0f, true}, {8, 1.7f, false}};
    for (auto const& c : cases) {
        float x = 0, y = 0;
        ASSERT_TRUE(drawnAt(screen, mid + (fish->vertex[c.end] - mid) * c.reach, x, y));
        Cvariable* under = tank->getThingClosestToScreenSpace(screen, x, screen->height - y, 0.01f);
        EXPECT_EQ(under == fish, c.picked) << "towards point " << c.end << " x " << c.reach;
    }
    view->stopAnimation();
}

// A start that waits for a server that never answers (the start-up inquiry of the third
// start): a click, the wheel and keys into the still black window meanwhile are no harm,
// and the interface is there once the tank is.
TEST_F(WindowClicks, InputWhileTheStartWaitsForTheNetworkIsNoHarm) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    writeWholeFile(data.file("registry.txt"), ":set nextRunPhHm 1\n");
    std::atomic<bool> asked{false};
    CsilentServer server([&asked] { asked = true; });
    setenv("VELMORA_SERVER_URL", server.base().c_str(), 1);
    theHttpConnection().blockingTimeout = 2;
    // The click comes from beside the program, while its start waits.
    std::thread clicker([&asked, this] {
        for (int i = 0; i < 500 && !asked; i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        CfakeInput hand;
        hand.moveTo(run.window.id(), 320, 180);
        hand.click(1);
        hand.click(4); // the wheel
        for (KeySym k : {XK_Escape, XK_z, XK_Left, XK_m})
            hand.key(k);
    });
    ChostOptions options;
    options.width = 640, options.height = 360;
    char* argv[] = {argv0(), nullptr};
    int opened = run.open(options, 1, argv);
    clicker.join();
    unsetenv("VELMORA_SERVER_URL");
    theHttpConnection().blockingTimeout = 20;
    ASSERT_EQ(opened, 0);
    EXPECT_TRUE(asked) << "the start asked the server";
    for (int i = 0; i < 120; i++)
        ASSERT_TRUE(run.step()) << (exitReasonList.empty() ? "" : exitReasonList.back().c_str());
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    ASSERT_NE(shopKeeper->focusTankObject, nullptr);
    EXPECT_TRUE(controlPanel->displayed);
}

// The bottom bar's pages lead back to the menu's first page with their back arrow, as the
// same pages opened from the menu lead back to it. The start's hint goes when the bar opens.
TEST_F(WindowClicks, TheBackArrowLeadsToTheMenuFromEveryPage) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    open(1280, 720);
    struct {
        bool fromMenu;
        char const* button;
        char const* page;
    } const ways[] = {{false, "Fish", "/std_scripts/fish_page"},
                      {false, "Help", "/std_scripts/help_page"},
                      {true, "Fish", "/std_scripts/fish_page"},
                      {true, "Help", "/std_scripts/help_page"}};
    for (auto const& w : ways) {
        SCOPED_TRACE(std::string(w.fromMenu ? "the menu's " : "the bar's ") + w.button);
        runStringScript(shopKeeper, ":pane tutorial_pane /std_scripts/tutorial_page");
        clickWidget("no_pane", "menuHint");
        ASSERT_EQ(page("bar"), "/std_scripts/main_functions");
        EXPECT_EQ(page("tutorial_pane"), "");
        if (w.fromMenu) clickWidget("bar", "Menu");
        clickWidget(w.fromMenu ? "main_pane" : "bar", w.button);
        ASSERT_EQ(page("main_pane"), w.page);
        clickWidget("main_pane", "arrays/back.rgb");
        EXPECT_EQ(page("main_pane"), "/std_scripts/main_page");
        key(XK_Escape);
        EXPECT_EQ(page("main_pane"), "");
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// Feeding ends with ESCAPE, with "m" and with a change of tank: the shaker goes, the pointer
// is back, and the menu opens again.
TEST_F(WindowClicks, FeedingEndsWithEscapeMOrANewTank) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    open(1280, 720);
    struct {
        char const* what;
        KeySym key; // 0: the tanks take turns
    } const ends[] = {{"ESCAPE", XK_Escape}, {"m", XK_m}, {"a change of tank", 0}};
    for (auto const& e : ends) {
        SCOPED_TRACE(e.what);
        clickWidget("no_pane", "menuHint");
        clickWidget("bar", "Feed");
        ASSERT_EQ(shopKeeper->feedMode, 2);
        ASSERT_EQ(shopKeeper->fakeMouseIsOn, 1);
        Cthing* shaker = dynamic_cast<Cthing*>(shopKeeper->foodShaker);
        ASSERT_NE(shaker, nullptr);
        clickAt(width / 2.0f, height / 2.0f); // pours
        EXPECT_EQ(page("bar"), "");
        if (e.key) {
            key(e.key);
        } else {
            runStringScript(shopKeeper, ":seq move 1 0.1");
            steps(60);
        }
        EXPECT_EQ(shopKeeper->feedMode, 0);
        EXPECT_EQ(shopKeeper->fakeMouseIsOn, 0);
        EXPECT_EQ(shaker->tank, nullptr) << "the shaker stays behind";
        EXPECT_EQ(shopKeeper->realMouseVisible, 1);
        clickWidget("no_pane", "menuHint");
        EXPECT_EQ(page("bar"), "/std_scripts/main_functions") << "the menu opens again";
        clickWidget("no_pane", "menuHint");
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// After the menu is closed with ESCAPE every click on the water counts, also after the
// viewer has not moved for a while: round after round, paused and running, a click on the
// water opens the bar and ESCAPE closes it. The system's pointer shows only while the
// program's own is hidden.
TEST_F(WindowClicks, AfterEscapeEveryClickOnTheWaterCounts) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    ASSERT_TRUE(input.usable()) << "no XTest";
    useStagedResources();
    open(1280, 720);
    key(XK_p);
    findWater();
    clickAt(waterX, waterY);
    clickWidget("bar", "Menu");
    ASSERT_EQ(page("main_pane"), "/std_scripts/main_page");
    key(XK_Escape);
    ASSERT_EQ(page("main_pane"), "");
    for (int i = 0; i < 6; i++) {
        if (i == 2) key(XK_p); // running from now on
        // Every other round comes after more than ten seconds without input (dated back, so
        // that the once-a-second step sees it without drawing them all).
        if (i % 2 == 0) shopKeeper->lastActivityTime = static_cast<float>(globalTime) - 11.0f;
        steps(70);
        EXPECT_EQ(input.pointerShown(), i % 2 == 0) << "round " << i;
        if (i >= 2) findWater(); // the fish moved
        clickAt(waterX, waterY);
        EXPECT_EQ(page("bar"), "/std_scripts/main_functions") << "round " << i;
        EXPECT_FALSE(input.pointerShown()) << "round " << i;
        key(XK_Escape);
        EXPECT_EQ(page("bar"), "") << "round " << i;
        EXPECT_EQ(controlPanel->showingPane, 0) << "round " << i;
    }
}

} // namespace
