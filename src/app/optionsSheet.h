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

  private:
    void show();
    void read();
    bool textsFound = false;
    CsheetControls shownControls; // the controls as update_settings left them
};

// The maker's web pages and downloads, under the web server's address; false (and the
// user told so) while no web server is set.
bool makerPageAddress(char const* path, Cstring& url);
