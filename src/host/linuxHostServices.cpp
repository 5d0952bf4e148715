#include "host/linuxHostServices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <pwd.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/imageDecode.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"

#ifndef VELMORA_DEFAULT_INSTALL_DIR
#define VELMORA_DEFAULT_INSTALL_DIR ""
#endif

extern char** environ;

namespace {

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

Cstring withSlash(char const* folder) {
    Cstring out(folder);
    if (out.size() && out.c_str()[out.size() - 1] != '/') out += '/';
    return out;
}

char const* environment(char const* name) {
    char const* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

ChostServices& platformHostServices() {
    static ClinuxHostServices platform;
    return platform;
}

int ClinuxHostServices::writeFile(char const* path, char const* bytes, int size) {
    if (path == nullptr || size < 0) return 1;
    return createDiskFile(path, bytes, size);
}

int ClinuxHostServices::makeFolders(char const* path) {
    if (path == nullptr || *path == 0) return 1;
    errno = 0;
    createDirectories(path, 0);
    int reason = errno; // why a folder could not be made
    // Success is the folder being there, whether made now or before.
    if (isFolder(replaceCommonPathKeyword(path))) return 0;
    errno = reason ? reason : ENOENT;
    return 1;
}

int ClinuxHostServices::renameFile(char const* from, char const* to) {
    return ::renameFile(from, to);
}

int ClinuxHostServices::deleteFile(char const* path) {
    return ::deleteFile(path);
}

int ClinuxHostServices::moveFile(char const* from, char const* to) {
    return std::rename(from, to) == 0 ? 0 : 1;
}

namespace {
// The open folder whose lock this process holds, whichever services object took it.
int dataFolderLock = -1;
// A folder that cannot be locked, held open all the same for the run: another run sees it
// among this process's open files, which is how it tells a run of this folder (processRuns).
int dataFolderSeen = -1;
} // namespace

int ClinuxHostServices::lockDataFolder(char const* folder) {
    if (dataFolderLock >= 0) return 0;
    // The folder itself carries the lock: there is no lock file to plant or to leave behind.
    // Not inherited by the programs the run starts, which would hold it past its end.
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int why = errno;
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
        dataFolderLock = fd;
        return 0;
    }
    if (fd >= 0) why = errno;
    if (why == EWOULDBLOCK) {
        close(fd);
        errno = why;
        return 1;
    }
    // No lock to be had (no read permission, a file system without locks).
    if (dataFolderSeen < 0)
        dataFolderSeen = fd >= 0 ? fd : open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
    else if (fd >= 0)
        close(fd);
    errno = why; // the reason a folder cannot be locked
    return -1;
}

void ClinuxHostServices::unlockDataFolder() {
    for (int* fd : {&dataFolderLock, &dataFolderSeen}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

namespace {
// A process's state letter and start time (clock ticks since boot) from /proc; false when
// there is no such process.
bool processStat(long pid, char& state, unsigned long long& started) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(in, text)) return false;
    // The name in parentheses may hold anything: the fields follow its last ')'.
    size_t close = text.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream fields(text.substr(close + 1));
    std::string field;
    fields >> state;
    for (int n = 4; n < 22 && fields >> field; n++) {
    }
    return static_cast<bool>(fields >> started);
}

std::string bootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

// Whether the process holds the folder open (a run of it holds it for its whole life). The
// open folder is followed, not its path: a process of another mount namespace (a container)
// may have it by another.
bool holdsFolderOpen(long pid, char const* folder) {
    struct stat wanted {};
    if (stat(folder, &wanted) != 0) return false;
    std::error_code error;
    std::filesystem::path fds = "/proc/" + std::to_string(pid) + "/fd";
    for (std::filesystem::directory_iterator it(fds, error), end; !error && it != end; it.increment(error)) {
        struct stat open {};
        if (stat(it->path().c_str(), &open) == 0 && open.st_dev == wanted.st_dev &&
            open.st_ino == wanted.st_ino)
            return true;
    }
    return false;
}

// The PID namespace of a process ("self": this one) as the number of its node; 0 unknown.
unsigned long long pidSpace(std::string const& process) {
    struct stat space {};
    return stat(("/proc/" + process + "/ns/pid").c_str(), &space) == 0 ? space.st_ino : 0;
}

// The machine's first PID namespace, its init's: every process of the machine is seen from it.
constexpr unsigned long long kFirstPidSpace = 0xEFFFFFFCu;

// The number by which this process sees process pid of PID namespace space (its number there
// is the last its status gives); 0 when it sees no such process.
long seenNumber(long pid, unsigned long long space) {
    std::error_code error;
    for (std::filesystem::directory_iterator it("/proc", error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos ||
            pidSpace(name) != space)
            continue;
        std::ifstream status("/proc/" + name + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.compare(0, 6, "NSpid:") == 0) {
                if (std::atol(line.c_str() + line.find_last_of(" \t") + 1) == pid)
                    return std::atol(name.c_str());
                break;
            }
    }
    return 0;
}
} // namespace

Cstring ClinuxHostServices::processIdentity() {
    char state = 0;
    unsigned long long started = 0;
    std::string boot = bootId();
    if (!processStat(getpid(), state, started) || boot.empty()) return Cstring();
    std::string identity = std::to_string(getpid()) + " " + std::to_string(started) + " " + boot;
    // Its number is its PID namespace's: a process of another (a container) sees it by another.
    if (unsigned long long space = pidSpace("self")) identity += " " + std::to_string(space);
    return Cstring(identity.c_str());
}

int ClinuxHostServices::processRuns(Cstring const& identity, char const* folder) {
    std::istringstream in(identity.c_str());
    long pid = 0;
    unsigned long long started = 0, space = 0;
    std::string boot;
    if (!(in >> pid >> started >> boot) || pid <= 0) return -1;
    // An identity of an older build names no PID namespace: it is read as one of this one's.
    if (!(in >> space)) space = 0;
    std::string now = bootId();
    // Another machine's run (a shared folder), or one from before this machine started:
    // nothing here can tell whether it goes on.
    if (now.empty() || boot != now) return -1;
    unsigned long long here = pidSpace("self");
    if (space != 0 && here != 0 && space != here) {
        // A run of another PID namespace is judged by the number this process sees it by. The
        // machine's first namespace sees every process: one it does not see is gone. From
        // another, a run not seen may go on outside it, and is taken to (its data come first).
        pid = seenNumber(pid, space);
        if (pid == 0) return here == kFirstPidSpace ? 0 : 1;
    }
    char state = 0;
    unsigned long long startedNow = 0;
    if (!processStat(pid, state, startedNow)) return 0;
    // Another process that took the number since, or one that died and waits to be reaped.
    if (startedNow != started || state == 'Z' || state == 'X') return 0;
    // A live process is a run of the folder only when it holds the folder open: any other
    // process a marker names (a marker is data, and may name any) is none.
    return folder == nullptr || holdsFolderOpen(pid, folder) ? 1 : 0;
}

Cstring homeFolder() {
    char const* home = environment("HOME");
    if (home && home[0] == '/') return withSlash(home);
    // The user's own entry, never a shared folder another user could have prepared.
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return withSlash(found->pw_dir);
    return Cstring();
}

Cstring ClinuxHostServices::dataFolder() {
    if (char const* own = environment("VELMORA_DATA_DIR")) {
        namespace fs = std::filesystem;
        // The program's own variable may name a folder from where it was started: the
        // working folder changes during the start, so it is made absolute once, here.
        char cwd[4096];
        if (own[0] != '/' && getcwd(cwd, sizeof cwd) == nullptr) return Cstring();
        fs::path folder = own[0] == '/' ? fs::path(own) : fs::path(cwd) / own;
        // Resolved before any folder is made: "x/.." would make a folder x nobody uses.
        std::error_code error;
        fs::path resolved = fs::weakly_canonical(folder, error);
        return withSlash((error ? folder.lexically_normal() : resolved).c_str());
    }
    // A relative XDG_DATA_HOME is invalid by the XDG rules and is ignored.
    if (char const* xdg = environment("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return withSlash(xdg) + "velmora/";
    Cstring home = homeFolder();
    return home.empty() ? home : home + ".local/share/velmora/";
}

std::vector<Cstring> ClinuxHostServices::installFolderCandidates() {
    std::vector<Cstring> candidates;
    // The folder named is the one looked in: never another tree that happens to be there.
    if (char const* own = environment("VELMORA_INSTALL_DIR"))
        candidates.push_back(withSlash(own));
    else if (*VELMORA_DEFAULT_INSTALL_DIR)
        candidates.push_back(withSlash(VELMORA_DEFAULT_INSTALL_DIR));
    return candidates;
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

int ClinuxHostServices::openFolder(char const* folder, char const* note) {
    if (folder == nullptr || *folder == 0) return 1;
    // As one argument, never through a shell; the run goes on while the opener works (a file
    // manager it starts may keep it until that closes).
    char const* argv[] = {"xdg-open", folder, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
        VTRACE(1, "openFolder " << folder << ": xdg-open cannot be started");
        return 1;
    }
    openers.push_back({pid, note ? note : ""});
    return 0;
}

void ClinuxHostServices::startFileDownload(char const* url, char const* file, bool showProgress) {
    if (engineHooks.startFileDownload) return engineHooks.startFileDownload(url, file, showProgress);
    VTRACE(1, "download not available: " << (url ? url : "") << " -> " << (file ? file : ""));
    if (masterOut.is_open()) masterOut << "download not available" << std::endl;
}

void ClinuxHostServices::openProgress(char const* message) {
    if (!progressOpen) progressPercent = 0;
    progressOpen = true;
    VTRACE(1, "progress: " << (message ? message : ""));
}

void ClinuxHostServices::closeProgress() {
    progressOpen = false;
}

void ClinuxHostServices::setProgressPercent(float percent) {
    progressPercent = percent;
}

void ClinuxHostServices::setProgressMessage(char const* message) {
    VTRACE(1, "progress: " << (message ? message : ""));
}

int ClinuxHostServices::startHTTPrequestThread(Cstring const& path, bool verbalise, int type,
                                               char const* extra) {
    if (engineHooks.startHTTPrequestThread)
        return engineHooks.startHTTPrequestThread(path, verbalise, type, extra);
    VTRACE(1, "web request not available: " << path << " type=" << type);
    return HTTP_REQUEST_UNAVAILABLE;
}

int ClinuxHostServices::makeHTTPrequestAndRunScript(Cstring const& path, bool verbalise, int type,
                                                    char const* extra) {
    if (engineHooks.makeHTTPrequestAndRunScript)
        return engineHooks.makeHTTPrequestAndRunScript(path, verbalise, type, extra);
    VTRACE(1, "web request not available: " << path << " type=" << type);
    return HTTP_REQUEST_UNAVAILABLE;
}

int ClinuxHostServices::showMessageBox(Cstring const& text, Cstring const& info,
                                       std::vector<Cstring> const& buttons) {
    // No window system: the message is told on stderr and the first button stands.
    std::cerr << "Velmora: " << text;
    if (!info.empty()) std::cerr << ": " << info;
    for (size_t b = 0; b < buttons.size(); b++)
        std::cerr << (b == 0 ? " [" : " | ") << buttons[b];
    std::cerr << "]" << std::endl;
    return 0;
}

int ClinuxHostServices::decodePicture(imageFile& image, char const* path) {
    return decodePictureFile(image, path);
}

CsheetWindow* ClinuxHostServices::makeSheetWindow(CsheetActions&) {
    return nullptr; // no window system
}

int ClinuxHostServices::openMasterLog(char const* path) {
    masterOut.clear();
    // At its end: the file was emptied when it was made the program's own.
    masterOut.open(path, std::ios::out | std::ios::app);
    return masterOut.is_open() ? 0 : 1;
}

void ClinuxHostServices::setPriority(int) {
    // The saver keeps the priority it was started with: a lowered one could not be raised again.
}

int64_t ClinuxHostServices::now() {
    return static_cast<int64_t>(std::time(nullptr));
}

Cstring readMachineIdFile(char const* path) {
    std::ifstream in(path);
    std::string line;
    if (!in.is_open() || !std::getline(in, line)) return Cstring();
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return Cstring();
    size_t last = line.find_last_not_of(" \t\r");
    return Cstring(line.substr(first, last - first + 1).c_str());
}

Cstring ClinuxHostServices::platformId() {
    return readMachineIdFile("/etc/machine-id");
}

Cstring ClinuxHostServices::systemVersionText() {
    struct utsname names;
    if (uname(&names) != 0) return Cstring();
    return Cstring(names.sysname) + " " + names.release;
}

std::vector<Cstring> ClinuxHostServices::preferredLocales() {
    std::vector<Cstring> locales;
    for (char const* name : {"LC_ALL", "LANG"})
        if (char const* value = environment(name)) locales.push_back(value);
    return locales;
}

bool ClinuxHostServices::beginFileRequest(char const* folder, void (*done)(void*, char const*),
                                          void* context) {
    if (fileRequestDone) return false;
    VTRACE(1, "file chooser asked for, starting in " << (folder ? folder : ""));
    fileRequestDone = done;
    fileRequestContext = context;
    return true;
}

void ClinuxHostServices::frameTick() {
    for (size_t i = 0; i < openers.size();) {
        int status = 0;
        pid_t ended = waitpid(openers[i].pid, &status, WNOHANG);
        if (ended == 0 || (ended < 0 && errno == EINTR)) {
            i++;
            continue;
        }
        // Gone without a status (reaped elsewhere): nothing is known of it.
        if (ended > 0 && (!WIFEXITED(status) || WEXITSTATUS(status) != 0)) {
            VTRACE(1, "the folder opener failed (status " << status << ")");
            if (masterOut.is_open()) masterOut << "the folder opener failed" << std::endl;
            if (!openers[i].note.empty()) setMessage(openers[i].note.c_str());
        }
        openers.erase(openers.begin() + static_cast<long>(i));
    }
    if (fileRequestDone == nullptr) return;
    // Cleared first: the answer may ask for the next chooser.
    auto done = fileRequestDone;
    void* context = fileRequestContext;
    fileRequestDone = nullptr;
    fileRequestContext = nullptr;
    done(context, nullptr);
}
