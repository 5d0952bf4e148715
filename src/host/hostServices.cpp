#include "host/hostServices.h"

#include <cerrno>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/variable.h"

extern char** environ;

ChostServices::~ChostServices() = default;

namespace {

ClinuxHostServices platformServices;
ChostServices* currentServices = &platformServices;

bool isFolder(Cstring const& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Runs argv[0] found on the PATH and waits for it; the exit status or -1.
int spawnAndWait(char const* const argv[]) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

ChostServices& hostServices() {
    return *currentServices;
}

void setHostServices(ChostServices* services) {
    currentServices = services ? services : &platformServices;
}

// ---- Linux platform ----

int ClinuxHostServices::writeFile(char const* path, char const* bytes, int size) {
    if (path == nullptr || size < 0) return 1;
    return createDiskFile(path, bytes, size);
}

int ClinuxHostServices::makeFolders(char const* path) {
    if (path == nullptr || *path == 0) return 1;
    createDirectories(path, 0);
    // Success is the folder being there, whether made now or before.
    return isFolder(replaceCommonPathKeyword(path)) ? 0 : 1;
}

int ClinuxHostServices::renameFile(char const* from, char const* to) {
    return ::renameFile(from, to);
}

int ClinuxHostServices::deleteFile(char const* path) {
    return ::deleteFile(path);
}

int ClinuxHostServices::shellCommand(char const* command) {
    Cstring expanded = replaceCommonPathKeyword(command ? command : "");
    char const* argv[] = {"/bin/sh", "-c", expanded.c_str(), nullptr};
    int status = spawnAndWait(argv);
    if (masterOut.is_open()) masterOut << "shell result=" << status << std::endl;
    return status;
}

void ClinuxHostServices::showInternetPage(char const* url) {
    if (url == nullptr || *url == 0) return;
    // The address goes to the opener as one argument, never through a shell.
    char const* argv[] = {"xdg-open", url, nullptr};
    int status = spawnAndWait(argv);
    VTRACE(1, "showInternetPage " << url << " status=" << status);
}

void ClinuxHostServices::startFileDownload(char const* url, char const* file, bool) {
    VTRACE(1, "download not available: " << (url ? url : "") << " -> " << (file ? file : ""));
    if (masterOut.is_open()) masterOut << "download not available" << std::endl;
}

void ClinuxHostServices::openProgress(char const* message) {
    progressOpen = true;
    progressPercent = 0;
    VTRACE(1, "progress: " << (message ? message : ""));
}

void ClinuxHostServices::closeProgress() {
    progressOpen = false;
}

void ClinuxHostServices::setProgressPercent(float percent) {
    progressPercent = percent;
}

int ClinuxHostServices::startHTTPrequestThread(Cstring const& path, bool, int type, char const*) {
    VTRACE(1, "web request not available: " << path << " type=" << type);
    return HTTP_REQUEST_UNAVAILABLE;
}

int ClinuxHostServices::makeHTTPrequestAndRunScript(Cstring const& path, bool, int type, char const*) {
    VTRACE(1, "web request not available: " << path << " type=" << type);
    return HTTP_REQUEST_UNAVAILABLE;
}

int ClinuxHostServices::storeRegistry() {
    if (globalVariablesDir == nullptr || globalVariablesDir->firstChild == nullptr) return 1;
    Cstring path = appDataDir + "registry.txt";
    // The root is saved only for this write; its flag must not leak into other saves.
    globalVariablesDir->setSave(1);
    int result = globalVariablesDir->firstChild->saveSettings(path.c_str(), true, false);
    globalVariablesDir->setSave(0);
    return result;
}

// ---- the names the engine calls ----

namespace OS {
int shellCommand(char const* command) {
    return hostServices().shellCommand(command);
}
void showInternetPage(char const* url) {
    hostServices().showInternetPage(url);
}
void startFileDownload(char const* url, char const* file, bool showProgress) {
    hostServices().startFileDownload(url, file, showProgress);
}
void openProgress(char const* message) {
    hostServices().openProgress(message);
}
void closeProgress() {
    hostServices().closeProgress();
}
void setProgressPercent(float percent) {
    hostServices().setProgressPercent(percent);
}
int storeRegistryStuff() {
    return hostServices().storeRegistry();
}
} // namespace OS

int startHTTPrequestThread(Cstring path, bool reportErrors, int type, char const* extra) {
    return hostServices().startHTTPrequestThread(path, reportErrors, type, extra);
}

int MakeHTTPrequestAndRunScript(Cstring path, bool reportErrors, int type, char const* extra) {
    return hostServices().makeHTTPrequestAndRunScript(path, reportErrors, type, extra);
}
