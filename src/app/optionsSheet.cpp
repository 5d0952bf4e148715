#include "app/optionsSheet.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/velmoraView.h"
#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "host/saverDefaults.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/helperFunctions.h"
#include "variables/configDialogVars.h"
#include "variables/variable.h"
#include "variables/variableLinks.h"
#include "host/httpConnection.h"
#include "host/internetRequest.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/updateMaster.h"
#include "world/velmoraFunctions.h"

namespace {

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

// The exit bookkeeping a script may leave behind, kept aside while the interface text runs:
// a broken text file leaves the controls with their own texts and never stops the aquarium.
struct CexitSnapshot {
    std::vector<Cstring> reasons = exitReasonList;
    Cstring message = exitMsg;
    int16_t errored = erroredExit, saverExit = exitSaver, script = scriptError;
    int8_t runOrQuit = startRunOrQuit;
    uint8_t report = sendErrorReport;
    void restore() const {
        exitReasonList = reasons;
        exitMsg = message;
        erroredExit = errored;
        exitSaver = saverExit;
        scriptError = script;
        startRunOrQuit = runOrQuit;
        sendErrorReport = report;
    }
};

// The number at the start of text (leading blanks allowed), clamped to 1..110; false when
// the text does not begin with a number.
bool fishCountFromText(char const* text, int& count) {
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text) return false;
    if (errno == ERANGE) value = value < 0 ? 1 : 110;
    count = value > 110 ? 110 : value < 1 ? 1 : static_cast<int>(value);
    return true;
}

// The whole of a data-folder file, or "" when it is missing.
Cstring fileContent(char const* path) {
    CmemoryChunkVar chunk;
    long size = chunk.loadFromFile(path);
    if (size <= 0 || chunk.data == nullptr) return Cstring();
    Cstring text;
    text.append(reinterpret_cast<char const*>(chunk.data), static_cast<int>(size));
    return text;
}

} // namespace

// ---- the error-report form

void errorReportForm::prepareForm() {
    controls.email = contactEmail;
}

void errorReportForm::cancel() {
    if (window) window->hideErrorReportForm();
}

// ---- texts

options_sheet_settings::options_sheet_settings() : reportForm(controls, window) {
    for (int i = 0; i < kSheetTextCount; i++)
        controls.texts[i] = kSheetTextKeys[i];
    controls.versionTitle = kSheetVersionTitle;
    for (Cstring& item : controls.updateItems)
        item = "";
}

CdirectoryVar* options_sheet_settings::buttonNamesDir() const {
    if (!textsFound || !globalVariablesDir) return nullptr;
    return dynamic_cast<CdirectoryVar*>(globalVariablesDir->findVariable("configureText"));
}

void options_sheet_settings::initializeInterfaceText() {
    if (initializedText) return;
    openStdout("sheetout.txt");
    logLine("buttonsFileName=", kInterfaceTextFile);
    if (globalVariablesDir) {
        CexitSnapshot kept;
        auto phaseHook = engineHooks.enterRunPhase;
        engineHooks.enterRunPhase = nullptr; // a failing line must not start the closing phase
        erroredExit = 0;
        scriptError = 0;
        int result = runDiskScript(globalVariablesDir, kInterfaceTextFile);
        bool failed = scriptFailed(result) || erroredExit || scriptError;
        logLine(failed ? "rds returned fail" : "rds returned worked");
        if (failed) logLine("interface text: ", exitMsg);
        kept.restore();
        engineHooks.enterRunPhase = phaseHook;
        textsFound = globalVariablesDir->findVariable("configureText") != nullptr;
    }
    if (buttonNamesDir()) {
        for (int i = 0; i < kSheetTextCount; i++)
            overrideText(static_cast<CsheetText>(i));
    }
    static char const* const itemNames[4] = {"_1week", "_1mnth", "_6mnths", "_Never"};
    static char const* const notFound[4] = {"nf0", "nf1", "nf2", "nf3"};
    CdirectoryVar* names = buttonNamesDir();
    for (int i = 0; i < 4; i++)
        controls.updateItems[i] =
            names ? names->getStringVarValueOrReturnDefault(itemNames[i], notFound[i]) : notFound[i];
    controls.versionTitle = kSheetVersionTitle;
    initializedText = true;
    show();
}

std::optional<Cstring> options_sheet_settings::getStringReplacementB(char const* textCode,
                                                                     char const* label) const {
    std::optional<Cstring> unchanged = label ? std::optional<Cstring>(Cstring(label)) : std::nullopt;
    CdirectoryVar* names = buttonNamesDir();
    if (!names) return unchanged;
    Cstring key;
    if (!textCode) {
        if (!label) return std::nullopt;
        if (label[0] != '_') return unchanged;
        key = label;
    } else {
        key = textCode;
    }
    Cvariable* found = names->getChild(key.c_str());
    if (!found || !found->hasFlag(VAR_HAS_STRING)) return unchanged;
    char const* text = found->getString();
    return Cstring(text ? text : "");
}

void options_sheet_settings::overrideText(CsheetText which) {
    static char const* const traceNames[] = {"overrideTabViewText", "labelText ", "overrideButtonText"};
    logLine(traceNames[sheetTextKind(which)]);
    if (auto replaced = getStringReplacementB(nullptr, controls.texts[which].c_str()))
        controls.texts[which] = *replaced;
}

Cstring options_sheet_settings::noteText(CsheetNote which) const {
    CdirectoryVar* names = buttonNamesDir();
    char const* text = kSheetNoteTexts[which];
    return names ? names->getStringVarValueOrReturnDefault(kSheetNoteKeys[which], text) : text;
}

// ---- notes

void options_sheet_settings::say(Cstring const& note) {
    logLine("sheet note: ", note);
    read();
    controls.statusLine = note;
    noteShown = note;
    show();
}

void options_sheet_settings::forgetNote() {
    if (noteShown.empty()) return;
    read();
    if (controls.statusLine == noteShown) controls.statusLine = "";
    noteShown = "";
    show();
}

bool options_sheet_settings::serverSet(CsheetNote notDone) {
    if (!webServerAddress().empty()) return true;
    say(noteText(notDone) + " " + noteText(kNoWebServer) + ".");
    return false;
}

bool options_sheet_settings::sayWhyNotReached(CsheetNote notDone) {
    CsheetNote why = kServerNotReached;
    switch (internetConnect.reach) {
    case SERVER_REACHED:
        return false; // what the server answered is the web layer's to tell
    case SERVER_REFUSED:
        why = kServerRefused;
        break;
    case SERVER_TIMED_OUT:
        why = kServerTimedOut;
        break;
    case SERVER_NOT_FOUND:
        why = kServerNotFound;
        break;
    default:
        break;
    }
    // The address, so the user can see which server; for another failure, the system's word.
    Cstring where = webServerAddress();
    OBChttpConnection* connection = hangingPointerToHttpConnection;
    if (why == kServerNotReached && connection) where += Cstring(": ") + connection->getError();
    say(noteText(notDone) + " " + noteText(why) + " (" + where + ").");
    return true;
}

bool options_sheet_settings::pageAddress(char const* path, Cstring& url) {
    if (!serverSet(kPageNotOpened)) return false;
    fillStringWithRequestBasics(url, path, 0);
    return true;
}

// ---- options and controls

int options_sheet_settings::updateDaysToComboBoxIndex() {
    if (updateDays < 0) return 3;
    if (updateDays < 15) return 0;
    if (updateDays < 89) return 1;
    return 2;
}

int options_sheet_settings::comboBoxNumToUpdateDays(int index) {
    switch (index) {
    case 0:
        return 7;
    case 1:
        return 30;
    case 2:
        return 180;
    default:
        return -1;
    }
}

void options_sheet_settings::show() {
    if (window) window->showControls(controls);
}

void options_sheet_settings::read() {
    if (window) window->readControls(controls);
}

void options_sheet_settings::update_settings() {
    controls.sizeSlider = static_cast<double>(m_fishGlobalScalar) * 100.0;
    char percent[32];
    std::snprintf(percent, sizeof percent, "%d %c", static_cast<int>(controls.sizeSlider + 0.5), '%');
    controls.showSizePercent = percent;
    controls.saveTankChanges = 1 - m_noSaveTankChanges;
    controls.informBeta = (m_userFlags & USER_FLAG_INFORM_BETA) ? 1 : 0;
    int selected = updateDaysToComboBoxIndex();
    logLine("updatesel=", selected);
    controls.updateIndex = selected;
    controls.updateValue = controls.updateItems[selected];
    logLine("endsel=");
    controls.maxFishPerTank = std::to_string(maxFishPerTank).c_str();
    show();
    // What the controls hold now: a control that can only show the nearest of its entries
    // (the update list, the slider's range) holds that entry, not the option's own value.
    read();
    shownControls = controls;
}

void options_sheet_settings::change_setting() {
    read();
    // Only the options whose controls the user moved are written: the others keep their own
    // values, which their controls may show only as the nearest entry.
    CsheetControls const& was = shownControls;
    if (controls.saveTankChanges != was.saveTankChanges)
        m_noSaveTankChanges = static_cast<short>(1 - controls.saveTankChanges);
    if (controls.sizeSlider != was.sizeSlider)
        m_fishGlobalScalar = static_cast<float>(controls.sizeSlider * 0.01);
    if (controls.informBeta != was.informBeta)
        m_userFlags = setMask(m_userFlags, USER_FLAG_INFORM_BETA, controls.informBeta != 0);
    // Text that is not a number leaves the option as it was.
    int count = maxFishPerTank;
    if (controls.maxFishPerTank != was.maxFishPerTank &&
        fishCountFromText(controls.maxFishPerTank.c_str(), count))
        maxFishPerTank = count;
    logLine("bx");
    if (controls.updateIndex != was.updateIndex) updateDays = comboBoxNumToUpdateDays(controls.updateIndex);
    // The engine reads the lock where it saves, from the shop keeper's own copy.
    if (shopKeeper) shopKeeper->saveChanges = static_cast<uint8_t>(1 - m_noSaveTankChanges);
    update_settings();
}

// ---- buttons

void options_sheet_settings::click_save_changes() {
    logLine("-click_save_changes: ", int(skipNSAlert));
    read();
    if (!controls.saveTankChanges) {
        int answer = OS::ShowMessage(
            "You are chosing to LOCK your aquarium settings, which means your tanks cannot be changed! Are "
            "you "
            "sure you want to do this???||No, I want my changes to be saved|Yes, I want to LOCK my aquariums",
            nullptr, 0);
        if (answer != 0) {
            controls.saveTankChanges = 1;
            show();
        }
    }
    change_setting();
}

void options_sheet_settings::click_settingBackups() {
    int answer =
        OS::ShowMessage("Protect your tank configurations! Choose an option below.||Backup my current tank "
                        "configuration|Restore from backup|Revert to defaults",
                        nullptr, 0);
    if (answer == 1) {
        // The backup holds the aquarium as it is now, not as it was last saved.
        if (shopKeeper) shopKeeper->saveShopSettings();
        deleteFile("[APD]settings_bak.txt");
        Cstring content = fileContent("[APD]settings.txt");
        createDiskFile("[APD]settings_bak.txt", content.c_str(), content.size());
        OS::ShowMessage("settings are backed up", nullptr, 0);
    } else if (answer == 0) {
        Cstring content = fileContent("[APD]settings_bak.txt");
        if (content.empty()) {
            OS::ShowMessage("no backup found", nullptr, 0);
            return;
        }
        deleteFile("[APD]settings.txt");
        createDiskFile("[APD]settings.txt", content.c_str(), content.size());
        // The running engine would save over the restored file, whenever it stops from now
        // on: it saves nothing more, and starts again from the file at the next frame.
        if (shopKeeper) shopKeeper->dontSaveUnderAnyCircumstances = 1;
        OS::ShowMessage("setting restored from backup", nullptr, 0);
        requestEngineRestart(false);
    } else if (answer == -1) {
        deleteFile("[APD]settings.txt");
        if (shopKeeper) shopKeeper->dontSaveUnderAnyCircumstances = 1;
        requestEngineRestart(false);
    }
}

void options_sheet_settings::click_needHelpButton() {
    int answer = OS::ShowMessage(
        "If you have encountered a red error screen, we would recommend starting with 'Clear error basic' "
        "and if "
        "that doesn't help, try 'Clear error extreme'. If you have any questions you can Contact us. Or you "
        "can "
        "view a web page listing various common problems and their solutions.||contact|view help|Clear error "
        "extreme|Clear error basic",
        nullptr, 0);
    Cstring url;
    if (answer == 1) {
        Cstring path = Cstring("php_database/contact_form.php?os=MAC&mid=") + machineID + "&";
        if (pageAddress(path.c_str(), url)) OS::showInternetPage(url.c_str());
    } else if (answer == 0) {
        if (pageAddress("support/", url)) OS::showInternetPage(url.c_str());
    } else if (answer == -1 || answer == -2) {
        OS::copyResourcesFromInstall();
        pleaseQuitSystemPreferences = 1;
        showInPreview = 2;
        if (answer == -1 &&
            OS::ShowMessage(
                "This option will delete your aquarium setups in case they are causing the error. We "
                "recommend backing up your settings before continuing. To do this, click the "
                "'Settings' tab and choose 'Setting Backup' -> 'Back up my current tank "
                "configuration'||Cancel|Delete my setups",
                nullptr, 0) == 0) {
            // Deleted directly rather than through a shell line holding the folder's name; the
            // running engine must not write them again when it stops.
            deleteFile("[APD]settings.txt");
            deleteFile("[APD]registry.txt");
            if (shopKeeper) shopKeeper->dontSaveUnderAnyCircumstances = 1;
        }
    }
}

void options_sheet_settings::click_visitWebsiteButton() {
    if (!serverSet(kWebsiteNotReached)) return;
    // A server that answered without opening the page: its home page is opened here.
    if (MakeHTTPrequestAndRunScript("inquiry/inquiry.php?type=VISIT_SITE&", true, 2, nullptr) != 0 &&
        !sayWhyNotReached(kWebsiteNotReached)) {
        Cstring url;
        if (pageAddress("", url)) OS::showInternetPage(url.c_str());
    }
}

void options_sheet_settings::click_checkForUpdateButton() {
    if (serverSet(kUpdatesNotChecked) && updateMaster().checkForUpdate() != 0)
        sayWhyNotReached(kUpdatesNotChecked);
}

void options_sheet_settings::click_betaEmailSignup() {
    Cstring url;
    if (pageAddress("php_database/mac_mailing_list_form.php", url)) OS::showInternetPage(url.c_str());
}

void options_sheet_settings::click_onlineFishChooser() {
    logLine("click_onlineFishChooser - start fish_chooser");
    Cstring saved = fileContent("[APD]fish_chooser_settings.txt");
    Cstring path = Cstring("php_database/fish_chooser.php?os=MAC&addons=") +
                   (shopKeeper ? shopKeeper->addonsBrief : Cstring()) +
                   "&ver=1.296&num_monitors=" + Cstring(std::to_string(numDisplays).c_str()) + "&";
    if (!saved.empty()) path += saved;
    Cstring url;
    if (pageAddress(path.c_str(), url)) OS::showInternetPage(url.c_str());
}

void options_sheet_settings::click_grabOnlineTankConfiguration() {
    logLine("click_grabOnlineTankConfiguration - fish_chooser");
    Cstring url;
    Cstring path = Cstring("temp/sets_") + machineID;
    if (!pageAddress(path.c_str(), url)) return;
    onFinishedDownloadingScript = ":overwriteSettings";
    OS::startFileDownload(url.c_str(), "[APD]dl_sets.txt", true);
}

void options_sheet_settings::openErrorReportForm() {
    reportForm.prepareForm();
    show();
    if (window) window->showErrorReportForm();
}

void options_sheet_settings::click_sendErrorReport() {
    forgetNote();
    read();
    if (window) window->hideErrorReportForm();
    Cstring description = reportForm.getDescription();
    contactEmail = reportForm.getEmail();
    OS::storeRegistryStuff();
    bool server = serverSet(kReportNotSent);
    Cstring keyword = "&";
    if (!description.empty()) {
        createDiskFile("[APD]crash/description.txt", description.c_str(), description.size());
        keyword = "D&";
    }
    Cstring path = Cstring("inquiry/errorreport_mac") + append_test_to_internet_calls +
                   ".php?type=ERRREPORT&keyword=" + keyword;
    // The crash folder goes right after the request: the description travels with it.
    if (!description.empty()) {
        constexpr int kLongestDescription = 2000;
        int length = description.size() < kLongestDescription ? description.size() : kLongestDescription;
        path += Cstring("description=") + httpSafeLen(description.c_str(), length, false) + "&";
    }
    // Sent once it reached the server, whatever the server answered. A report not sent keeps
    // what it would have told (the description typed, the crash record) for the next Send.
    bool sent = server && (MakeHTTPrequestAndRunScript(path, true, 2, nullptr) == 0 ||
                           !sayWhyNotReached(kReportNotSent));
    if (sent) clearCrashDirectory();
}

void options_sheet_settings::click_revealSettingsFolderButton() {
    // The folder named, so the user can open it by hand; an opener that fails later says it too.
    Cstring note = noteText(kFolderNotOpened) + " " + appDataDir;
    if (revealSettingsFolder(note.c_str()) != 0) say(note);
}

void options_sheet_settings::buttonClicked(CsheetButton which) {
    forgetNote();
    switch (which) {
    case kVisitWebsite:
        return click_visitWebsiteButton();
    case kCheckForUpdate:
    case kCheckForUpdate2:
        return click_checkForUpdateButton();
    case kBetaEmailSignup:
        return click_betaEmailSignup();
    case kSettingBackups:
        return click_settingBackups();
    case kOnlineFishChooser:
        return click_onlineFishChooser();
    case kGrabOnlineTankConfiguration:
        return click_grabOnlineTankConfiguration();
    case kNeedHelp:
        return click_needHelpButton();
    case kRevealSettingsFolder:
        return click_revealSettingsFolderButton();
    case kOpenErrorReport:
        return openErrorReportForm();
    case kSheetButtonCount:
        break;
    }
}
