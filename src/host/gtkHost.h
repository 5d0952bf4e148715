// The host's own windows on GTK 3: the options sheet with its error-report form, the file
// chooser, message boxes and the download progress pane. GTK starts only when one of them
// is first needed and an X display exists; its events are handled from the frame loop
// (frameTick), never on a thread of its own. Without GTK the plain Linux services answer.
#pragma once

#include "host/linuxHostServices.h"

class CgtkHostServices : public ClinuxHostServices {
  public:
    int showMessageBox(Cstring const& text, Cstring const& info,
                       std::vector<Cstring> const& buttons) override;
    // Through the desktop's handler for the address (GIO), without waiting for it.
    void showInternetPage(char const* url) override;
    bool beginFileRequest(char const* folder, void (*done)(void* context, char const* path),
                          void* context) override;
    CsheetWindow* makeSheetWindow(CsheetActions& actions) override;
    void frameTick() override;
    void openProgress(char const* message) override;
    void closeProgress() override;
    void setProgressPercent(float percent) override;
    void setProgressMessage(char const* message) override;
};

// Puts the GTK services in place of the plain Linux ones, unless a stand-in is in place.
void installGtkHost();
// Starts GTK the first time it is asked while an X display is named; whether GTK runs.
bool gtkReady();
// Runs GTK's pending events once; nothing before GTK started.
void runGtkEvents();
