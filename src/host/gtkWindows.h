// What the GTK files of the host share: the window alerts and the progress pane stand
// over, and keeping a window over the aquarium's own X window.
#pragma once

#include <gtk/gtk.h>

#include "host/sheetWindow.h"

// The options sheet while it is shown, else null.
extern GtkWindow* shownSheetWindow;
// Makes window a transient of the aquarium window that last had the pointer, where the
// display is X11 and that window is known; call after the window is realized.
void keepOverAquarium(GtkWindow* window);
// A new GTK sheet window; null when GTK does not run.
CsheetWindow* makeGtkSheetWindow(CsheetActions& actions);
// Opens the chooser (GTK runs); false when one is already open.
bool openGtkFileChooser(char const* folder, void (*done)(void*, char const*), void* context);
