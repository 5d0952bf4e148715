// Folders, the registry file and the installed resources.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>

#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
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

// Copies the folder from into to (made), what it holds with it; "" when done, else the
// first piece that failed and the system's reason.
std::string copyTree(fs::path const& from, fs::path const& to) {
    std::error_code error;
    fs::create_directories(to, error);
    if (error) return to.string() + ": " + error.message();
    auto options = fs::directory_options::follow_directory_symlink;
    for (fs::recursive_directory_iterator it(from, options, error), end; !error && it != end;
         it.increment(error)) {
        fs::path into = to / it->path().lexically_relative(from);
        std::string why;
        if (it->is_directory(error))
            fs::create_directory(into, error);
        else if (it->is_regular_file(error))
            why = copyResourceFile(it->path().c_str(), into.c_str());
        if (error) why = error.message();
        if (!why.empty()) return into.string() + ": " + why;
    }
    return error ? from.string() + ": " + error.message() : std::string();
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

int getInstallDir(Cstring& folder, Cstring* why) {
    Cstring looked;
    for (Cstring const& c : hostServices().installFolderCandidates()) {
        if (fileExists((c + "defaults.txt").c_str())) {
            folder = c;
            installDir = c;
            macContentsDir = c;
            return 0;
        }
        looked += Cstring(looked.empty() ? "" : " and ") + "\"" + c + "defaults.txt\"";
    }
    folder = "";
    if (why)
        *why = (looked.empty() ? Cstring("no install folder is known")
                               : Cstring("the installed resources are missing (looked for ") + looked + ")") +
               ": install the program again, or set VELMORA_INSTALL_DIR to the folder of its resources";
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
    // A damaged registry is set aside whole: none of its lines apply (runKeptScriptFile puts
    // the registry's values back), the options keep their defaults and the next store writes
    // a good file.
    if (runKeptScriptFile(target, path.c_str(), nullptr) == KEPT_FILE_SET_ASIDE)
        masterLine("registry damaged; options at their defaults");
    // A value the options sheet does not offer (a fish size of 100) is brought into its range.
    clampRegistryOptions();
    masterLine("read registries");
}

int storeRegistryStuff() {
    if (engineHooks.takeDataFolderWhenFree) engineHooks.takeDataFolderWhenFree();
    if (!dataFolderReadOnly.empty()) return 1;
    Cstring path = getRegistryFileName();
    VTRACE(2, "storing registry " << path);
    int failed = saveRegistryTree(globalVariablesDir, path.c_str());
    if (failed && globalVariablesDir && globalVariablesDir->firstChild)
        saySaveFailed(path.c_str(), lastWriteError.c_str(), "the options stay as the old file has them");
    else if (!failed)
        saySaveWorked(path.c_str());
    return failed;
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
    // The engine reads the install folder itself.
    if (!dataFolderReadOnly.empty() || !resourceCopyGivenUp.empty()) return;
    if (installDir.empty()) return; // the start fails already, naming where it looked
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
    // The engine works in the copy: it goes on in the new one.
    bool workingInCopy = fs::equivalent(fs::current_path(error), target, error);
    // What was changed in a whole copy outlives it; where it cannot be kept (a full disk) the
    // copy stays as it is, and the run reads the install folder.
    if (!keepChangedCopyFiles()) {
        giveUpResourceCopy("changed files of the copy could not be kept before it was made again", Cstring());
        return;
    }
    fs::remove_all(target, error);
    fs::create_directories(target, error);
    if (workingInCopy && chdir(target.c_str()) != 0) masterLine("couldn't enter the new copy");
    bool copied = true, pieceMissing = false;
    Cstring failure; // the first piece that could not be written, with the system's reason
    if (error) failure = Cstring("\"") + target.c_str() + "\" could not be made: " + error.message().c_str();
    for (char const* name : {"global", "species", "tanks"}) {
        fs::path from = fs::path(installDir.c_str()) / name;
        // A piece the install folder lacks is its own fault; one it has must reach the copy.
        std::string why = fs::is_directory(from, error) ? copyTree(from, target / name) : "not installed";
        if (why.empty()) continue;
        masterLine("copy failed: ", Cstring(name) + " " + why.c_str());
        if (failure.empty() && why != "not installed")
            failure =
                Cstring("copying \"") + name + "\" into \"" + target.c_str() + "/\" failed: " + why.c_str();
        copied = false;
        pieceMissing = pieceMissing || why == "not installed";
    }
    // The stamp says which tree the copy is; a failed copy keeps none, so it is tried again.
    // The components record goes with the tree: without it every later start would take the
    // copy for an old one and neither read nor save the settings.
    for (char const* record : {kResourceStamp, kComponentsRecord}) {
        fs::path from = fs::path(installDir.c_str()) / record;
        if (!copied || !fs::exists(from, error)) continue;
        std::string why = copyResourceFile(from.c_str(), (target / record).c_str());
        if (!why.empty() && failure.empty())
            failure =
                Cstring("copying \"") + record + "\" into \"" + target.c_str() + "/\" failed: " + why.c_str();
    }
    if (!failure.empty() && !pieceMissing) {
        // The copy could not be written (a full disk): the run goes on from the install folder.
        giveUpResourceCopy(failure, target.c_str());
    } else if (!failure.empty() ||
               !fileExists((appDataDir + "Resources/global/arrays/noise50.chan").c_str())) {
        masterLine("moveit! ", installDir + " -> " + appDataDir + "Resources/");
        // Where the copy failed and why (a full disk), not the first resource found missing.
        Cstring message = "couldn't locate resources!";
        if (!failure.empty()) message += Cstring(" (") + failure + ")";
        setExitError(message.c_str(), 1);
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

Cstring resourceFolder() {
    return dataFolderReadOnly.empty() && resourceCopyGivenUp.empty() ? appDataDir + "Resources/" : installDir;
}

int loadDownloadedComponents() {
    Cstring path = resourceFolder() + kComponentsRecord;
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
