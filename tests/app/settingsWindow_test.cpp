// "velmora --settings" under an X server: the sheet shows over the running aquarium, a new
// fish size takes effect in the engine at once, the close button (clicked with real X input)
// writes the registry and brings the tank back with its fish at the new size, and buttons
// that cannot do their work say why on the sheet.
#include "hostFixture.h"    // before the X headers, whose None clashes with the test framework's
#include "testHttpServer.h" // and whose Success clashes with the server's

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/gtkHost.h"
#include "host/gtkWindows.h"
#include "host/hostServices.h"
#include "host/httpConnection.h"
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

// The sheet's buttons titled so, in the order the window holds them.
void buttonsTitled(GtkWidget* root, std::string const& title, std::vector<GtkWidget*>& found) {
    if (GTK_IS_BUTTON(root) && gtk_button_get_label(GTK_BUTTON(root)) &&
        title == gtk_button_get_label(GTK_BUTTON(root)))
        found.push_back(root);
    if (!GTK_IS_CONTAINER(root)) return;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    for (GList* l = children; l; l = l->next)
        buttonsTitled(GTK_WIDGET(l->data), title, found);
    g_list_free(children);
}

// What the status line beside the close button shows.
std::string statusLine(GtkWidget* sheet) {
    std::vector<GtkWidget*> close;
    buttonsTitled(sheet, "Close", close);
    if (close.size() != 1) return "no close button";
    GList* row = gtk_container_get_children(GTK_CONTAINER(gtk_widget_get_parent(close[0])));
    std::string text = "no status line";
    for (GList* l = row; l; l = l->next)
        if (GTK_IS_LABEL(l->data)) text = gtk_label_get_text(GTK_LABEL(l->data));
    g_list_free(row);
    return text;
}

// The error-report form, a window of its own.
GtkWidget* reportForm() {
    GList* windows = gtk_window_list_toplevels();
    GtkWidget* form = nullptr;
    for (GList* l = windows; l; l = l->next)
        if (gtk_window_get_title(GTK_WINDOW(l->data)) &&
            std::string(gtk_window_get_title(GTK_WINDOW(l->data))) == "Send an Error Report")
            form = GTK_WIDGET(l->data);
    g_list_free(windows);
    return form;
}

// $PATH for the life of the object.
struct ScopedPath {
    explicit ScopedPath(std::string const& path) : saved(std::getenv("PATH") ? std::getenv("PATH") : "") {
        setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { setenv("PATH", saved.c_str(), 1); }
    std::string saved;
};

// Each button that reaches the web says on the sheet, read from its status line, why it did
// not: no server set, a port of this machine that refuses the connection, a server that never
// answers. The settings folder's button, when no opener can be started or the one started
// fails (a file manager missing), names the folder there; the opener is given the folder.
TEST_F(SettingsWindow, ButtonsThatCannotDoTheirWorkSaySoOnTheSheet) {
    REQUIRE_X();
    REQUIRE_OFFSCREEN();
    useStagedResources();
    ASSERT_EQ(openWithTheSheet(), 0);
    ASSERT_TRUE(
        stepUntil([] { return shownSheetWindow && gtk_widget_get_mapped(GTK_WIDGET(shownSheetWindow)); }));
    GtkWidget* sheet = GTK_WIDGET(shownSheetWindow);
    EXPECT_EQ(statusLine(sheet), "");
    // A button's press; "Send" is the error-report form's, opened first.
    auto press = [&](std::string const& title, size_t nth) {
        if (title == "Send") {
            std::vector<GtkWidget*> open;
            buttonsTitled(sheet, "Send an Error Report...", open);
            ASSERT_EQ(open.size(), 1u);
            gtk_button_clicked(GTK_BUTTON(open[0]));
            ASSERT_NE(reportForm(), nullptr);
            ASSERT_TRUE(gtk_widget_get_visible(reportForm()));
        }
        std::vector<GtkWidget*> found;
        buttonsTitled(title == "Send" ? reportForm() : sheet, title, found);
        ASSERT_GT(found.size(), nth) << title;
        gtk_button_clicked(GTK_BUTTON(found[nth]));
    };
    std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    CsilentServer silent;
    OBChttpConnection& connection = theHttpConnection();
    long idle = connection.blockingIdleTimeout;
    connection.blockingIdleTimeout = 1; // a second without an answer is enough here
    struct {
        std::string server, why;
    } const servers[] = {
        {"", "no web server is set up."},
        {refused, "the web server refused the connection (" + refused + ")."},
        {silent.base(), "the web server did not answer in time (" + silent.base() + ")."},
    };
    struct {
        char const* title;
        size_t nth;
        char const* notDone;
    } const buttons[] = {
        {"Check for Updates Now", 0, "Updates were not checked: "}, // on the welcome tab
        {"Check for Updates Now", 1, "Updates were not checked: "}, // on the updates tab
        {"Visit the Velmora Website", 0, "The website was not reached: "},
        {"Send", 0, "The error report was not sent: "},
        // Pages of the server shown in the browser: without a server there is none to show.
        {"Join the Mailing List...", 0, "The page was not opened: "},
        {"Online Fish Chooser...", 0, "The page was not opened: "},
        {"Get My Online Tank Configuration", 0, "The page was not opened: "},
    };
    for (auto const& server : servers) {
        if (server.server.empty())
            unsetenv("VELMORA_SERVER_URL");
        else
            setenv("VELMORA_SERVER_URL", server.server.c_str(), 1);
        for (auto const& button : buttons) {
            bool page = std::string(button.notDone) == "The page was not opened: ";
            if (page && !server.server.empty()) continue; // a browser would open
            SCOPED_TRACE(std::string(button.title) + " " + std::to_string(button.nth) + " " + server.server);
            ASSERT_TRUE(run.step());
            press(button.title, button.nth);
            EXPECT_EQ(statusLine(sheet), button.notDone + server.why);
        }
    }
    unsetenv("VELMORA_SERVER_URL");
    connection.blockingIdleTimeout = idle;
    // The folder's opener found on the PATH: none, or one that fails as one does without a
    // file manager (after writing down what it was given).
    TempDir bin;
    std::string given = bin.file("given.txt");
    std::string note = "Your settings folder could not be opened here; open it yourself: " + data.path();
    for (bool opener : {false, true}) {
        SCOPED_TRACE(opener ? "an opener that fails" : "no opener");
        if (opener) {
            writeWholeFile(bin.file("xdg-open"),
                           "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" >'" + given + "'\nexit 3\n");
            std::filesystem::permissions(bin.file("xdg-open"), std::filesystem::perms::owner_all);
        }
        ASSERT_TRUE(run.step());
        press("Check for Updates Now", 0); // the line shows another note before
        std::string before = statusLine(sheet);
        {
            ScopedPath path(bin.path());
            press("Show My Settings Folder", 0);
        }
        EXPECT_NE(statusLine(sheet), before) << "the earlier note goes";
        if (opener) {
            EXPECT_EQ(statusLine(sheet), "") << "said once the opener has failed";
            auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (statusLine(sheet) != note && std::chrono::steady_clock::now() < until)
                ASSERT_TRUE(run.step());
            EXPECT_EQ(readWholeFile(given), "1|" + data.path()) << "the folder as one argument";
        }
        EXPECT_EQ(statusLine(sheet), note);
        run.step();
    }
    EXPECT_EQ(run.close(), 0);
}

} // namespace
