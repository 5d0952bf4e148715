// The view's side of the configure sheet: showing it with the options as they are,
// closing it (saver defaults, registry), and the "Use All Screens" check box.
#include <cmath>

#include "app/optionsSheet.h"
#include "app/velmoraView.h"
#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "host/saverDefaults.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/dataFolderRun.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

options_sheet_settings* openSheet = nullptr; // the shown sheet, whose status line setMessage writes

void showStatus(char const* text) {
    if (!openSheet || !openSheet->window) return;
    // The user's edits in progress are kept.
    openSheet->window->readControls(openSheet->controls);
    openSheet->controls.statusLine = text;
    openSheet->window->showControls(openSheet->controls);
}

// The sheet's reports, handed to the controller and the view as the sheet's wiring says.
class CviewSheetActions : public CsheetActions {
  public:
    CviewSheetActions(CvelmoraView& v, options_sheet_settings& s) : view(v), settings(s) {}
    void settingChanged() override { settings.change_setting(); }
    void saveChangesClicked() override { settings.click_save_changes(); }
    void useAllScreensClicked() override {
        if (view.sheetWindow()) view.sheetWindow()->readControls(settings.controls);
        view.control_changed(settings.controls.useAllScreens);
    }
    void buttonClicked(CsheetButton which) override { settings.buttonClicked(which); }
    void sendErrorReport() override { settings.click_sendErrorReport(); }
    void closeClicked() override { view.closeSheet(); }

  private:
    CvelmoraView& view;
    options_sheet_settings& settings;
};

// Ended by the engine (an installed update): the window goes, nothing is written and alerts
// stay as they were, as for any sheet closed another way than its close button.
void endOpenSheet() {
    if (!openSheet) return;
    if (openSheet->window) openSheet->window->orderOut();
    openSheet = nullptr;
    registerMessageField(nullptr);
}

} // namespace

void installSheetHooks() {
    engineHooks.sheetMessage = setMessage;
    engineHooks.endConfigureSheet = endOpenSheet;
}

CsheetWindow* CvelmoraView::configureSheet() {
    logLine("configureSheet ", static_cast<void*>(shopKeeper));
    if (!optionsSheet) {
        optionsSheet = std::make_unique<options_sheet_settings>();
        sheetActions = std::make_unique<CviewSheetActions>(*this, *optionsSheet);
    }
    if (!sheet) {
        sheet.reset(hostServices().makeSheetWindow(*sheetActions));
        optionsSheet->window = sheet.get();
    }
    optionsSheet->initializeInterfaceText();
    // Said where the viewer looks: the options are kept only by the run that keeps the folder.
    takeDataFolderWhenFree();
    optionsSheet->controls.statusLine = dataFolderHeldElsewhere ? kSheetHeldElsewhere : "";
    adjust_configureSheet();
    if (!sheet || !sheet->present()) {
        logLine("no configure sheet can be shown");
        return nullptr;
    }
    skipNSAlert = 0;
    openSheet = optionsSheet.get();
    registerMessageField(showStatus);
    logLine("end configureSheet");
    return sheet.get();
}

void CvelmoraView::adjust_configureSheet() {
    logLine("adjust configuresheet");
    if (!optionsSheet) return;
    optionsSheet->controls.useAllScreens = gUseAllScreens;
    optionsSheet->update_settings();
    logLine("end of adjust_configureSheet");
}

void CvelmoraView::closeSheet() {
    skipNSAlert = 1;
    keepOptionsTheSheetChanged();
    // The saver defaults and the registry are written together, or neither is: while another
    // run keeps the data folder they wait for it to end (this run's own end at the latest).
    takeDataFolderWhenFree();
    sheetOptionsWaiting = dataFolderHeldElsewhere;
    if (sheetOptionsWaiting) {
        logLine("the options wait for the run that keeps the data folder to end");
        ShowMessage(kSheetNotKept, "", 1);
    } else {
        keepSheetOptions();
    }
    if (sheet) sheet->orderOut();
    if (openSheet == optionsSheet.get()) {
        openSheet = nullptr;
        registerMessageField(nullptr);
    }
    logLine("endCloseSheet");
    // The fish size applies as a tank loads: a new size starts the engine again.
    if (shopKeeper && m_fishGlobalScalar > 0.0f &&
        std::fabs(shopKeeper->worldScale * m_fishGlobalScalar - 1.0f) > 1e-4f)
        requestEngineRestart(true);
}

bool CvelmoraView::sheetIsOpen() const {
    return optionsSheet && openSheet == optionsSheet.get();
}

void CvelmoraView::keepSheetOptions() {
    sheetOptionsWaiting = false;
    update_defaults();
    OS::storeRegistryStuff();
}

void CvelmoraView::control_changed(int value) {
    logLine("controlChanged");
    uint8_t low = static_cast<uint8_t>(value & 0xFF);
    if (low != gUseAllScreens) gUseAllScreens = low;
    keptUseAllScreens = -1; // the sheet's choice is kept
}

void CvelmoraView::update_defaults() {
    CsaverDefaults values;
    values.useAllScreens = (keptUseAllScreens >= 0 ? keptUseAllScreens : gUseAllScreens) != 0;
    values.headsUpDisplay = false;
    writeSaverDefaults(values);
}

void CvelmoraView::dropSheet() {
    if (optionsSheet && openSheet == optionsSheet.get()) {
        openSheet = nullptr;
        registerMessageField(nullptr);
    }
    sheet.reset();
}
