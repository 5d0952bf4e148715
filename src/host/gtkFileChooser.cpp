// The file chooser of a file request: a GTK chooser dialog over the aquarium that does not
// hold up the frame loop; its answer arrives while the loop handles GTK's events.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <algorithm>

#include "host/gtkWindows.h"
#include "host/hostServices.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

namespace {

struct Crequest {
    void (*done)(void*, char const*) = nullptr;
    void* context = nullptr;
};
GtkWidget* chooser = nullptr;
Crequest pending;

// The picture types the decoder reads: JPEG, PNG and the scrambled JPEG ".fti" of the
// program's own resources, which the name leaves out: it means nothing to a viewer.
GtkFileFilter* pictureFilter() {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "Pictures (JPEG, PNG)");
    for (char const* pattern : {"*.jpg", "*.jpeg", "*.png", "*.fti", "*.JPG", "*.JPEG", "*.PNG", "*.FTI",
                                "*.Jpg", "*.Jpeg", "*.Png"})
        gtk_file_filter_add_pattern(filter, pattern);
    return filter;
}

void onResponse(GtkDialog* dialog, int response, gpointer) {
    gchar* path =
        response == GTK_RESPONSE_ACCEPT ? gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog)) : nullptr;
    Crequest answered = pending;
    pending = Crequest();
    chooser = nullptr;
    gtk_widget_destroy(GTK_WIDGET(dialog));
    if (masterOut.is_open()) masterOut << "ret file=" << (path ? path : "(none)") << std::endl;
    // The request is over before its answer runs, so the answer may ask again.
    if (answered.done) answered.done(answered.context, path);
    g_free(path);
}

// Destroyed without an answer (its window taken away): the request ends as cancelled.
void onDestroy(GtkWidget* widget, gpointer) {
    if (widget != chooser) return;
    Crequest answered = pending;
    pending = Crequest();
    chooser = nullptr;
    if (answered.done) answered.done(answered.context, nullptr);
}

// The monitor the chooser opens on: the aquarium window's, else the primary one.
GdkMonitor* chooserMonitor(GdkDisplay* display) {
    GdkMonitor* monitor = nullptr;
    if (lastFocusWindow && GDK_IS_X11_DISPLAY(display)) {
        GdkWindow* aquarium = gdk_x11_window_foreign_new_for_display(display, lastFocusWindow);
        if (aquarium) {
            monitor = gdk_display_get_monitor_at_window(display, aquarium);
            g_object_unref(aquarium);
        }
    }
    if (!monitor) monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    return monitor;
}

// The work area of the monitor the chooser opens on; false without one.
bool chooserArea(GtkWidget* window, GdkRectangle& area) {
    GdkMonitor* monitor = chooserMonitor(gtk_widget_get_display(window));
    if (monitor) gdk_monitor_get_workarea(monitor, &area);
    return monitor != nullptr;
}

// The chooser takes its size as it is shown (remembered, or made from its font), and that
// may be larger than a small screen, whose edge would then hide its buttons where no window
// manager moves it: it is kept within nine tenths of the work area of its monitor, and,
// whenever its size would take it past an edge, moved to the middle.
void keepOnScreen(GtkWidget* window, GdkRectangle* size, gpointer) {
    GdkRectangle area;
    if (!chooserArea(window, area)) return;
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    if (x >= area.x && y >= area.y && x + size->width <= area.x + area.width &&
        y + size->height <= area.y + area.height)
        return;
    gtk_window_move(GTK_WINDOW(window), area.x + std::max(0, (area.width - size->width) / 2),
                    area.y + std::max(0, (area.height - size->height) / 2));
}

void fitOnScreen(GtkWindow* window) {
    GdkRectangle area;
    if (!chooserArea(GTK_WIDGET(window), area)) return;
    GdkGeometry most = {};
    most.max_width = std::max(1, area.width * 9 / 10);
    most.max_height = std::max(1, area.height * 9 / 10);
    gtk_window_set_geometry_hints(window, nullptr, &most, GDK_HINT_MAX_SIZE);
    g_signal_connect(window, "size-allocate", G_CALLBACK(keepOnScreen), nullptr);
}

} // namespace

bool openGtkFileChooser(char const* folder, void (*done)(void*, char const*), void* context) {
    if (chooser) return false;
    chooser =
        gtk_file_chooser_dialog_new("Choose a picture", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    pending = {done, context};
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), pictureFilter());
    // Never on GTK's recent files, where a path typed into the location field and Return
    // choose nothing: on the folder asked for, the folder of the picture named, else the
    // user's pictures or home folder (or the root).
    Cstring start = replaceCommonPathKeyword(folder ? folder : "");
    gchar* opened = nullptr;
    if (!start.empty() && g_file_test(start.c_str(), G_FILE_TEST_IS_DIR))
        opened = g_strdup(start.c_str());
    else if (!start.empty() && g_file_test(start.c_str(), G_FILE_TEST_IS_REGULAR))
        opened = g_path_get_dirname(start.c_str());
    for (char const* other : {g_get_user_special_dir(G_USER_DIRECTORY_PICTURES), g_get_home_dir(), "/"})
        if (!opened && other && g_file_test(other, G_FILE_TEST_IS_DIR)) opened = g_strdup(other);
    gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), opened);
    g_free(opened);
    g_signal_connect(chooser, "response", G_CALLBACK(onResponse), nullptr);
    g_signal_connect(chooser, "destroy", G_CALLBACK(onDestroy), nullptr);
    gtk_widget_realize(chooser);
    fitOnScreen(GTK_WINDOW(chooser));
    keepOverAquarium(GTK_WINDOW(chooser));
    gtk_window_present(GTK_WINDOW(chooser));
    return true;
}
