// The options sheet's logic: its texts from the interface text file, the engine's global
// options copied into the controls and back, and the actions of its buttons. The controls
// live in a CsheetControls record that a platform window (host/sheetWindow.h) shows, so
// all of this runs without a display.
#pragma once

#include <optional>

#include "host/sheetWindow.h"
#include "support/mystring.h"

class CdirectoryVar;

// The version line of the sheet.
constexpr char const* kSheetVersionTitle = "Version 1.296 (build 18)";
// What the sheet says while another run keeps the data folder: at its opening, on its
// status line, and at its close when its options could not be kept yet.
constexpr char const* kSheetHeldElsewhere =
    "Another Velmora run holds the settings: changes are kept once it ends.";
constexpr char const* kSheetNotKept =
    "The options were not kept yet: another run of Velmora keeps the settings folder. They are kept "
    "once it ends, or left for it to keep should this window close first.";
// The interface text file, a script that builds "configureText" under the root.
constexpr char const* kInterfaceTextFile = "[INS]interfaceText.txt";
// User flag: tell me about beta versions.
constexpr unsigned USER_FLAG_INFORM_BETA = 0x10;

// The sheet's notes on its status line: a button's web request that reached no server
// (what was not done, then why), the settings folder that could not be opened. Each is a key
// of the interface text file, with the text shown when the file gives none.
enum CsheetNote {
    kUpdatesNotChecked,
    kReportNotSent,
    kWebsiteNotReached,
    kPageNotOpened,
    kNoWebServer,
    kServerRefused,
    kServerTimedOut,
    kServerNotFound,
    kServerNotReached,
    kFolderNotOpened,
    kSheetNoteCount
};
inline constexpr char const* kSheetNoteKeys[kSheetNoteCount] = {
    "_updatesNotChecked", "_reportNotSent",  "_websiteNotReached", "_pageNotOpened",    "_noWebServer",
    "_serverRefused",     "_serverTimedOut", "_serverNotFound",    "_serverNotReached", "_folderNotOpened"};
inline constexpr char const* kSheetNoteTexts[kSheetNoteCount] = {
    "Updates were not checked:",
    "The error report was not sent:",
    "The website was not reached:",
    "The page was not opened:",
    "no web server is set up",
    "the web server refused the connection",
    "the web server did not answer in time",
    "the web server's name was not found",
    "the web server could not be reached",
    "Your settings folder could not be opened here; open it yourself:"};

// The panel in which the user describes a problem before the report goes out.
class errorReportForm {
  public:
    errorReportForm(CsheetControls& c, CsheetWindow*& w) : controls(c), window(w) {}
    // The e-mail field gets the stored contact address.
    void prepareForm();
    // Ends the form without sending.
    void cancel();
    char const* getEmail() const { return controls.email.c_str(); }
    char const* getDescription() const { return controls.description.c_str(); }

  private:
    CsheetControls& controls;
    CsheetWindow*& window;
};

class options_sheet_settings {
  public:
    options_sheet_settings();

    // Loads the texts the first time (then never again) and replaces the controls' texts.
    void initializeInterfaceText();
    // The replacement of a control's text: without a text code the label is the key when it
    // begins with "_" (other labels stay); an empty optional for a missing label.
    std::optional<Cstring> getStringReplacementB(char const* textCode, char const* label) const;
    // Replaces one control's text in place (logged under the control kind's trace name).
    void overrideText(CsheetText which);
    // The directory of replacement texts once loaded, else null.
    CdirectoryVar* buttonNamesDir() const;

    // The combo box item for updateDays, and the days of an item (-1: never).
    static int updateDaysToComboBoxIndex();
    static int comboBoxNumToUpdateDays(int index);

    // Options to controls, and controls to options: only the controls the user changed since
    // update_settings showed them write their options (clamped, then shown again).
    void update_settings();
    void change_setting();

    void click_save_changes();
    void click_settingBackups();
    void click_needHelpButton();
    void click_visitWebsiteButton();
    void click_checkForUpdateButton();
    void click_betaEmailSignup();
    void click_onlineFishChooser();
    void click_grabOnlineTankConfiguration();
    void click_sendErrorReport();
    void click_revealSettingsFolderButton();
    // Shows the error-report form, prepared.
    void openErrorReportForm();
    void buttonClicked(CsheetButton which);

    CsheetControls controls;
    CsheetWindow* window = nullptr; // not owned; null while none can be shown
    bool initializedText = false;
    Cstring buttonOverrideString;
    errorReportForm reportForm;

    // One of the notes, from the interface text file once it is read.
    Cstring noteText(CsheetNote which) const;

  private:
    void show();
    void read();
    // Shows note on the status line (the user's edits in progress kept) and logs it.
    void say(Cstring const& note);
    // A button pressed again: the note an earlier press left goes (other words stay).
    void forgetNote();
    // Whether a web server is set; without one the sheet says so after what was not done.
    bool serverSet(CsheetNote notDone);
    // A request of a button failed: says why when it reached no server (then true).
    bool sayWhyNotReached(CsheetNote notDone);
    // The maker's page under the web server's address; false (and the sheet says so)
    // while no web server is set.
    bool pageAddress(char const* path, Cstring& url);
    bool textsFound = false;
    CsheetControls shownControls; // the controls as update_settings left them
    Cstring noteShown;            // the last note said, "" none
};
