// "velmora --settings" under an X server: the sheet shows over the running aquarium, a new
// fish size takes effect in the engine at once, and the close button (clicked with real X
// input) writes the registry and brings the tank back with its fish at the new size.
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/gtkHost.h"
#include "host/gtkWindows.h"
#include "host/hostServices.h"
#include "variables/configDialogVars.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

class SettingsWindow : public HostFixture {
  protected:
    void TearDown() override {
        run.close();
        skipNSAlert = 1;
        HostFixture::TearDown();
    }
    // Frames until done holds (at most a few hundred).
    template <typename Done> bool stepUntil(Done done) {
        for (int i = 0; i < 400 && !done(); i++)
            if (!run.step()) return false;
        return done();
    }
    ScopedDisplayLock displayLock; // let go after the run's windows are gone
    ChostRun run;
};

GtkWidget* findWidget(GtkWidget* root, bool (*match)(GtkWidget*)) {
    if (match(root)) return root;
    if (!GTK_IS_CONTAINER(root)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* l = children; l && !found; l = l->next)
        found = findWidget(GTK_WIDGET(l->data), match);
    g_list_free(children);
    return found;
}

// A press and release of the first button at the middle of the widget, from a connection
// of its own, as a person's mouse does it.
void clickWithTheMouse(GtkWidget* widget) {
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(widget), &x, &y);
    GtkAllocation box;
    gtk_widget_get_allocation(widget, &box);
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XTestFakeMotionEvent(display, DefaultScreen(display), x + box.x + box.width / 2,
                         y + box.y + box.height / 2, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
}

TEST_F(SettingsWindow, ANewFishSizeTakesEffectAndTheCloseButtonKeepsIt) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server: run the tests under xvfb-run";
    REQUIRE_OFFSCREEN();
    useStagedResources();
    ChostOptions options;
    options.settings = true;
    options.width = 480, options.height = 270;
    static char name[] = "velmora";
    char* argv[] = {name, nullptr};
    ASSERT_EQ(run.open(options, 1, argv), 0);
    ASSERT_TRUE(stepUntil([] {
        return shownSheetWindow && gtk_widget_get_mapped(GTK_WIDGET(shownSheetWindow)) && numDisplays > 0 &&
               display[0]->tank && display[0]->tank->numFish > 0;
    })) << "the sheet shows over the running tank";
    EXPECT_EQ(skipNSAlert, 0);
    Ctank* tank = display[0]->tank;
    EXPECT_FLOAT_EQ(tank->tankScale, 1.0f);
    int fish = tank->numFish;

    GtkWidget* sheet = GTK_WIDGET(shownSheetWindow);
    GtkWidget* slider = findWidget(sheet, [](GtkWidget* w) { return GTK_IS_SCALE(w) != FALSE; });
    ASSERT_NE(slider, nullptr);
    gtk_range_set_value(GTK_RANGE(slider), 150);
    EXPECT_FLOAT_EQ(m_fishGlobalScalar, 1.5f) << "the engine's option changes at once";
    GtkWidget* close = findWidget(sheet, [](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
               std::string(gtk_button_get_label(GTK_BUTTON(w))) == "Close";
    });
    ASSERT_NE(close, nullptr) << "the interface text names the close button";
    clickWithTheMouse(close);
    ASSERT_TRUE(stepUntil([&] { return !gtk_widget_get_visible(sheet); })) << "the click closes the sheet";
    EXPECT_EQ(skipNSAlert, 1);
    EXPECT_NE(readWholeFile(data.file("registry.txt")).find("fsSz 1.5"), std::string::npos);
    EXPECT_NE(readWholeFile(config.file("velmora/saver-defaults.conf")).find("Heads Up Display=false"),
              std::string::npos);
    ASSERT_TRUE(
        stepUntil([] { return numDisplays > 0 && display[0]->tank && display[0]->tank->numFish > 0; }));
    EXPECT_NEAR(display[0]->tank->tankScale, 1.0f / 1.5f, 1e-5f) << "the tank came back at the new size";
    EXPECT_EQ(display[0]->tank->numFish, fish);
    EXPECT_EQ(run.close(), 0);
}

} // namespace
