#include "world/initGlobals.h"

#include "world/engineWiring.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "script/keptScriptFile.h"
#include "script/scripter.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/keptText.h"
#include "variables/configDialogVars.h"
#include "variables/variable.h"
#include "world/dataFolderRun.h"
#include "world/velmoraFunctions.h"

Cstring tempDir;
Cstring frame10Script;
int intrinsicVersion = 0;
int resourcesVersion = 0;
uint8_t needsAnUpdate = 0;
uint8_t allowOnline = 1;
Cstring countryCode;
int minutesThisVersion = 0;
Cstring webServerBase;
Cstring randomMachineID;
Cstring append_test_to_internet_calls;
Cstring globalsFailure;

namespace {

// __DATE__ ("Dec  6 2026") as 20261206.
constexpr int buildDate() {
    char const* d = __DATE__;
    char const* months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    int month = 1;
    for (int m = 0; m < 12; m++)
        if (d[0] == months[3 * m] && d[1] == months[3 * m + 1] && d[2] == months[3 * m + 2]) month = m + 1;
    int day = (d[4] == ' ' ? 0 : d[4] - '0') * 10 + (d[5] - '0');
    int year = (d[7] - '0') * 1000 + (d[8] - '0') * 100 + (d[9] - '0') * 10 + (d[10] - '0');
    return year * 10000 + month * 100 + day;
}

void masterLine(char const* a, Cstring const& b = Cstring()) {
    if (masterOut.is_open()) masterOut << a << b << std::endl;
}

// A machine without an identifier of its own keeps one made at its first run.
void settleMachineID() {
    if (!machineID.empty()) return;
    if (randomMachineID.size() != 24) {
        randomMachineID = OS::makeRandomMachineID();
        OS::storeRegistryStuff();
    }
    machineID = randomMachineID;
    masterLine("mid=", machineID);
}

void addFailure(Cstring const& why) {
    globalsFailure += Cstring(globalsFailure.empty() ? "" : "; ") + why;
}

// Why the data folder may not be written for the install folder's sake: it is, lies inside
// or holds the install folder (on real paths); empty when the two lie apart.
Cstring installFolderOverlap() {
    if (installDir.empty()) return Cstring();
    bool inside = realPathWithin(appDataDir.c_str(), installDir.c_str());
    bool holds = realPathWithin(installDir.c_str(), appDataDir.c_str());
    if (!inside && !holds) return Cstring();
    return Cstring("the data folder \"") + appDataDir + "\" " +
           (inside && holds ? "is"
            : inside        ? "lies inside"
                            : "holds") +
           " the install folder \"" + installDir +
           "\", whose files are never written: set VELMORA_DATA_DIR to a folder of its own outside it";
}

void settleLanguage() {
    if (languageCode.empty())
        languageCode =
            languageNum == -1 ? OS::getSystemLanguage() : Cstring(languageNumToLanguageCode(languageNum));
    languageNum = static_cast<short>(languageCodeToLanguageNumber(languageCode));
}

} // namespace

int compileDate = buildDate();

void checkResourceVersion() {
    intrinsicVersion = kIntrinsicVersion;
    OS::loadDownloadedComponents();
    if (modules.empty()) resourcesVersion = 0;
    needsAnUpdate = 0;
    if (intrinsicVersion < resourcesVersion) {
        masterLine("intrinsicVersion < resourcesVersion");
        OS::copyResourcesFromInstall();
        needsAnUpdate = 1;
    } else if (intrinsicVersion > resourcesVersion) {
        masterLine("intrinsicVersion > resourcesVersion");
        needsAnUpdate = 1;
    }
}

int initGlobals() {
    if (globalVariablesDir) return 0;
    auto* root = new CregistryHolderVar;
    root->setName("globals");
    root->flags |= VAR_NOT_DELETED_BY_PARENT;
    globalVariablesDir = root;

    globalsFailure = "";
    int failures = OS::getInstallDir(installDir, &globalsFailure);
    masterLine("installDir:", installDir);
    dataFolderReadOnly = "";
    resourceCopyGivenUp = "";
    fetchAppDataDir(appDataDir);
    if (appDataDir.empty()) {
        // Nothing is read or written without a data folder of the user's own.
        addFailure("no data folder: set VELMORA_DATA_DIR, XDG_DATA_HOME or HOME (this user has no home "
                   "folder in the environment or the password database)");
        return failures + 1;
    }
    // The installed files are never the data's: over them the aquarium runs, keeping nothing.
    Cstring overlap = installFolderOverlap();
    bool dataFolderMade = overlap.empty() && hostServices().makeFolders(appDataDir.c_str()) == 0;
    if (!overlap.empty()) {
        dataFolderReadOnly = overlap;
        VTRACE(1, dataFolderReadOnly);
    } else if (!dataFolderMade) {
        addFailure(Cstring("the data folder \"") + appDataDir +
                   "\" could not be made: " + (errno ? std::strerror(errno) : "unknown reason"));
        failures++;
    } else if (int refused = folderWriteError(appDataDir.c_str())) {
        // A read-only folder (a kiosk, a live session) is only read: the aquarium runs on.
        dataFolderReadOnly =
            Cstring("the data folder \"") + appDataDir + "\" cannot be written: " + std::strerror(refused);
        VTRACE(1, dataFolderReadOnly);
    }
    Cstring lockNote;
    if (dataFolderMade && dataFolderReadOnly.empty()) takeDataFolder(lockNote);
    openMasterOut();
    masterLine("appDataDir:", appDataDir);
    if (!lockNote.empty()) masterLine(lockNote.c_str());

    char const* temp = std::getenv("TEMP");
    tempDir = Cstring(temp ? temp : "") + "/";
    machineID = OS::buildMachineID();
    masterLine("mid=", machineID);

    root->registerString(appDataDir, "AppDataDir", 0);
    root->registerString(installDir, "InstallDir", 0);
    root->registerString(exitMsg, "exitMsg", 0);
    root->registerString(machineID, "mid", 0);
    root->registerShort(global_isPreview, "isPreview", 0);
    root->registerInt(compileDate, "compDt", 0);
    frame10Script = ":if (fileEx(\"[APD]msg.txt\")==1) { :loadScript \"[APD]msg.txt\" } ";
    // The marker is judged only by the run that keeps the data folder: another run's is alive.
    CleftRun left;
    if (mayWriteDataFolder()) left = readLeftRun("[APD]isRunning.txt", true);
    askAboutCrash = left.present ? 1 : 0;
    addScriptSearchPath(root, 1);
    root->registerString(currentScriptName, "currentScriptName", 0);
    root->addVariableX("currentScriptPath", CLASS_STRING);
    root->registerInt(resourcesVersion, "rscVer", 0);

    enterRunPhase("initGlobals", false);
    // What the run before left to mend goes before anything of the folder is read; then this
    // run's marker names it, so that a start that ends from here on costs only itself.
    Cstring suspect;
    bool startEnded = settleLeftRun(left, suspect);
    if (startEnded)
        masterLine("the last start ended before its first frame: the resource copy is made again "
                   "from the install folder");
    beginRunMarker(suspect);
    takeInLeftChanges(); // what runs that ended beside the last one left, before the files are read
    createRegistryAndRegisterVars(root);
    root->registerString(randomMachineID, "rmid", 1);
    root->registerString(webServerBase, "webServer", 1);
    OS::readRegistryVarsInto(root);
    // A run beside another writes the registry as that run leaves it, with its changes put in.
    if (dataFolderHeldElsewhere) {
        Cstring registry = OS::getRegistryFileName();
        keepTextBaseline(registry.c_str(), readKeptText(registry.c_str()), registryText(root));
    }
    settleMachineID();
    // A start that ended before its first frame may have ended on a file of the resource
    // copy (a script's ":exit0"): the copy is made again before any of it runs.
    if (startEnded) OS::copyResourcesFromInstall();
    checkResourceVersion();
    if (fileExists("[APD]_test.txt")) append_test_to_internet_calls = "_test";
    settleLanguage();

    allowOnline = 1;
    countryCode = OS::getCountry(true);
    VTRACE(1, "countryCode=" << countryCode);
    VTRACE(1, "countryName=" << OS::getCountry(false));
    if (aquaVersion != kAquaVersion) {
        aquaVersion = kAquaVersion;
        numRunsThisVersion = 0;
        minutesThisVersion = 0;
        VTRACE(1, "new version");
        OS::storeRegistryStuff();
    }
    countThisStart();
    return failures;
}

void freeGlobals() {
    masterLine("freeGlobals");
    // The process ending in the middle of its start (a script's ":exit0") leaves the marker
    // for the next start, which then renews the resource copy.
    if (!(processEndsAtOnce && startUnfinished())) clearCrashIndicatorFile();
    hostServices().unlockDataFolder();
    dataFolderHeldElsewhere = false;
    takeViewerNotes(); // the run's own: none is shown in a run after it
    forgetTextBaselines();
    forgetKeptFilesRefused();
    if (!globalVariablesDir) return;
    removeScriptSearchPath(globalVariablesDir);
    if (registries == globalVariablesDir) registries = nullptr;
    delete globalVariablesDir;
    globalVariablesDir = nullptr;
}
