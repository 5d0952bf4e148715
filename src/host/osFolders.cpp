// Folders, the registry file and the installed resources.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "variables/variable.h"

namespace fs = std::filesystem;

namespace {

void masterLine(char const* a, Cstring const& b = Cstring()) {
    if (masterOut.is_open()) masterOut << a << b << std::endl;
}

// True when path is a proper part of folder (after resolving "." and ".." by name).
// The first line of a resource tree's stamp; empty when there is none.
std::string readStamp(fs::path const& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

bool inside(fs::path const& path, fs::path const& folder) {
    fs::path p = path.lexically_normal();
    fs::path f = folder.lexically_normal();
    auto [fEnd, pIt] = std::mismatch(f.begin(), f.end(), p.begin(), p.end());
    // A trailing separator leaves an empty last element in the folder.
    bool folderUsedUp = fEnd == f.end() || (fEnd->empty() && std::next(fEnd) == f.end());
    return f.is_absolute() && folderUsedUp && pIt != p.end();
}

} // namespace

namespace OS {

int getInstallDir(Cstring& folder) {
    for (Cstring const& c : hostServices().installFolderCandidates()) {
        if (fileExists((c + "defaults.txt").c_str())) {
            folder = c;
            installDir = c;
            macContentsDir = c;
            return 0;
        }
    }
    folder = "";
    return 1;
}

Cstring getSettingsFileName() {
    return appDataDir + "settings.txt";
}

Cstring getRegistryFileName() {
    return appDataDir + "registry.txt";
}

void readRegistryVarsInto(Cvariable* target) {
    Cstring path = getRegistryFileName();
    // A damaged registry is set aside whole: none of its lines apply, the options keep their
    // defaults and the next store writes a good file.
    CregistryValues defaults(target);
    if (runKeptScriptFile(target, path.c_str(), nullptr) == KEPT_FILE_SET_ASIDE) {
        defaults.restore();
        masterLine("registry damaged; options at their defaults");
    }
    // A value the options sheet does not offer (a fish size of 100) is brought into its range.
    clampRegistryOptions();
    masterLine("read registries");
}

int storeRegistryStuff() {
    Cstring path = getRegistryFileName();
    VTRACE(2, "storing registry " << path);
    return saveRegistryTree(globalVariablesDir, path.c_str());
}

int _revertToDefaults(Cstring file) {
    masterLine("revertToDefaults");
    VTRACE(1, "*********revertToDefaults");
    ::deleteFile(file.c_str());
    return 0;
}

int CDtoDirectory(char const* folder) {
    int result = folder ? chdir(replaceCommonPathKeyword(folder).c_str()) : -1;
    if (masterOut.is_open())
        masterOut << "CDtoDirectory " << (folder ? folder : "") << " " << result << std::endl;
    return result;
}

void copyResourcesFromInstall() {
    masterLine("COPY RESOURCES FROM INSTALL");
    if (installDir.size() < 11 || appDataDir.size() < 11) {
        // Too short a folder name is never trusted with a removal: nothing is copied. Without
        // a copy from before, the start cannot go on, and says why.
        bool dataShort = appDataDir.size() < 11;
        Cstring reason = Cstring(dataShort ? "the data folder \"" : "the install folder \"") +
                         (dataShort ? appDataDir : installDir) +
                         "\" is too short to be used (at least 11 characters)";
        masterLine("copy skipped: ", reason);
        VTRACE(1, "copy skipped: " << reason);
        if (!fileExists((appDataDir + "Resources/global/arrays/noise50.chan").c_str()))
            setExitError(reason.c_str(), 1);
        return;
    }
    fs::path data(appDataDir.c_str());
    fs::path target = data / "Resources";
    // Only ever a folder inside the data folder is replaced.
    if (!inside(target, data)) return;
    std::error_code error;
    fs::remove_all(target, error);
    fs::create_directories(target, error);
    bool copied = true;
    for (char const* name : {"global", "species", "tanks"}) {
        fs::copy(fs::path(installDir.c_str()) / name, target / name,
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing, error);
        if (error) masterLine("copy failed: ", Cstring(name) + " " + error.message().c_str());
        copied = copied && !error;
    }
    // The stamp says which tree the copy is; a failed copy keeps none, so it is tried again.
    // The components record goes with the tree: without it every later start would take the
    // copy for an old one and neither read nor save the settings.
    for (char const* record : {kResourceStamp, kComponentsRecord}) {
        fs::path from = fs::path(installDir.c_str()) / record;
        if (copied && fs::exists(from, error))
            fs::copy_file(from, target / record, fs::copy_options::overwrite_existing, error);
    }
    if (!fileExists((appDataDir + "Resources/global/arrays/noise50.chan").c_str())) {
        masterLine("moveit! ", installDir + " -> " + appDataDir + "Resources/");
        setExitError("couldn't locate resources!", 1);
    }
    modules = "";
    countdownToSendExtraHttpString = 1;
}

bool installedResourcesChanged() {
    if (installDir.size() < 11 || appDataDir.size() < 11) return false;
    std::string installed = readStamp(fs::path(installDir.c_str()) / kResourceStamp);
    if (installed.empty()) return false;
    fs::path copy = fs::path(appDataDir.c_str()) / "Resources";
    // A copy made before the components record went along with it is made again.
    std::error_code error;
    if (fs::exists(fs::path(installDir.c_str()) / kComponentsRecord, error) &&
        !fs::exists(copy / kComponentsRecord, error))
        return true;
    return installed != readStamp(copy / kResourceStamp);
}

int loadDownloadedComponents() {
    Cstring path = appDataDir + "Resources/" + kComponentsRecord;
    if (globalVariablesDir && fileExists(path.c_str())) runDiskScript(globalVariablesDir, path.c_str());
    return 0;
}

void writeInstalledComponentsStatus() {
    if (modules.empty() || globalVariablesDir == nullptr) return;
    std::ofstream out;
    if (!file_open(out, appDataDir + "Resources/" + kComponentsRecord, 0)) return;
    for (char const* name : {"modules", "updateDate", "rscVer"})
        if (Cvariable* v = globalVariablesDir->findVariable(name)) {
            v->writeSaveString(out);
            out << '\n';
        }
    file_close(out);
}

int fileRequest(Cstring&) {
    VTRACE(1, "*********fileRequest");
    return 0;
}

void ShellExec(char const*, char const*, char const*, char const*) {
    VTRACE(1, "*********ShellExec");
}

} // namespace OS
