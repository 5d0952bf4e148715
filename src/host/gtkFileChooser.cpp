// The file chooser of a file request: a GTK chooser dialog over the aquarium that does not
// hold up the frame loop; its answer arrives while the loop handles GTK's events.
#include <gtk/gtk.h>

#include "host/gtkWindows.h"
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

// The picture types the decoder reads: JPEG, PNG and the scrambled JPEG ".fti".
GtkFileFilter* pictureFilter() {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, "Pictures (JPEG, PNG, FTI)");
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

} // namespace

bool openGtkFileChooser(char const* folder, void (*done)(void*, char const*), void* context) {
    if (chooser) return false;
    chooser =
        gtk_file_chooser_dialog_new("Choose a picture", nullptr, GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    pending = {done, context};
    gtk_dialog_set_default_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), pictureFilter());
    Cstring start = replaceCommonPathKeyword(folder ? folder : "");
    if (!start.empty()) gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), start.c_str());
    g_signal_connect(chooser, "response", G_CALLBACK(onResponse), nullptr);
    g_signal_connect(chooser, "destroy", G_CALLBACK(onDestroy), nullptr);
    gtk_widget_realize(chooser);
    keepOverAquarium(GTK_WINDOW(chooser));
    gtk_window_present(GTK_WINDOW(chooser));
    return true;
}
