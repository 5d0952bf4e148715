// The options sheet as the platform shows it, apart from what its controls mean.
//
// The sheet's logic (src/app/optionsSheet.*) keeps every control's state in one
// CsheetControls record; a CsheetWindow shows that record in a window of the platform and
// reads the user's edits back into it, and tells the logic what the user did through
// CsheetActions. Tests put a plain record-keeping window in its place.
#pragma once

#include "support/mystring.h"

// The controls whose texts come from the interface text file, in the order the sheet
// replaces them.
enum CsheetText {
    kCloseButton,
    kTab0,
    kWelcomeTitleText,
    kVisitWebsiteButton,
    kCheckForUpdateButton,
    kTab1,
    kSettingsMainDescription,
    kMaxFishPerTankText,
    kGlobalFishSizeText,
    kFishSizeSmallerText,
    kFishSizeLargerText,
    kSaveTankChangesCheckbox,
    kSaveChangesDescriptionText,
    kTab2,
    kCheckForUpdateButton2,
    kInformBeta,
    kBetaEmail,
    kTab3,
    kSupportMainDescription,
    kNeedHelpButton,
    kSupportHelpButtonDescription,
    kRevealSettingsButton,
    kSupportRevealSettingsButtonDescription,
    kSheetTextCount
};

// The controls' own texts as the window is built: each is its key in the interface text
// file ("_" first), shown as it is when the file does not replace it.
inline constexpr char const* kSheetTextKeys[kSheetTextCount] = {
    "_close",          "_welcomeTab",      "_welcomeTitle",      "_visitWebsite",   "_checkForUpdate",
    "_settingsTab",    "_settingsMain",    "_maxFishPerTank",    "_globalFishSize", "_fishSizeSmaller",
    "_fishSizeLarger", "_saveTankChanges", "_saveChangesDesc",   "_updatesTab",     "_checkForUpdate2",
    "_informBeta",     "_betaEmail",       "_supportTab",        "_supportMain",    "_needHelp",
    "_needHelpDesc",   "_revealSettings",  "_revealSettingsDesc"};

// Which tab a replaced text belongs to is the window's business; these say what kind of
// control holds it (the trace names differ).
enum CsheetTextKind { kTabText, kLabelText, kButtonText };
inline CsheetTextKind sheetTextKind(CsheetText which) {
    switch (which) {
    case kTab0:
    case kTab1:
    case kTab2:
    case kTab3:
        return kTabText;
    case kCloseButton:
    case kVisitWebsiteButton:
    case kCheckForUpdateButton:
    case kSaveTankChangesCheckbox:
    case kCheckForUpdateButton2:
    case kInformBeta:
    case kBetaEmail:
    case kNeedHelpButton:
    case kRevealSettingsButton:
        return kButtonText;
    default:
        return kLabelText;
    }
}

// The buttons that start an action of the sheet (the check boxes, the slider, the combo box
// and the number field report a change instead).
enum CsheetButton {
    kVisitWebsite,
    kCheckForUpdate,
    kCheckForUpdate2,
    kBetaEmailSignup,
    kSettingBackups,
    kOnlineFishChooser,
    kGrabOnlineTankConfiguration,
    kNeedHelp,
    kRevealSettingsFolder,
    kOpenErrorReport, // shows the error-report form
    kSheetButtonCount
};

// Every control's state.
struct CsheetControls {
    Cstring texts[kSheetTextCount];
    Cstring versionTitle;
    Cstring maxFishPerTank; // the number field's text
    double sizeSlider = 100.0;
    Cstring showSizePercent;
    int saveTankChanges = 1; // check box states, 0 or 1
    int informBeta = 0;
    int useAllScreens = 1;
    Cstring updateItems[4]; // the combo box's items
    int updateIndex = 0;    // the selected item, -1 none
    Cstring updateValue;    // the combo box's shown text
    Cstring statusLine;     // messages of the web and update layers (setMessage)
    // The error-report form.
    Cstring email;
    Cstring description;
};

// The slider's range in percent of the normal fish size.
constexpr double kSizeSliderMin = 50.0;
constexpr double kSizeSliderMax = 200.0;

// What the user did on the sheet; called from the frame loop while the platform's events
// are handled.
class CsheetActions {
  public:
    virtual ~CsheetActions() = default;
    // The number field, the slider, the combo box, the beta box: controls were edited.
    virtual void settingChanged() = 0;
    // The save-changes check box was clicked (its new state is in the controls).
    virtual void saveChangesClicked() = 0;
    // The "Use All Screens" check box was clicked.
    virtual void useAllScreensClicked() = 0;
    virtual void buttonClicked(CsheetButton which) = 0;
    // The error-report form's OK button.
    virtual void sendErrorReport() = 0;
    // The close button, or the window closed by the window manager.
    virtual void closeClicked() = 0;
};

class CsheetWindow {
  public:
    virtual ~CsheetWindow() = default;
    // Shows the controls in the window (texts, values and items).
    virtual void showControls(CsheetControls const& controls) = 0;
    // Reads the user's edits of the controls into controls.
    virtual void readControls(CsheetControls& controls) = 0;
    // Brings the window up over the aquarium's window; false when it cannot be shown.
    virtual bool present() = 0;
    virtual void orderOut() = 0;
    virtual bool isShown() const = 0;
    // The error-report form, a window of its own over the sheet.
    virtual void showErrorReportForm() = 0;
    virtual void hideErrorReportForm() = 0;
};
