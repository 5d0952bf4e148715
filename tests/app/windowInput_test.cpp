// The program's window under an X server, driven with real X input (XTest): keys bound at
// start-up run their scripts (the picture key's file chooser among them), the wheel zooms
// the camera, a click picks a fish; a screen saver's window takes none of it.
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/keysym.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "fakeInput.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

#define REQUIRE_X()                                                                                          \
    if (!std::getenv("DISPLAY"))                                                                             \
    GTEST_SKIP() << "no X server ($DISPLAY unset): run the tests under "                                     \
                    "xvfb-run"

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

} // namespace
