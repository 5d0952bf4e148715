// The question about the unclean end of the previous run, and the shop-level message.
#include <cstdio>
#include <filesystem>

#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "variables/variable.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

CdirectoryVar* shopKeeperDirectory = nullptr;

namespace {

void masterLine(char const* text) {
    if (masterOut.is_open()) masterOut << text << std::endl;
}

Cstring stringOf(Cvariable* root, char const* name, char const* missing) {
    Cvariable* v = root ? root->findVariable(name) : nullptr;
    char const* text = v ? v->getString() : nullptr;
    return v && text ? Cstring(text) : Cstring(missing);
}

} // namespace

void clearCrashDirectory() {
    // Only a folder inside a known, absolute data folder is ever removed.
    if (appDataDir.empty() || appDataDir.c_str()[0] != '/' || !mayWriteDataFolder()) return;
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(appDataDir.c_str()) / "crash", error);
    if (error) VTRACE(1, "crash folder not removed: " << error.message());
}

void makeCrashBackupDir() {}

int inquireAboutSendingErrorReport() {
    masterLine("inquire error report");
    if (!(m_userFlags & USER_FLAG_NEVER_ASK_REPORT)) {
        // A file of the data folder: data, which may end nothing (a damaged one is set aside).
        if (globalVariablesDir && fileExists("[APD]crash/isRunning.txt"))
            runKeptScriptFile(globalVariablesDir, "[APD]crash/isRunning.txt", nullptr);
        clearCrashIndicatorFile();
        Cstring phase = stringOf(globalVariablesDir, "pn", "unknown");
        Cstring output = phase == "unknown" ? Cstring() : stringOf(globalVariablesDir, "sof", "");
        VTRACE(1, "previous run ended in " << phase << " " << output);
        if (phase != "closing") {
            char const* question =
                erroredExit ? "Would you like to report this error to Velmora? It may help us fix this "
                              "problem||Yes|Don't ask me again|No"
                            : "Velmora quit with an error. Would you like to report this to Velmora? It may "
                              "help us fix this problem||Yes|Dont ask me again|No";
            int answer = OS::ShowMessage(question, nullptr, 0);
            if (answer == 1) {
                Cstring path = Cstring("inquiry/errorreport_mac") + append_test_to_internet_calls +
                               ".php?type=ERRREPORT&keyword=E&";
                MakeHTTPrequestAndRunScript(path, false, 2, nullptr);
            } else if (answer == 0) {
                m_userFlags |= USER_FLAG_NEVER_ASK_REPORT;
                OS::storeRegistryStuff();
            }
        }
    }
    clearCrashDirectory();
    return 0;
}

int ShowMessage(char const* text, char const* title, int buttons) {
    if (!shopKeeperDirectory) return OS::ShowMessage(text, title, buttons);
    // The message page belongs to the control panel: without one the message goes to the
    // logs and the platform's alert, never to a script that cannot run.
    auto* shop = dynamic_cast<CshopKeeper*>(shopKeeperDirectory);
    if (shop == nullptr || shop->controlPanel == nullptr) {
        VTRACE(1, "message: " << (text ? text : ""));
        return OS::ShowMessage(text, title, buttons);
    }
    // A screen saver reads no input: a note nobody can close would cover the locked screen
    // for the whole run (and show whatever it names there). It goes to the logs and stderr.
    if (!shop->hasMouse) {
        VTRACE(1, "message not shown (a screen saver reads no input): " << (text ? text : ""));
        if (masterOut.is_open()) masterOut << "message not shown: " << (text ? text : "") << std::endl;
        std::fprintf(stderr, "velmora: %s\n", text ? text : "");
        return 0;
    }
    // The text is set as a value, never pasted into script text.
    Cvariable* flex = shopKeeperDirectory->findVariable("flexText");
    if (!flex) flex = shopKeeperDirectory->addVariableX("flexText", CLASS_STRING);
    if (flex) flex->setString(text ? text : "");
    runStringScript(shopKeeperDirectory, ":page /std_scripts/flexMessage");
    // The log says what the viewer was shown; the page needs a tank in focus.
    if (masterOut.is_open() && shop->controlPanel->findExistingPane("main_pane"))
        masterOut << "message shown: " << (text ? text : "") << std::endl;
    return 0;
}
