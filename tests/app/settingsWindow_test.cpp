// "velmora --settings" under an X server: the sheet shows over the running aquarium, a new
// fish size takes effect in the engine at once, and the close button (clicked with real X
// input) writes the registry and brings the tank back with its fish at the new size.
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
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
    // The program's window as "--settings" opens it, with the sheet over it; 0 on success.
    int openWithTheSheet() {
        ChostOptions options;
        options.settings = true;
        options.width = 480, options.height = 270;
        static char name[] = "velmora";
        char* argv[] = {name, nullptr};
        return run.open(options, 1, argv);
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

// Keys typed on the keyboard, as a person types them: ctrl held for the ones after a "^".
void typeWithTheKeyboard(std::vector<char const*> const& keys) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    for (char const* key : keys) {
        bool ctrl = key[0] == '^';
        KeyCode control = XKeysymToKeycode(display, XK_Control_L);
        KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key + (ctrl ? 1 : 0)));
        if (ctrl) XTestFakeKeyEvent(display, control, True, CurrentTime);
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        if (ctrl) XTestFakeKeyEvent(display, control, False, CurrentTime);
    }
    XSync(display, False);
    XCloseDisplay(display);
}

GtkWidget* tabLabel(GtkWidget* sheet, int page) {
    GtkWidget* notebook = findWidget(sheet, [](GtkWidget* w) { return GTK_IS_NOTEBOOK(w) != FALSE; });
    if (!notebook) return nullptr;
    return gtk_notebook_get_tab_label(GTK_NOTEBOOK(notebook),
                                      gtk_notebook_get_nth_page(GTK_NOTEBOOK(notebook), page));
}

// Only what the user changed is saved: options whose controls show them as their nearest
// entry (the update list, the size slider's whole percents) keep their own values.
TEST_F(SettingsWindow, ChangingOneOptionKeepsTheOthersAsTheyWere) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    useStagedResources();
    struct Option {
        char const* saved; // in "registry.txt" before the run
        char const* after;
    } saved[] = {
        {"maxFishPerTank 70", "maxFishPerTank 60"}, // the one the user changes
        {"updateDays 90", "updateDays 90"},         // the list offers 30 and 180
        {"fsSz 1.234", "fsSz 1.234"},               // the slider shows whole percents
        {"nstch 0", "nstch 0"},
    };
    std::string registry;
    for (auto const& o : saved)
        registry += std::string(":set ") + o.saved + "\n";
    writeWholeFile(data.file("registry.txt"), registry);
    ASSERT_EQ(openWithTheSheet(), 0);
    ASSERT_TRUE(
        stepUntil([] { return shownSheetWindow && gtk_widget_get_mapped(GTK_WIDGET(shownSheetWindow)); }));
    GtkWidget* sheet = GTK_WIDGET(shownSheetWindow);
    GtkWidget* fishField = findWidget(sheet, [](GtkWidget* w) { return GTK_IS_ENTRY(w) != FALSE; });
    ASSERT_NE(fishField, nullptr);
    ASSERT_STREQ(gtk_entry_get_text(GTK_ENTRY(fishField)), "70");
    clickWithTheMouse(tabLabel(sheet, 1));
    ASSERT_TRUE(stepUntil([&] { return gtk_widget_get_mapped(fishField); })) << "the Settings tab shows";
    clickWithTheMouse(fishField);
    ASSERT_TRUE(stepUntil([&] { return gtk_widget_is_focus(fishField); }));
    typeWithTheKeyboard({"^a", "6", "0"});
    ASSERT_TRUE(stepUntil([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(fishField))) == "60"; }));
    // A look at the Updates tab takes the focus from the field: the change is made.
    GtkWidget* updates = tabLabel(sheet, 2);
    ASSERT_NE(updates, nullptr);
    clickWithTheMouse(updates);
    ASSERT_TRUE(stepUntil([] { return maxFishPerTank == 60; })) << "the new count reaches the engine";
    GtkWidget* close = findWidget(sheet, [](GtkWidget* w) {
        return GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
               std::string(gtk_button_get_label(GTK_BUTTON(w))) == "Close";
    });
    ASSERT_NE(close, nullptr);
    clickWithTheMouse(close);
    ASSERT_TRUE(stepUntil([&] { return !gtk_widget_get_visible(sheet); }));
    std::string written = readWholeFile(data.file("registry.txt"));
    for (auto const& o : saved)
        EXPECT_NE(written.find(o.after), std::string::npos) << o.after << " in " << written;
    EXPECT_EQ(run.close(), 0);
}

TEST_F(SettingsWindow, ANewFishSizeTakesEffectAndTheCloseButtonKeepsIt) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    useStagedResources();
    ASSERT_EQ(openWithTheSheet(), 0);
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
