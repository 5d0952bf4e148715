#include "support/resourceCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"

uint8_t resourceCopyAskedBack = 0;
int runningScriptSource = -1;
int parsingScriptSource = -1;
Cstring runMarkerPath;
Cstring ownRunMarker;
CfaultNote faultNote;
std::vector<CscriptSource> scriptSources;

namespace fs = std::filesystem;

namespace {

CcopyLoad* currentLoad = nullptr;
Cstring fileNotHad;       // why the file layer could not give the file it needed last ("" none)
Cstring lastFileRead;     // the file it opened last, for a failure of memory
unsigned loadsBlamed = 0; // the loads that ended the start naming a file
// Every file of the copy this start read (whole paths, at most a few thousand).
std::vector<Cstring> copyFilesRead;

// The path inside the copy ("tanks/x/x.tank"), or false when path leads elsewhere.
bool partOfCopy(char const* path, std::string& part) {
    if (path == nullptr || appDataDir.empty()) return false;
    // A path relative to the working folder (the engine works in the copy) is judged by
    // where it leads.
    Cstring full = replaceCommonPathKeyword(path);
    std::error_code error;
    std::string found = fs::absolute(full.c_str(), error).lexically_normal().string();
    std::string copy = std::string(appDataDir.c_str()) + "Resources/";
    if (error || found.size() <= copy.size() || found.compare(0, copy.size(), copy) != 0) return false;
    part = found.substr(copy.size());
    return true;
}

std::string firstLine(fs::path const& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Path made relative to the data folder when it lies inside it and outside the copy.
bool ownDataFileName(char const* path, std::string& name) {
    if (path == nullptr || appDataDir.empty()) return false;
    std::error_code error;
    std::string whole =
        fs::absolute(replaceCommonPathKeyword(path).c_str(), error).lexically_normal().string();
    std::string folder = appDataDir.c_str();
    if (error || whole.size() <= folder.size() || whole.compare(0, folder.size(), folder) != 0) return false;
    name = whole.substr(folder.size());
    return name.compare(0, 10, "Resources/") != 0;
}

// The copy is the installed tree's (the host writes the stamp with the copy).
bool copyIsWhole() {
    std::string installed = firstLine(fs::path(installDir.c_str()) / "resources.stamp");
    return !installed.empty() &&
           installed == firstLine(fs::path(appDataDir.c_str()) / "Resources/resources.stamp");
}

long plainFileSize(char const* path) {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return static_cast<long>(st.st_size);
}

bool sameBytes(char const* a, char const* b) {
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    if (!x || !y) return false;
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(),
                      std::istreambuf_iterator<char>(y), std::istreambuf_iterator<char>());
}

void logRenewal(Cstring const& copy, char const* why) {
    VTRACE(1, "resource copy: " << copy << " " << why << "; copied again from the install folder");
    if (masterOut.is_open())
        masterOut << "resource copy: " << copy << " " << why << "; copied again from the install folder"
                  << std::endl;
}

// Puts the installed file in the copy's place (whatever stands there goes, a changed file
// kept first); "" when done, else the system's reason.
std::string copyAgain(Cstring const& copy, Cstring const& installed, char const* why) {
    if (!mayWriteDataFolder()) return "the data folder is not this run's to write";
    if (!resourceCopyGivenUp.empty()) return std::string(); // the installed file is read in its place
    if (writeRefused(copy.c_str(), false)) return "it leads into the install folder";
    // An edit that cannot be kept (a full disk) stays where it is: the run reads the installed
    // file in its place.
    if (!keepChangedCopyFile(copy.c_str())) {
        giveUpResourceCopy(
            Cstring("the changed file \"") + copy + "\" could not be kept before it was replaced", Cstring());
        return std::string();
    }
    std::error_code error;
    fs::path target(copy.c_str());
    fs::remove_all(target, error);
    std::string removeFailed = error ? error.message() : std::string();
    fs::create_directories(target.parent_path(), error);
    std::string failed = error ? error.message() : copyResourceFile(installed.c_str(), copy.c_str());
    if (!failed.empty()) {
        // What stood in the way says more than the copy that then failed.
        std::string reason = removeFailed.empty() ? failed : removeFailed;
        VTRACE(1, "resource copy: " << copy << " could not be copied again: " << reason.c_str());
        // A file that cannot be written (a full disk) gives the copy up: the run reads the
        // installed file in its place. One that cannot be replaced (locked) is named.
        if (!removeFailed.empty() || !std::ifstream(installed.c_str()).good()) return reason;
        giveUpResourceCopy(
            Cstring("copying \"") + installed + "\" to \"" + copy + "\" failed: " + reason.c_str(), copy);
        return std::string();
    }
    logRenewal(copy, why);
    return std::string();
}

// The copy's file for path (expanded, made absolute), or empty when path is no file of it.
Cstring copyFileOf(char const* path, std::string& part) {
    if (!partOfCopy(path, part)) return Cstring();
    return appDataDir + "Resources/" + part.c_str();
}

} // namespace

bool pathInResourceCopy(char const* path) {
    std::string part;
    return partOfCopy(path, part);
}

Cstring installedResource(char const* path) {
    std::string part;
    if (installDir.empty() || !partOfCopy(path, part)) return Cstring();
    // Only the folders the host copies; anything else in the copy came from elsewhere.
    for (char const* folder : {"global/", "species/", "tanks/"})
        if (part.compare(0, std::strlen(folder), folder) == 0)
            return copyIsWhole() ? installDir + part.c_str() : Cstring();
    return Cstring();
}

Cstring resourceCopyIdentity() {
    struct stat st;
    if (appDataDir.empty() || stat((appDataDir + "Resources/resources.stamp").c_str(), &st) != 0)
        return Cstring();
    return Cstring((std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
                    std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec))
                       .c_str());
}

void askForResourceCopyBack() {
    if (engineHooks.restoreResourceTree == nullptr) return;
    engineHooks.restoreResourceTree();
    resourceCopyAskedBack = 1;
}

std::string copyResourceFile(char const* from, char const* to) {
    int in = open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return std::strerror(errno);
    int out = open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) {
        std::string why = std::strerror(errno);
        close(in);
        return why;
    }
    std::string why;
    char buffer[65536];
    while (why.empty()) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) why = std::strerror(errno);
        if (n <= 0) break;
        for (ssize_t done = 0; done < n && why.empty();) {
            ssize_t w = write(out, buffer + done, size_t(n - done));
            if (w < 0 && errno != EINTR) why = std::strerror(errno);
            if (w > 0) done += w;
        }
    }
    if (close(out) != 0 && why.empty()) why = std::strerror(errno);
    close(in);
    return why;
}

void giveUpResourceCopy(Cstring const& why, Cstring const& made) {
    if (!resourceCopyGivenUp.empty() || appDataDir.empty() || installDir.empty()) return;
    fs::path copy = fs::path(appDataDir.c_str()) / "Resources";
    std::error_code error;
    bool workingInCopy = fs::equivalent(fs::current_path(error), copy, error);
    // Only ever what lies in the copy: never the kept edits beside it, nor the user's files.
    std::string part;
    if (made == appDataDir + "Resources" || partOfCopy(made.c_str(), part))
        fs::remove_all(made.c_str(), error);
    if (workingInCopy && chdir(installDir.c_str()) != 0) VTRACE(1, "couldn't enter the install folder");
    resourceCopyGivenUp = why;
    Cstring said = Cstring("the resource copy in \"") + appDataDir + "Resources/\" could not be written (" +
                   why + "): this run reads the installed resources in \"" + installDir +
                   "\" and keeps its settings as always; the next start with room for it makes the copy";
    VTRACE(1, said);
    if (masterOut.is_open()) masterOut << said << std::endl;
    std::fprintf(stderr, "velmora: %s\n", said.c_str());
}

void mendResourceCopyFile(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (copy.empty()) return;
    long size = plainFileSize(copy.c_str());
    bool unreadable = size > 0 && access(copy.c_str(), R_OK) != 0;
    if (size > 0 && !unreadable) return; // the usual case
    Cstring installed = installedResource(copy.c_str());
    if (installed.empty() || plainFileSize(installed.c_str()) <= 0) return;
    // A file that cannot be read gives way only to one that can.
    if (unreadable && access(installed.c_str(), R_OK) != 0) return;
    struct stat st;
    bool there = lstat(copy.c_str(), &st) == 0;
    // One that cannot be written fails its load, which names it.
    copyAgain(copy, installed,
              !there       ? "is missing"
              : size < 0   ? "is no plain file"
              : unreadable ? "cannot be read"
                           : "is empty");
}

bool dropFileNotInstalled(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    struct stat st;
    if (copy.empty() || lstat(copy.c_str(), &st) != 0 || installDir.empty() || !copyIsWhole()) return false;
    // A file failed, so a file goes: never a folder of the copy (a module's whole tree).
    if (S_ISDIR(st.st_mode)) return false;
    bool copiedFolder = false;
    for (char const* folder : {"global/", "species/", "tanks/"})
        copiedFolder = copiedFolder || part.compare(0, std::strlen(folder), folder) == 0;
    if (copiedFolder && lstat((installDir + part.c_str()).c_str(), &st) == 0) return false;
    if (!mayWriteDataFolder() || writeRefused(copy.c_str(), false) || !keepChangedCopyFile(copy.c_str()))
        return false;
    std::error_code error;
    fs::remove_all(copy.c_str(), error);
    if (error) {
        VTRACE(1, "resource copy: " << copy << " could not be removed: " << error.message().c_str());
        return false;
    }
    VTRACE(1, "resource copy: " << copy << " fails to load and is not installed; removed");
    if (masterOut.is_open())
        masterOut << "resource copy: " << copy << " fails to load and is not installed; removed" << std::endl;
    return true;
}

void noteResourceRead(char const* path) {
    lastFileRead = path;
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (copy.empty()) return;
    if (currentLoad != nullptr) currentLoad->note(copy);
    for (Cstring const& known : copyFilesRead)
        if (known == copy) return;
    if (copyFilesRead.size() < 4096) copyFilesRead.push_back(copy);
}

bool failsAsInstalled(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (copy.empty()) return true;
    Cstring installed = installedResource(copy.c_str());
    return !installed.empty() && sameBytes(copy.c_str(), installed.c_str());
}

bool renewCopyFilesRead(char const* why) {
    bool renewed = false;
    for (size_t i = 0; i < copyFilesRead.size(); i++) {
        Cstring path = copyFilesRead[i]; // the list may grow while a file is renewed
        Cstring installed = installedResource(path.c_str());
        if (installed.empty() || plainFileSize(installed.c_str()) < 0 ||
            sameBytes(path.c_str(), installed.c_str()))
            continue;
        std::string failed = copyAgain(path, installed, why);
        if (failed.empty())
            renewed = true;
        else if (masterOut.is_open())
            masterOut << "resource copy: " << path << " could not be copied again: " << failed << std::endl;
    }
    return renewed;
}

void forgetCopyFilesRead() {
    copyFilesRead.clear();
}

bool noteFileNotHad(char const* path) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    Cstring installed = copy.empty() ? Cstring() : installedResource(copy.c_str());
    if (copy.empty() && !installDir.empty() && path != nullptr) {
        // A file of the install folder itself (a run that keeps nothing reads it there).
        std::error_code error;
        std::string whole =
            fs::absolute(replaceCommonPathKeyword(path).c_str(), error).lexically_normal().string();
        if (!error && whole.compare(0, size_t(installDir.size()), installDir.c_str()) == 0)
            installed = whole.c_str();
    }
    if (installed.empty()) return false; // a module's file, a package: nothing the install holds
    // Of the installed file first: the copy is made from it.
    struct stat st;
    int error = stat(installed.c_str(), &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : EISDIR;
    if (error == 0) {
        std::FILE* readable = std::fopen(installed.c_str(), "rb");
        if (readable != nullptr)
            std::fclose(readable);
        else
            error = errno;
    }
    if (error == ENOENT || error == ENOTDIR)
        fileNotHad =
            Cstring("the file ") + installed + " is missing from the install folder: install Velmora again";
    else if (error != 0)
        fileNotHad = Cstring("the file ") + installed + " cannot be read: " + std::strerror(error);
    else if (copy.empty() || plainFileSize(copy.c_str()) >= 0)
        return false; // both there: nothing the file layer knows
    else
        fileNotHad = Cstring("the resource copy's file ") + copy + " is missing";
    VTRACE(1, fileNotHad);
    return true;
}

void forgetFileNotHad() {
    if (!fileNotHad.empty()) fileNotHad = Cstring();
}

Cstring failureCause() {
    if (!fileNotHad.empty()) return fileNotHad;
    if (!faultNote.memoryRanOut) return Cstring();
    return lastFileRead.empty() ? Cstring("memory ran out")
                                : Cstring("memory ran out while ") + lastFileRead + " was loaded";
}

CcopyLoad::CcopyLoad() : outer(currentLoad), blamesBefore(loadsBlamed) {
    currentLoad = this;
}

CcopyLoad::~CcopyLoad() {
    currentLoad = outer;
    // What an inner load read, the load around it read too.
    if (outer)
        for (Cstring const& path : read)
            outer->note(path);
}

void CcopyLoad::note(Cstring const& path) {
    for (Cstring const& p : read)
        if (p == path) return;
    if (read.size() < 64) read.push_back(path);
}

Cstring CcopyLoad::firstInstalled() const {
    for (Cstring const& path : read) {
        Cstring installed = installedResource(path.c_str());
        if (!installed.empty()) return installed;
    }
    return Cstring();
}

bool CcopyLoad::renewDamaged() {
    bool renewed = false;
    for (Cstring const& path : read) {
        Cstring installed = installedResource(path.c_str());
        if (installed.empty() || plainFileSize(installed.c_str()) < 0 ||
            sameBytes(path.c_str(), installed.c_str()))
            continue;
        std::string why = copyAgain(path, installed, "fails to load");
        if (why.empty())
            renewed = true;
        else if (notRenewed.empty()) {
            notRenewed = path;
            whyNotRenewed = why.c_str();
        }
    }
    return renewed;
}

void CcopyLoad::blame() const {
    // A load around the one that failed fails with it: the file is named once.
    if (loadsBlamed != blamesBefore) return;
    Cstring installed = firstInstalled();
    if (installed.empty() && notRenewed.empty()) return;
    loadsBlamed++;
    resourceCopyAskedBack = 1;
    if (!notRenewed.empty())
        setExitError(
            (Cstring("the resource copy's file ") + notRenewed +
             " fails to load and could not be copied again from the install folder: " + whyNotRenewed)
                .c_str(),
            1);
    else if (erroredExit && !exitCause.empty())
        return; // the load's error says why already (a file it could not have, memory)
    else if (Cstring cause = failureCause(); !cause.empty())
        setExitError(cause.c_str(), 1);
    else
        setExitError((Cstring("the installed file ") + installed + " fails to load").c_str(), 1);
}

// ---- the files scripts came from

int scriptSourceIndex(char const* path) {
    if (path == nullptr || *path == 0) return -1;
    std::error_code error;
    std::string whole =
        fs::absolute(replaceCommonPathKeyword(path).c_str(), error).lexically_normal().string();
    if (error) return -1;
    for (size_t i = 0; i < scriptSources.size(); i++)
        if (scriptSources[i].path == whole.c_str()) return static_cast<int>(i);
    CscriptSource source;
    source.path = whole.c_str();
    std::string part;
    if (partOfCopy(whole.c_str(), part)) source.part = part.c_str();
    std::string own;
    if (ownDataFileName(whole.c_str(), own)) source.own = own.c_str();
    scriptSources.push_back(source);
    return static_cast<int>(scriptSources.size() - 1);
}

namespace {
// A relative name of plain pieces (no "", "." or ".."), the file there a regular file.
Cstring plainFileUnder(Cstring const& folder, char const* name) {
    if (name == nullptr || *name == 0 || *name == '/' || folder.empty()) return Cstring();
    std::string text(name);
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string piece = text.substr(start, end - start);
        if (piece.empty() || piece == "." || piece == "..") return Cstring();
        start = end + 1;
    }
    Cstring whole = folder + name;
    struct stat st;
    // The name itself: a link is no file of the folder, wherever it leads.
    if (lstat(whole.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Cstring();
    return whole;
}
} // namespace

void ownScriptFileBegins(char const* path) {
    std::string name;
    if (!ownDataFileName(path, name) || name.size() >= sizeof faultNote.reading) return;
    std::memcpy(faultNote.reading, name.c_str(), name.size() + 1);
}

void ownScriptFileEnds(char const*) {
    faultNote.reading[0] = 0; // an outer file's lines name it again as they run
}

char const* ownFileAtWorkNow() {
    if (faultNote.reading[0]) return faultNote.reading;
    int running = runningScriptSource;
    if (running < 0 || running >= static_cast<int>(scriptSources.size())) return "";
    return scriptSources[static_cast<size_t>(running)].own.c_str();
}

Cstring ownFileNamedInMarker(char const* name) {
    Cstring whole = plainFileUnder(appDataDir, name);
    // The copy's files have their own road.
    return whole.empty() || std::strncmp(name, "Resources/", 10) == 0 ? Cstring() : whole;
}

Cstring copyFileNamedInMarker(char const* part) {
    return appDataDir.empty() ? Cstring() : plainFileUnder(appDataDir + "Resources/", part);
}

void nameScriptSourceInMarker(int index) {
    CscriptSource& source = scriptSources[static_cast<size_t>(index)];
    source.named = true;
    std::ofstream marker;
    if (openOwnStream(marker, runMarkerPath.c_str(), OWN_APPEND | OWN_QUIET))
        marker << ":s ran " << source.part << "\n";
}

std::vector<Cstring> const& copyScriptsRun() {
    static std::vector<Cstring> parts;
    parts.clear();
    for (CscriptSource const& source : scriptSources)
        if (source.named) parts.push_back(source.part);
    return parts;
}

void renewRunningScriptFile(bool processEnds) {
    if (runningScriptSource < 0 || runningScriptSource >= static_cast<int>(scriptSources.size())) return;
    if (currentLoad != nullptr && !processEnds) return;
    CscriptSource const& source = scriptSources[static_cast<size_t>(runningScriptSource)];
    if (source.part.empty()) return;
    Cstring path = source.path; // the table may grow while the file is renewed
    renewCopyFile(path.c_str(), processEnds ? "ended the process" : "ended the run");
}

bool renewCopyFile(char const* path, char const* why) {
    std::string part;
    Cstring copy = copyFileOf(path, part);
    if (copy.empty() || !mayWriteDataFolder()) return false;
    Cstring installed = installedResource(copy.c_str());
    if (installed.empty() || plainFileSize(installed.c_str()) < 0) return dropFileNotInstalled(copy.c_str());
    if (sameBytes(copy.c_str(), installed.c_str())) return false;
    return copyAgain(copy, installed, why).empty();
}

namespace {
// The free name in the kept folder for part: part itself, else with ".2", ".3" and so on;
// empty when one already keeps the same bytes (or every name is taken).
fs::path keptName(std::string const& part, char const* copy) {
    fs::path base = fs::path(appDataDir.c_str()) / "Resources.edited" / part;
    for (int n = 1; n <= 99; n++) {
        fs::path name = n == 1 ? base : fs::path(base.string() + "." + std::to_string(n));
        std::error_code error;
        if (!fs::exists(fs::symlink_status(name, error))) return name;
        if (sameBytes(name.c_str(), copy)) return fs::path();
    }
    return fs::path();
}
} // namespace

bool keepChangedCopyFile(char const* copyPath) {
    std::string part;
    Cstring copy = copyFileOf(copyPath, part);
    if (copy.empty() || !mayWriteDataFolder() || !copyIsWhole() || plainFileSize(copy.c_str()) <= 0)
        return true;
    struct stat st;
    if (lstat(copy.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;
    Cstring installed = installDir + part.c_str();
    if (sameBytes(copy.c_str(), installed.c_str())) return true;
    fs::path kept = keptName(part, copy.c_str());
    if (kept.empty()) return true;
    // Moved: it goes from the copy next anyway, and a move needs no room (nor that the file can
    // be read). One that cannot be moved (locked) is copied.
    std::error_code error;
    fs::create_directories(kept.parent_path(), error);
    std::string failed = error ? error.message() : std::string();
    if (failed.empty()) fs::rename(copy.c_str(), kept, error);
    if (failed.empty() && error) {
        failed = copyResourceFile(copy.c_str(), kept.c_str());
        if (!failed.empty()) fs::remove(kept, error); // no half of it stands for the edit
    }
    Cstring said = Cstring("resource copy: ") + copy + " differs from the installed file: " +
                   (!failed.empty() ? Cstring("it could not be kept (") + failed.c_str() + "), so it stays"
                                    : Cstring("kept as ") + kept.c_str());
    VTRACE(1, said);
    if (masterOut.is_open()) masterOut << said << std::endl;
    return failed.empty();
}

bool keepChangedCopyFiles() {
    if (!mayWriteDataFolder() || !copyIsWhole()) return true;
    fs::path copy = fs::path(appDataDir.c_str()) / "Resources";
    std::error_code error;
    std::vector<std::string> files; // listed first: each is moved out of the copy
    for (fs::recursive_directory_iterator it(copy, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (!it->is_regular_file(kind) || it->is_symlink(kind)) continue;
        std::string part = it->path().lexically_relative(copy).string();
        // The copy's own records say which tree it is; a downloaded package is no edit.
        if (part == "resources.stamp" || part == "downloadedComponents.txt" || part == "VL_update.vli")
            continue;
        files.push_back(it->path().string());
    }
    bool kept = true;
    for (std::string const& file : files)
        kept = keepChangedCopyFile(file.c_str()) && kept;
    return kept;
}
