#include "host/gtkHost.h"

#include <X11/Xlib.h>
#include <gdk/gdkx.h>

#include <cstdlib>

#include "host/gtkWindows.h"
#include "support/cerr.h"
#include "support/globals.h"

GtkWindow* shownSheetWindow = nullptr;

namespace {

enum class GtkState { untried, running, failed };
GtkState gtkState = GtkState::untried;
bool handlingEvents = false;

// The download progress pane.
GtkWidget* progressPane = nullptr;
GtkWidget* progressText = nullptr;
GtkWidget* progressBar = nullptr;

// The response of a message box taken away as the program stops.
constexpr int kAbandoned = GTK_RESPONSE_REJECT;

gboolean abandonWhenStopping(gpointer dialog) {
    if (programStopAsked && programStopAsked()) gtk_dialog_response(GTK_DIALOG(dialog), kAbandoned);
    return G_SOURCE_CONTINUE;
}

void logLine(char const* a, char const* b = "") {
    if (masterOut.is_open()) masterOut << a << b << std::endl;
}

} // namespace

bool gtkReady() {
    if (gtkState == GtkState::untried) {
        char const* display = std::getenv("DISPLAY");
        gtkState = GtkState::failed;
        if (display && *display) {
            // The aquarium's windows are X11 windows: the dialogs must be on the same display.
            gdk_set_allowed_backends("x11");
            // The program's word on a lost display holds for the dialogs' connection too.
            XIOErrorHandler before = XSetIOErrorHandler(nullptr);
            XSetIOErrorHandler(before);
            if (gtk_init_check(nullptr, nullptr)) gtkState = GtkState::running;
            if (before) XSetIOErrorHandler(before);
        }
        logLine(gtkState == GtkState::running ? "gtk started" : "gtk not available");
    }
    return gtkState == GtkState::running;
}

void runGtkEvents() {
    if (gtkState != GtkState::running || handlingEvents) return;
    handlingEvents = true;
    // Only what is pending now: the frame loop goes on at once.
    for (int n = 0; n < 1000 && gtk_events_pending(); n++)
        gtk_main_iteration_do(FALSE);
    handlingEvents = false;
}

void installGtkHost() {
    static CgtkHostServices services;
    // A stand-in a test put in place stays.
    if (&hostServices() == &platformHostServices()) setHostServices(&services);
}

void keepOverAquarium(GtkWindow* window) {
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window));
    GdkDisplay* display = gdk_display_get_default();
    if (!own || !lastFocusWindow || !display || !GDK_IS_X11_DISPLAY(display)) return;
    GdkWindow* aquarium = gdk_x11_window_foreign_new_for_display(display, lastFocusWindow);
    if (!aquarium) return;
    gdk_window_set_transient_for(own, aquarium);
    g_object_unref(aquarium);
}

int CgtkHostServices::showMessageBox(Cstring const& text, Cstring const& info,
                                     std::vector<Cstring> const& buttons) {
    if (!gtkReady()) return ClinuxHostServices::showMessageBox(text, info, buttons);
    GtkWidget* dialog = gtk_message_dialog_new(
        shownSheetWindow, GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_WARNING, GTK_BUTTONS_NONE, "%s", text.c_str());
    if (!info.empty())
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", info.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "Velmora");
    for (size_t b = 0; b < buttons.size(); b++)
        gtk_dialog_add_button(GTK_DIALOG(dialog), buttons[b].c_str(), static_cast<int>(b));
    gtk_widget_realize(dialog);
    if (!shownSheetWindow) keepOverAquarium(GTK_WINDOW(dialog));
    gtk_window_set_deletable(GTK_WINDOW(dialog), FALSE);
    // Modal: GTK's own loop runs until an answer; the aquarium waits. Only a button answers:
    // a box closed another way would read as the second button (restore a backup, say).
    g_object_ref(dialog);
    // The program asked to stop (a signal) takes the box away unanswered.
    guint watch = g_timeout_add(100, abandonWhenStopping, dialog);
    int response = GTK_RESPONSE_DELETE_EVENT;
    while (response == GTK_RESPONSE_DELETE_EVENT)
        response = gtk_dialog_run(GTK_DIALOG(dialog));
    g_source_remove(watch);
    gtk_widget_destroy(dialog);
    g_object_unref(dialog);
    runGtkEvents();
    if (response == kAbandoned) return MESSAGE_BOX_ABANDONED;
    return response >= 0 && response < static_cast<int>(buttons.size()) ? response : -1;
}

void CgtkHostServices::showInternetPage(char const* url) {
    if (url == nullptr || *url == 0) return;
    // A browser, or a file manager for a folder, starts on its own; never through a shell.
    // A folder's path becomes its "file:" address.
    gchar* address = url[0] == '/' ? g_filename_to_uri(url, nullptr, nullptr) : g_strdup(url);
    GError* error = nullptr;
    if (!address || !g_app_info_launch_default_for_uri(address, nullptr, &error))
        logLine("openURL failed: ", error ? error->message : url);
    if (error) g_error_free(error);
    g_free(address);
}

bool CgtkHostServices::beginFileRequest(char const* folder, void (*done)(void*, char const*), void* context) {
    if (fileRequestDone || !done) return false;
    if (!gtkReady()) return ClinuxHostServices::beginFileRequest(folder, done, context);
    return openGtkFileChooser(folder, done, context);
}

CsheetWindow* CgtkHostServices::makeSheetWindow(CsheetActions& actions) {
    return gtkReady() ? makeGtkSheetWindow(actions) : nullptr;
}

void CgtkHostServices::frameTick() {
    ClinuxHostServices::frameTick();
    runGtkEvents();
}

void CgtkHostServices::openProgress(char const* message) {
    ClinuxHostServices::openProgress(message);
    // The pane stands over the sheet; without the sheet the progress is only kept.
    if (!shownSheetWindow || !gtkReady()) return;
    if (!progressPane) {
        progressPane = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(progressPane), "Velmora");
        gtk_window_set_deletable(GTK_WINDOW(progressPane), FALSE);
        gtk_container_set_border_width(GTK_CONTAINER(progressPane), 12);
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
        progressText = gtk_label_new("");
        progressBar = gtk_progress_bar_new();
        gtk_widget_set_size_request(progressBar, 320, -1);
        gtk_box_pack_start(GTK_BOX(box), progressText, FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(box), progressBar, FALSE, FALSE, 0);
        gtk_container_add(GTK_CONTAINER(progressPane), box);
    }
    gtk_window_set_transient_for(GTK_WINDOW(progressPane), shownSheetWindow);
    gtk_label_set_text(GTK_LABEL(progressText), message ? message : "");
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(progressBar), 0.0);
    gtk_widget_show_all(progressPane);
}

void CgtkHostServices::closeProgress() {
    ClinuxHostServices::closeProgress();
    logLine("end DLprogress");
    if (progressPane) gtk_widget_hide(progressPane);
}

void CgtkHostServices::setProgressMessage(char const* message) {
    ClinuxHostServices::setProgressMessage(message);
    if (progressPane) gtk_label_set_text(GTK_LABEL(progressText), message ? message : "");
}

void CgtkHostServices::setProgressPercent(float percent) {
    ClinuxHostServices::setProgressPercent(percent);
    if (!progressPane || !gtk_widget_get_visible(progressPane)) return;
    double fraction = percent < 0 ? 0.0 : percent > 100 ? 1.0 : percent / 100.0;
    gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(progressBar), fraction);
}
