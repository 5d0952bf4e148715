// The host's GTK windows under an X display (Xvfb in the test runs): the file chooser over
// the aquarium's window with its picture filter, message boxes that only a button answers,
// and the sheet's window showing and reading its controls and reporting what was done.
// gtest before the X headers, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gsettingsbackend.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/gtkHost.h"
#include "host/gtkWindows.h"
#include "host/osFunctions.h"
#include "host/xHostWindow.h"
#include "testSupport.h"

#define REQUIRE_GTK()                                                                                        \
    if (!gtkReady()) DISPLAY_MISSING() << "no X display for GTK"

namespace {

// Runs GTK's events until the test holds or half a minute passes (a busy machine's X server
// and GTK may take seconds; a passing test waits no longer than it must).
template <typename Done> bool runUntil(Done done) {
    for (int i = 0; i < 3000 && !done(); i++) {
        runGtkEvents();
        g_usleep(10000);
    }
    return done();
}

template <typename Type> Type* findToplevel(GType type) {
    Type* found = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next)
        if (G_TYPE_CHECK_INSTANCE_TYPE(l->data, type) && gtk_widget_get_visible(GTK_WIDGET(l->data)))
            found = reinterpret_cast<Type*>(l->data);
    g_list_free(all);
    return found;
}

void collect(GtkWidget* widget, std::vector<GtkWidget*>& out) {
    out.push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* l = children; l; l = l->next)
            collect(GTK_WIDGET(l->data), out);
        g_list_free(children);
    }
}

GtkWidget* buttonTitled(GtkWidget* root, char const* title) {
    std::vector<GtkWidget*> all;
    collect(root, all);
    for (GtkWidget* w : all)
        if (GTK_IS_BUTTON(w) && gtk_button_get_label(GTK_BUTTON(w)) &&
            std::string(gtk_button_get_label(GTK_BUTTON(w))) == title)
            return w;
    return nullptr;
}

template <typename Type> Type* firstOf(GtkWidget* root, GType type) {
    std::vector<GtkWidget*> all;
    collect(root, all);
    for (GtkWidget* w : all)
        if (G_TYPE_CHECK_INSTANCE_TYPE(w, type)) return reinterpret_cast<Type*>(w);
    return nullptr;
}

struct Canswer {
    bool called = false;
    std::string path;
    bool null = false;
};
void answered(void* context, char const* path) {
    auto* a = static_cast<Canswer*>(context);
    a->called = true;
    a->null = path == nullptr;
    a->path = path ? path : "";
}

TEST(GtkHost, TheChooserOpensOverTheAquariumAndAnswers) {
    REQUIRE_GTK();
    ScopedDisplayLock display;
    TempDir folder;
    for (char const* name : {"fish.jpg", "notes.txt"})
        writeWholeFile(folder.file(name), "x");
    CxHostWindow aquarium;
    ASSERT_EQ(aquarium.createOwn(nullptr, 64, 48, "aquarium"), 0) << aquarium.error;
    lastFocusWindow = aquarium.id();
    CgtkHostServices services;
    enum Ending { chosen, cancelled, closed, destroyed };
    // It opens on a folder, never on GTK's recent files (where a path typed into the location
    // field and Return choose nothing): the one asked for or the picture's, else one of its own.
    std::string here = folder.path().substr(0, folder.path().size() - 1);
    struct Case {
        Ending ending;
        std::string start;
        bool inFolder;
    } const cases[] = {{chosen, folder.path(), true},
                       {cancelled, folder.file("fish.jpg"), true},
                       {closed, "", false},
                       {destroyed, folder.file("gone/"), false}};
    for (auto const& [ending, start, inFolder] : cases) {
        bool choose = ending == chosen;
        SCOPED_TRACE(ending);
        Canswer answer;
        ASSERT_TRUE(services.beginFileRequest(start.c_str(), answered, &answer));
        Canswer second;
        EXPECT_FALSE(services.beginFileRequest(folder.path().c_str(), answered, &second)) << "one at a time";
        GtkFileChooserDialog* dialog = nullptr;
        ASSERT_TRUE(runUntil([&] {
            dialog = findToplevel<GtkFileChooserDialog>(GTK_TYPE_FILE_CHOOSER_DIALOG);
            return dialog && gtk_widget_get_mapped(GTK_WIDGET(dialog));
        }));
        gchar* opened = nullptr;
        runUntil([&] { return (opened = gtk_file_chooser_get_current_folder(GTK_FILE_CHOOSER(dialog))); });
        EXPECT_TRUE(opened && (!inFolder || here == opened)) << (opened ? opened : "recent files");
        g_free(opened);
        // It stands over the aquarium's window.
        Display* x = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
        Window parent = 0;
        XGetTransientForHint(x, GDK_WINDOW_XID(gtk_widget_get_window(GTK_WIDGET(dialog))), &parent);
        EXPECT_EQ(parent, aquarium.id());
        EXPECT_FALSE(answer.called) << "the answer comes later, from the frame loop";
        if (choose) {
            std::string path = folder.file("fish.jpg");
            gtk_file_chooser_select_filename(GTK_FILE_CHOOSER(dialog), path.c_str());
            ASSERT_TRUE(runUntil([&] {
                gchar* now = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
                bool there = now && path == now;
                g_free(now);
                return there;
            }));
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
        } else if (ending == cancelled) {
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        } else if (ending == closed) {
            gtk_window_close(GTK_WINDOW(dialog)); // as the window manager's close button
        } else {
            gtk_widget_destroy(GTK_WIDGET(dialog));
        }
        EXPECT_TRUE(runUntil([&] { return answer.called; }));
        EXPECT_EQ(answer.null, !choose);
        if (choose) EXPECT_EQ(answer.path, folder.file("fish.jpg"));
        EXPECT_FALSE(second.called);
    }
    lastFocusWindow = 0;
}

// An X screen of the given size of the test's own (an Xvfb that ends by itself within two
// minutes), made GDK's default display while it lives: the host's windows open on it.
class CownScreen {
  public:
    CownScreen(int width, int height) {
        int fds[2];
        if (pipe(fds) != 0) return;
        std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
        std::string fd = std::to_string(fds[1]);
        server = fork();
        if (server == 0) {
            close(fds[0]);
            execlp("timeout", "timeout", "120", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0",
                   size.c_str(), "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes the number and a newline once it listens; a read may be cut short by a
        // signal or come in pieces, and closing the pipe early makes the server fail.
        std::string number;
        char part[16];
        while (server > 0 && number.find('\n') == std::string::npos) {
            ssize_t got = read(fds[0], part, sizeof part);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            number.append(part, static_cast<size_t>(got));
        }
        close(fds[0]);
        if (number.find('\n') == std::string::npos) return;
        std::string name = ":" + number.substr(0, number.find('\n'));
        before = gdk_display_get_default();
        display = gdk_display_open(name.c_str());
        if (display) gdk_display_manager_set_default_display(gdk_display_manager_get(), display);
    }
    ~CownScreen() {
        if (display) {
            gdk_display_manager_set_default_display(gdk_display_manager_get(), before);
            gdk_display_close(display);
        }
        if (server > 0) {
            kill(server, SIGTERM);
            waitpid(server, nullptr, 0);
        }
    }
    bool ready() const { return display != nullptr; }

  private:
    pid_t server = -1;
    GdkDisplay* before = nullptr;
    GdkDisplay* display = nullptr;
};

// GTK in a test program keeps to it (tests/testMain.cpp): settings in memory, no GL driver
// loaded and unloaded with the displays tests open and close, no file of the home's.
TEST(GtkHost, TheTestProgramsKeepGtkToThemselves) {
    REQUIRE_GTK();
    GSettingsBackend* backend = g_settings_backend_get_default();
    std::string home = g_get_home_dir();
    struct Case {
        char const* what;
        bool holds;
    } const cases[] = {
        {"settings in memory", std::string(G_OBJECT_TYPE_NAME(backend)) == "GMemorySettingsBackend"},
        {"no GL", !gdk_x11_display_get_glx_version(gdk_display_get_default(), nullptr, nullptr)},
        {"settings files", std::string(g_get_user_config_dir()).rfind(home, 0) != 0},
        {"recent files", std::string(g_get_user_data_dir()).rfind(home, 0) != 0},
    };
    g_object_unref(backend);
    for (auto const& c : cases)
        EXPECT_TRUE(c.holds) << c.what;
}

// Where no window manager moves it, the chooser opens whole on a screen smaller than its
// own size: its Open and Cancel buttons can be clicked.
TEST(GtkHost, TheChooserFitsTheScreenItOpensOn) {
    REQUIRE_GTK();
    struct Screen {
        int width, height;
    } const screens[] = {{1280, 720}, {1024, 600}};
    for (auto const& size : screens) {
        SCOPED_TRACE(std::to_string(size.width) + "x" + std::to_string(size.height));
        CownScreen screen(size.width, size.height);
        if (!screen.ready()) DISPLAY_MISSING() << "no Xvfb for a screen of that size";
        CgtkHostServices services;
        Canswer answer;
        ASSERT_TRUE(services.beginFileRequest("/", answered, &answer));
        GtkWidget* dialog = nullptr;
        ASSERT_TRUE(runUntil([&] {
            dialog = GTK_WIDGET(findToplevel<GtkFileChooserDialog>(GTK_TYPE_FILE_CHOOSER_DIALOG));
            return dialog && gtk_widget_get_mapped(dialog);
        }));
        auto onScreen = [&](GtkWidget* w) {
            int x = 0, y = 0;
            GtkAllocation box;
            gdk_window_get_origin(gtk_widget_get_window(w), &x, &y);
            gtk_widget_get_allocation(w, &box);
            if (gtk_widget_get_has_window(w)) box.x = box.y = 0;
            x += box.x, y += box.y;
            return x >= 0 && y >= 0 && x + box.width <= size.width && y + box.height <= size.height;
        };
        auto buttonOnScreen = [&](int response) {
            GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response);
            return button && onScreen(button);
        };
        for (int i = 0; i < 20; i++) { // let it take its size
            runGtkEvents();
            g_usleep(10000);
        }
        // Or more rounds of events on a busy machine.
        runUntil([&] {
            return onScreen(dialog) && buttonOnScreen(GTK_RESPONSE_ACCEPT) &&
                   buttonOnScreen(GTK_RESPONSE_CANCEL);
        });
        int x = 0, y = 0;
        gdk_window_get_origin(gtk_widget_get_window(dialog), &x, &y);
        EXPECT_TRUE(onScreen(dialog)) << gtk_widget_get_allocated_width(dialog) << "x"
                                      << gtk_widget_get_allocated_height(dialog) << " at " << x << "," << y;
        for (int response : {GTK_RESPONSE_ACCEPT, GTK_RESPONSE_CANCEL}) {
            GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), response);
            ASSERT_NE(button, nullptr);
            EXPECT_TRUE(onScreen(button)) << gtk_button_get_label(GTK_BUTTON(button));
        }
        gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
        EXPECT_TRUE(runUntil([&] { return answer.called; }));
    }
}

TEST(GtkHost, TheChooserShowsThePicturesTheDecoderReads) {
    REQUIRE_GTK();
    ScopedDisplayLock display;
    CgtkHostServices services;
    Canswer answer;
    ASSERT_TRUE(services.beginFileRequest("/", answered, &answer));
    GtkFileChooserDialog* dialog = nullptr;
    ASSERT_TRUE(runUntil(
        [&] { return (dialog = findToplevel<GtkFileChooserDialog>(GTK_TYPE_FILE_CHOOSER_DIALOG)); }));
    GtkFileFilter* filter = gtk_file_chooser_get_filter(GTK_FILE_CHOOSER(dialog));
    ASSERT_NE(filter, nullptr);
    EXPECT_STREQ(gtk_file_filter_get_name(filter), "Pictures (JPEG, PNG)") << "types a viewer knows";
    struct Case {
        char const* name;
        bool shown;
    } cases[] = {{"a.jpg", true},  {"a.JPEG", true}, {"a.png", true},  {"a.PNG", true}, {"a.fti", true},
                 {"a.gif", false}, {"a.tif", false}, {"a.txt", false}, {"jpg", false},  {"a.jpg.txt", false}};
    for (auto const& c : cases) {
        GtkFileFilterInfo info = {};
        info.contains = GtkFileFilterFlags(GTK_FILE_FILTER_FILENAME | GTK_FILE_FILTER_DISPLAY_NAME);
        std::string path = std::string("/tmp/") + c.name;
        info.filename = path.c_str();
        info.display_name = c.name;
        EXPECT_EQ(gtk_file_filter_filter(filter, &info) != FALSE, c.shown) << c.name;
    }
    gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
    EXPECT_TRUE(runUntil([&] { return answer.called; }));
    EXPECT_TRUE(answer.null);
}

struct Cclick {
    int first; // a response given before the button (a close attempt), or 0
    int button;
};

gboolean pressWhenShown(gpointer data) {
    auto* click = static_cast<Cclick*>(data);
    GtkMessageDialog* dialog = findToplevel<GtkMessageDialog>(GTK_TYPE_MESSAGE_DIALOG);
    if (!dialog || !gtk_widget_get_mapped(GTK_WIDGET(dialog))) return G_SOURCE_CONTINUE;
    if (click->first) {
        gtk_dialog_response(GTK_DIALOG(dialog), click->first);
        click->first = 0;
        return G_SOURCE_CONTINUE;
    }
    gtk_dialog_response(GTK_DIALOG(dialog), click->button);
    return G_SOURCE_REMOVE;
}

TEST(GtkHost, MessageBoxesAnswerOnlyWithAButtonOrAStop) {
    REQUIRE_GTK();
    ScopedDisplayLock display;
    CgtkHostServices services;
    setHostServices(&services);
    skipNSAlert = 0;
    struct Case {
        Cclick click;
        int result;
    } cases[] = {{{0, 0}, 1}, {{0, 1}, 0}, {{0, 2}, -1}, {{0, 3}, -2}, {{GTK_RESPONSE_DELETE_EVENT, 2}, -1}};
    for (auto& c : cases) {
        g_timeout_add(20, pressWhenShown, &c.click);
        EXPECT_EQ(OS::ShowMessage("Choose one.|Any will do.|one|two|three|four", nullptr, 0), c.result);
    }
    // The program asked to stop takes a waiting box away: no button's action is taken.
    programStopAsked = [] { return true; };
    EXPECT_EQ(OS::ShowMessage("Restore?||Backup|Restore|Revert", nullptr, 0), 1000);
    programStopAsked = nullptr;
    skipNSAlert = 1;
    EXPECT_EQ(OS::ShowMessage("never shown||a|b", nullptr, 0), 1000);
    setHostServices(nullptr);
}

class CrecordingActions : public CsheetActions {
  public:
    void settingChanged() override { log.push_back("changed"); }
    void saveChangesClicked() override { log.push_back("save"); }
    void useAllScreensClicked() override { log.push_back("screens"); }
    void buttonClicked(CsheetButton which) override { log.push_back("button " + std::to_string(int(which))); }
    void sendErrorReport() override { log.push_back("send"); }
    void closeClicked() override { log.push_back("close"); }
    std::vector<std::string> log;
};

TEST(GtkHost, TheSheetWindowShowsReadsAndReports) {
    REQUIRE_GTK();
    ScopedDisplayLock display;
    CrecordingActions actions;
    std::unique_ptr<CsheetWindow> window(makeGtkSheetWindow(actions));
    ASSERT_NE(window, nullptr);
    CsheetControls shown;
    for (int i = 0; i < kSheetTextCount; i++)
        shown.texts[i] = (std::string("text ") + std::to_string(i)).c_str();
    shown.maxFishPerTank = "42";
    shown.sizeSlider = 150;
    shown.saveTankChanges = 0;
    shown.informBeta = 1;
    shown.useAllScreens = 1;
    char const* items[] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; i++)
        shown.updateItems[i] = items[i];
    shown.updateIndex = 2;
    shown.email = "me@example.org";
    shown.description = "two\nlines";
    window->showControls(shown);
    EXPECT_TRUE(actions.log.empty()) << "showing the controls reports nothing";
    ASSERT_TRUE(window->present());
    ASSERT_NE(shownSheetWindow, nullptr);
    EXPECT_TRUE(runUntil([&] { return gtk_widget_get_mapped(GTK_WIDGET(shownSheetWindow)); }));
    CsheetControls read;
    window->readControls(read);
    EXPECT_EQ(std::string(read.maxFishPerTank.c_str()), "42");
    EXPECT_EQ(read.sizeSlider, 150);
    EXPECT_EQ(read.saveTankChanges, 0);
    EXPECT_EQ(read.informBeta, 1);
    EXPECT_EQ(read.useAllScreens, 1);
    EXPECT_EQ(read.updateIndex, 2);
    EXPECT_EQ(std::string(read.updateValue.c_str()), "c");
    EXPECT_EQ(std::string(read.email.c_str()), "me@example.org");
    EXPECT_EQ(std::string(read.description.c_str()), "two\nlines");
    // The slider holds the sheet's range.
    shown.sizeSlider = 300;
    window->showControls(shown);
    window->readControls(read);
    EXPECT_EQ(read.sizeSlider, kSizeSliderMax);
    // What the user does reaches the actions.
    GtkWidget* root = GTK_WIDGET(shownSheetWindow);
    struct Press {
        char const* title;
        char const* logged;
    } presses[] = {{"text 3", "button 0"},
                   {"text 19", "button 7"},
                   {"text 21", "button 8"},
                   {"Setting Backups...", "button 4"},
                   {"Send an Error Report...", "button 9"},
                   {"text 0", "close"}};
    for (auto const& p : presses) {
        actions.log.clear();
        GtkWidget* button = buttonTitled(root, p.title);
        ASSERT_NE(button, nullptr) << p.title;
        gtk_button_clicked(GTK_BUTTON(button));
        ASSERT_EQ(actions.log.size(), 1u) << p.title;
        EXPECT_EQ(actions.log[0], p.logged);
    }
    actions.log.clear();
    gtk_button_clicked(GTK_BUTTON(buttonTitled(root, "text 11"))); // the save-changes box
    gtk_range_set_value(GTK_RANGE(firstOf<GtkScale>(root, GTK_TYPE_SCALE)), 120);
    gtk_button_clicked(GTK_BUTTON(buttonTitled(root, "Use All Screens")));
    EXPECT_EQ(actions.log, (std::vector<std::string>{"save", "changed", "screens"}));
    // The window manager's close is the sheet's close; the window stays for the next time.
    actions.log.clear();
    gtk_window_close(shownSheetWindow);
    EXPECT_TRUE(runUntil([&] { return !actions.log.empty(); }));
    EXPECT_EQ(actions.log, (std::vector<std::string>{"close"}));
    window->orderOut();
    EXPECT_FALSE(window->isShown());
    EXPECT_EQ(shownSheetWindow, nullptr);
}

// The progress bar of the shown progress pane, else null.
GtkProgressBar* shownProgressBar() {
    GtkProgressBar* bar = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l && !bar; l = l->next)
        if (gtk_widget_get_visible(GTK_WIDGET(l->data)))
            bar = firstOf<GtkProgressBar>(GTK_WIDGET(l->data), GTK_TYPE_PROGRESS_BAR);
    g_list_free(all);
    return bar;
}

TEST(GtkHost, TheProgressPaneStandsOverTheSheet) {
    REQUIRE_GTK();
    ScopedDisplayLock display;
    CgtkHostServices services;
    // Without the sheet the progress is only kept.
    services.openProgress("Downloading");
    EXPECT_EQ(shownProgressBar(), nullptr);
    EXPECT_TRUE(services.progressOpen);
    services.closeProgress();
    CrecordingActions actions;
    std::unique_ptr<CsheetWindow> sheet(makeGtkSheetWindow(actions));
    ASSERT_NE(sheet, nullptr);
    sheet->present();
    services.openProgress("Downloading");
    GtkProgressBar* bar = shownProgressBar();
    ASSERT_NE(bar, nullptr);
    GtkWindow* pane = GTK_WINDOW(gtk_widget_get_toplevel(GTK_WIDGET(bar)));
    EXPECT_EQ(gtk_window_get_transient_for(pane), shownSheetWindow);
    services.setProgressMessage("Download progress: 40%");
    services.setProgressPercent(40);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(bar), 0.4);
    GtkLabel* line = firstOf<GtkLabel>(GTK_WIDGET(pane), GTK_TYPE_LABEL);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(std::string(gtk_label_get_text(line)), "Download progress: 40%");
    services.setProgressPercent(250);
    EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(bar), 1.0) << "the bar holds its range";
    services.closeProgress();
    EXPECT_FALSE(gtk_widget_get_visible(GTK_WIDGET(pane)));
    EXPECT_FALSE(services.progressOpen);
    sheet->orderOut();
}

} // namespace
