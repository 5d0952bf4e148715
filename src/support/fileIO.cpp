#include "support/fileIO.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/hostServices.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/resourceCopy.h"

uint8_t backupWrite = 0;
Cstring failedWrite;
Cstring lastWriteError;

namespace {
// The safe writes in progress: each stream with the name it will take when complete.
struct CpendingSafeWrite {
    std::ofstream const* stream = nullptr;
    Cstring name;
};
CpendingSafeWrite pendingWrites[8];

// Takes the stream's pending write out of the table; empty when it has none.
Cstring takePendingWrite(std::ofstream const& out) {
    for (CpendingSafeWrite& p : pendingWrites)
        if (p.stream == &out) {
            p.stream = nullptr;
            return std::exchange(p.name, Cstring());
        }
    return Cstring();
}

CpendingSafeWrite* freePendingSlot() {
    for (CpendingSafeWrite& p : pendingWrites)
        if (p.stream == nullptr) return &p;
    return nullptr;
}
} // namespace

int pendingSafeWrites() {
    int n = 0;
    for (CpendingSafeWrite const& p : pendingWrites)
        n += p.stream != nullptr;
    return n;
}

// ---- path keywords

static Cstring keywordFolder(char const* k) {
    if (!std::strncmp(k, "APD", 3)) return appDataDir;
    if (!std::strncmp(k, "INS", 3)) return installDir;
    if (!std::strncmp(k, "SYS", 3)) return systemDirectory;
    if (!std::strncmp(k, "TMP", 3)) {
        char const* temp = std::getenv("TEMP");
        Cstring folder(temp ? temp : "");
        folder += directorySlash;
        return folder;
    }
    if (!std::strncmp(k, "MOS", 3)) {
        if (macContentsDir.empty()) return Cstring();
        return macContentsDir + "MacOS/";
    }
    return Cstring();
}

void replaceCommonPathKeyword(Cstring& out, char const* text, int length) {
    int copied = 0; // start of the piece not yet copied
    for (int i = 0; i < length;) {
        if (text[i] == '`' && i + 1 < length && text[i + 1] == '`') {
            out.append(text + copied, i - copied);
            out += '"';
            i += 2;
            copied = i;
            continue;
        }
        if (text[i] == '[' && i + 4 < length) {
            Cstring folder = keywordFolder(text + i + 1);
            if (!folder.empty()) {
                out.append(text + copied, i - copied);
                out += folder;
                i += 5; // the closing bracket is assumed, not tested
                copied = i;
                continue;
            }
        }
        i++;
    }
    out.append(text + copied, length - copied);
}

Cstring replaceCommonPathKeyword(Cstring const& text) {
    Cstring out;
    replaceCommonPathKeyword(out, text.c_str(), text.size());
    return out;
}

Cstring replaceCommonPathKeyword(char const* text) {
    Cstring out;
    if (text) replaceCommonPathKeyword(out, text, static_cast<int>(std::strlen(text)));
    return out;
}

void fetchAppDataDir(Cstring& dir) {
    if (dir.empty()) dir = OS::defaultAppDataDir();
}

// ---- files

// Each file once; a folder that refuses every write does not grow the list without end.
constexpr int kFailedWriteListLimit = 4096;

static void noteFailedWrite(Cstring const& path) {
    Cstring entry = Cstring(">") + path + "|";
    if (failedWrite.size() + entry.size() > kFailedWriteListLimit) return;
    if (std::strstr(failedWrite.c_str(), entry.c_str())) return;
    failedWrite += entry;
}

static bool keywordFolderUnknown(char const* path) {
    static char const* const keywords[] = {"[APD]", "[INS]", "[TMP]", "[MOS]"};
    for (char const* k : keywords)
        if (!std::strncmp(path, k, 5)) return true;
    return false;
}

int file_open(std::ifstream& in, char const* path, unsigned int) {
    Cstring full = replaceCommonPathKeyword(path);
    VTRACE(1, "FILEIN: " << full);
    if (ownFileOfDataFolder(full.c_str())) {
        if (openOwnStream(in, full.c_str())) return 1;
        in.clear();
        return 0;
    }
    mendResourceCopyFile(full.c_str());
    noteResourceRead(full.c_str());
    in.open(full.c_str(), std::ios::in | std::ios::binary);
    if (!in.is_open() || !in.good()) {
        in.clear();
        noteFileNotHad(full.c_str());
        return 0;
    }
    VTRACE(2, "goodB");
    return 1;
}

void file_close(std::ifstream& in) {
    in.close();
}

bool unlinkSharedFile(char const* path) {
    struct stat st;
    if (lstat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink < 2) return true;
    if (masterOut.is_open()) masterOut << "written as a new file (it has other names): " << path << std::endl;
    return unlink(path) == 0;
}

int file_open(std::ofstream& out, Cstring path, unsigned int) {
    takePendingWrite(out); // a stream opened again forgets what it left unfinished
    Cstring name(path);
    CpendingSafeWrite* pending = nullptr;
    if (backupWrite) {
        backupWrite = 0; // applies to one file only
        pending = freePendingSlot();
        if (pending == nullptr) return 0; // never written unsafely when asked to be safe
        name += ".temp";
    }
    Cstring full = replaceCommonPathKeyword(name);
    if (masterOut.is_open()) masterOut << "fout " << full << std::endl;
    // A folder keyword left at the start means its folder is not known yet: such a path
    // names no real file, and writing it would leave a "[APD]..." file in the working folder.
    bool own = ownFileOfDataFolder(full.c_str()); // never opened through a link at its name
    bool refused = !keywordFolderUnknown(full.c_str()) && writeRefused(full.c_str(), !own);
    if (!keywordFolderUnknown(full.c_str()) && !refused) {
        errno = 0;
        if (own) {
            openOwnStream(out, full.c_str(), OWN_TRUNCATE);
        } else {
            // A safe write's side name is the program's own: whatever stands there goes aside.
            if (pending) setAsideUnlessFile(full.c_str());
            if (unlinkSharedFile(full.c_str()))
                out.open(full.c_str(), std::ios::out | std::ios::trunc | std::ios::binary);
        }
    }
    if (!out.is_open()) {
        lastWriteError = refused ? dataFolderReadOnly
                         : errno ? Cstring(std::strerror(errno))
                                 : Cstring("not opened");
        noteFailedWrite(path);
        return 0;
    }
    lastWriteError = "";
    errno = 0; // what a failing write leaves here is its reason
    if (pending) *pending = {&out, Cstring(path)};
    VTRACE(4, "_"
                  << "goodA");
    return 1;
}

// Puts "<name>.temp" in place of "<name>". The old file is moved aside to "<name>.bak" and
// removed only once the new one has taken its name; if that fails the old file goes back.
static bool finishSafeWrite(Cstring const& name) {
    Cstring target = replaceCommonPathKeyword(name);
    Cstring temp = target + ".temp";
    Cstring bak = target + ".bak";
    setAsideUnlessFile(target.c_str());
    setAsideUnlessFile(bak.c_str());
    std::remove(bak.c_str());
    bool hadOld = hostServices().moveFile(target.c_str(), bak.c_str()) == 0;
    if (hostServices().moveFile(temp.c_str(), target.c_str()) != 0) {
        lastWriteError = errno ? std::strerror(errno) : "not put in place";
        VTRACE(1, "safe write: could not put " << temp << " in place: " << lastWriteError);
        if (masterOut.is_open()) masterOut << "safe write failed: " << target << std::endl;
        if (hadOld && hostServices().moveFile(bak.c_str(), target.c_str()) != 0)
            VTRACE(1, "safe write: the old file stays as " << bak);
        // With the old file in its place the new one goes (the next save writes it whole
        // again); without, it stays: the one whole file under a name of its own.
        struct stat st;
        if (lstat(target.c_str(), &st) == 0) std::remove(temp.c_str());
        return false;
    }
    if (hadOld) std::remove(bak.c_str());
    return true;
}

void file_close(std::ofstream& out) {
    bool good = out.good();
    long position = good ? static_cast<long>(out.tellp()) : -1;
    VTRACE(1, "FILESIZE: " << position);
    out.flush();
    good = good && out.good();
    int reason = good ? 0 : errno;
    out.close();
    if (out.fail()) {
        if (good) reason = errno;
        good = false;
    }
    if (!good) lastWriteError = reason ? std::strerror(reason) : "not written";
    Cstring name = takePendingWrite(out); // nothing stays pending, whatever happens to it
    VTRACE(4, "_"
                  << "safe write of:" << name << "  " << (good ? 1 : 0));
    if (name.empty()) return;
    if (!good) {
        // The old file is untouched; what was written of the new one goes, so no empty or
        // part-written ".temp" stays beside it.
        std::remove((replaceCommonPathKeyword(name) + ".temp").c_str());
        out.setstate(std::ios::failbit);
        return;
    }
    VTRACE(4, "_"
                  << "goodC");
    if (!finishSafeWrite(name)) out.setstate(std::ios::failbit);
}

// For the program's own file: whether a regular file stands there (anything else is set
// aside), its size in size when asked. Never opens it.
static bool ownFileThere(char const* full, long* size) {
    struct stat st;
    if (lstat(full, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        setAsideUnlessFile(full);
        return false;
    }
    if (size) *size = static_cast<long>(st.st_size);
    return true;
}

int fileExists(char const* path) {
    Cstring full = replaceCommonPathKeyword(path);
    if (ownFileOfDataFolder(full.c_str())) return ownFileThere(full.c_str(), nullptr) ? 1 : 0;
    mendResourceCopyFile(full.c_str());
    std::ifstream in(full.c_str(), std::ios::in | std::ios::binary);
    return in.is_open() ? 1 : 0;
}

long getDiskFileSize(char const* path) {
    Cstring full = replaceCommonPathKeyword(path);
    long size = -1;
    if (ownFileOfDataFolder(full.c_str())) return ownFileThere(full.c_str(), &size) ? size : -1;
    mendResourceCopyFile(full.c_str());
    std::ifstream in(full.c_str(), std::ios::in | std::ios::binary | std::ios::ate);
    VTRACE(2, "path=" << full << (in.is_open() ? " file opened" : " file not opened"));
    struct stat st;
    if (!in.is_open() || stat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        noteFileNotHad(full.c_str());
        return -1;
    }
    return static_cast<long>(st.st_size);
}

int createDiskFile(char const* path, char const* text, int size) {
    createDirectories(path, -1);
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    if (masterOut.is_open())
        masterOut << "createDiskFile " << path << "  size=" << size << std::endl
                  << "cwdB=" << cwd << std::endl;
    std::ofstream out;
    if (!file_open(out, Cstring(path), 0)) {
        if (masterOut.is_open()) masterOut << "file_open() failed: " << path << std::endl;
        return 1;
    }
    if (size == -1) size = text ? static_cast<int>(std::strlen(text)) : 0;
    if (size > 0 && text) out.write(text, size);
    file_close(out);
    if (masterOut.is_open()) {
        masterOut << "file written" << std::endl;
        if (fileExists(path)) masterOut << "verified exists" << std::endl;
    }
    return 0;
}

int deleteFile(char const* path) {
    VTRACE(4, "_"
                  << "DELETEFILE " << path);
    Cstring full = replaceCommonPathKeyword(path);
    if (writeRefused(full.c_str(), false)) return 1;
    return std::remove(full.c_str()) == 0 ? 0 : 1;
}

int renameFile(char const* oldPath, char const* newPath) {
    VTRACE(4, "_"
                  << "rename " << oldPath << " to " << newPath);
    Cstring from = replaceCommonPathKeyword(oldPath);
    Cstring to = replaceCommonPathKeyword(newPath);
    if (writeRefused(from.c_str(), false) || writeRefused(to.c_str(), false)) return 1;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : 1;
}

int makedir(char const* path) {
    Cstring full = replaceCommonPathKeyword(path);
    if (writeRefused(full.c_str())) return 1;
    return mkdir(full.c_str(), 0777) == 0 ? 0 : 1;
}

int folderWriteError(char const* folder) {
    Cstring probe = replaceCommonPathKeyword(folder);
    if (probe.size() == 0 || probe.c_str()[probe.size() - 1] != '/') probe += '/';
    probe += ".writable-XXXXXX";
    int fd = mkstemp(probe);
    if (fd < 0) return errno ? errno : EACCES;
    close(fd);
    unlink(probe.c_str());
    return 0;
}

int createDirectories(char const* path, int levelAdjust) {
    std::vector<Cstring> pieces;
    int levels = tokenize(pieces, replaceCommonPathKeyword(path).c_str(), '/') + levelAdjust;
    int result = 0;
    Cstring sofar;
    for (int i = 0; i < levels && i < static_cast<int>(pieces.size()); i++) {
        if (i) sofar += '/';
        sofar += pieces[i];
        if (sofar.empty()) continue; // the empty first piece of an absolute path
        struct stat st;
        if (stat(sofar.c_str(), &st) == 0) {
            result = 0;
            continue;
        }
        VTRACE(1, sofar);
        // Nothing below a folder that cannot be made can be: errno keeps the first reason.
        if (writeRefused(sofar.c_str())) {
            errno = EACCES;
            return 0;
        }
        if (mkdir(sofar.c_str(), 0777) != 0) return 0;
        result = 1;
    }
    return result;
}

Cstring freeSetAsideName(char const* path, char const* suffix) {
    for (int n = 1; n <= 99; n++) {
        Cstring name = Cstring(path) + suffix;
        if (n > 1) name += std::to_string(n).c_str();
        struct stat st;
        if (lstat(replaceCommonPathKeyword(name).c_str(), &st) != 0) return name;
    }
    return Cstring();
}

int setAsideUnlessFile(char const* path) {
    Cstring full = replaceCommonPathKeyword(path);
    struct stat st;
    // The name itself, never where a link leads: a link is no file of the program's own.
    if (lstat(full.c_str(), &st) != 0 || S_ISREG(st.st_mode)) return 0;
    if (writeRefused(full.c_str(), false)) {
        errno = EACCES;
        return -1;
    }
    Cstring aside = freeSetAsideName(full.c_str());
    bool moved = !aside.empty() && std::rename(full.c_str(), aside.c_str()) == 0;
    int reason = moved ? 0 : aside.empty() ? EEXIST : errno;
    Cstring said = moved ? Cstring("no file, set aside as ") + aside
                         : Cstring("no file, and it could not be set aside: ") + std::strerror(reason);
    VTRACE(1, full << ": " << said);
    if (masterOut.is_open()) masterOut << full << ": " << said << std::endl;
    errno = reason;
    return moved ? 1 : -1;
}

// ---- the program's own files

bool mayWriteDataFolder() {
    return !appDataDir.empty() && dataFolderReadOnly.empty();
}

namespace {
// The path made whole (from the working folder) and without "." and ".." pieces.
std::filesystem::path wholePath(char const* path) {
    std::error_code error;
    std::filesystem::path whole = std::filesystem::absolute(path, error);
    return error ? std::filesystem::path(path) : whole.lexically_normal();
}

std::filesystem::path dataFolderPath() {
    return wholePath(appDataDir.c_str()).parent_path(); // without the trailing slash's empty piece
}

// Where path leads on real paths: the folders along it resolved as far as they exist (as
// the system resolves them, ".." after a link included) and, with throughLink, a link at its
// end followed to where a write through it lands; without a trailing separator.
std::filesystem::path realPlace(char const* path, bool throughLink) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path place = fs::absolute(path, error);
    for (int hops = 0; !error && hops < 40; hops++) {
        fs::path name = place.filename();
        if (name.empty() || name == "." || name == "..") {
            place = fs::weakly_canonical(place, error);
            break;
        }
        fs::path folder = fs::weakly_canonical(place.parent_path(), error);
        place = folder / name;
        std::error_code missing; // nothing there is no error: the name is where a write lands
        if (error || !throughLink || !fs::is_symlink(fs::symlink_status(place, missing))) break;
        fs::path target = fs::read_symlink(place, error);
        place = target.is_absolute() ? target : folder / target;
    }
    if (error) place = wholePath(path);
    return place.filename().empty() ? place.parent_path() : place;
}

bool within(std::filesystem::path const& path, std::filesystem::path const& folder) {
    auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return f == folder.end();
}
} // namespace

bool realPathWithin(char const* path, char const* folder) {
    if (path == nullptr || folder == nullptr || *path == 0 || *folder == 0) return false;
    return within(realPlace(path, true), realPlace(folder, true));
}

bool writeRefused(char const* fullPath, bool throughLink) {
    if (fullPath == nullptr) return false;
    // The installed files are never the data's to change, whatever name or link leads there.
    if (!installDir.empty() && within(realPlace(fullPath, throughLink), realPlace(installDir.c_str(), true)))
        return true;
    if (appDataDir.empty() || dataFolderReadOnly.empty()) return false;
    std::filesystem::path path = wholePath(fullPath), folder = dataFolderPath();
    auto [f, p] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return f == folder.end();
}

bool ownFileOfDataFolder(char const* fullPath) {
    if (fullPath == nullptr || *fullPath == 0 || appDataDir.empty()) return false;
    std::filesystem::path path = wholePath(fullPath);
    return path.has_filename() && path.parent_path() == dataFolderPath();
}

int openOwnFile(char const* fullPath, int how) {
    bool quiet = (how & OWN_QUIET) != 0;
    int mode = how & 3;
    struct stat st;
    if (mode == OWN_READ) {
        if (lstat(fullPath, &st) != 0) return -1;
        if (!S_ISREG(st.st_mode)) {
            if (!quiet) setAsideUnlessFile(fullPath);
            errno = ENOENT;
            return -1;
        }
    } else if (writeRefused(fullPath, false)) { // never opened through a link at the name
        errno = EACCES;
        return -1;
    } else if (!quiet && (setAsideUnlessFile(fullPath) < 0 || !unlinkSharedFile(fullPath))) {
        return -1;
    }
    int flags = mode == OWN_READ ? O_RDONLY : O_WRONLY | O_CREAT | (mode == OWN_APPEND ? O_APPEND : 0);
    // Never through a link, never waiting on a pipe that nobody writes or reads.
    int fd = open(fullPath, flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return -1;
    // What the name held when it was opened: a regular file of this one name (what another
    // program put there since the look above is refused, not written through).
    int why = 0;
    if (fstat(fd, &st) != 0)
        why = errno;
    else if (!S_ISREG(st.st_mode))
        why = EISDIR;
    else if (mode != OWN_READ && st.st_nlink != 1)
        why = EMLINK;
    else if (mode == OWN_TRUNCATE && ftruncate(fd, 0) != 0)
        why = errno;
    if (why) {
        close(fd);
        errno = why;
        return -1;
    }
    return fd;
}

Cstring descriptorPath(int fd) {
    return Cstring("/proc/self/fd/") + std::to_string(fd).c_str();
}

bool openOwnStream(std::ofstream& out, char const* fullPath, int how) {
    int fd = openOwnFile(fullPath, how);
    if (fd < 0) return false;
    auto mode =
        std::ios::out | std::ios::binary | ((how & 3) == OWN_APPEND ? std::ios::app : std::ios::openmode());
    out.open(descriptorPath(fd).c_str(), mode);
    if (!out.is_open()) out.open(fullPath, mode); // no /proc: the name, looked at just now
    close(fd);
    return out.is_open();
}

bool openOwnStream(std::ifstream& in, char const* fullPath, int how) {
    int fd = openOwnFile(fullPath, OWN_READ | (how & OWN_QUIET));
    if (fd < 0) return false;
    in.open(descriptorPath(fd).c_str(), std::ios::in | std::ios::binary);
    if (!in.is_open()) in.open(fullPath, std::ios::in | std::ios::binary);
    close(fd);
    return in.is_open() && in.good();
}

int tokenize(std::vector<Cstring>& pieces, char const* text, char separator) {
    pieces.clear();
    if (!text) return 0;
    char const* start = text;
    for (char const* p = text;; p++) {
        if (*p == separator || *p == 0) {
            Cstring piece;
            piece.append(start, static_cast<int>(p - start));
            pieces.push_back(piece);
            if (*p == 0) break;
            start = p + 1;
        }
    }
    return static_cast<int>(pieces.size());
}

// ---- path names

int findIndexFromEnd(char const* text, char c) {
    char const* p = std::strrchr(text, c);
    return p ? static_cast<int>(p - text) : -1;
}

void justSuffix(Cstring& path) {
    int dot = findIndexFromEnd(path.c_str(), '.');
    path = dot < 0 ? Cstring() : path.substr(dot + 1, path.size());
}

void noSuffix(Cstring& path) {
    int dot = findIndexFromEnd(path.c_str(), '.');
    if (dot >= 0) path = path.substr(0, dot);
}

void noPath(Cstring& path) {
    int slash = findIndexFromEnd(path.c_str(), '/');
    if (slash >= 0) path = path.substr(slash + 1, path.size());
}

void justPath(Cstring& path, int adjust) {
    int slash = findIndexFromEnd(path.c_str(), '/');
    if (slash < 0) {
        path = "";
        return;
    }
    if (adjust == -1 && slash == 5 && !std::strncmp(path.c_str(), "ram://", 6)) {
        path = "ram://";
        return;
    }
    path = path.substr(0, slash + adjust + 1);
}

int strreplace(char* text, char from, char to) {
    int n = 0;
    for (; text[n]; n++)
        if (text[n] == from) text[n] = to;
    return n;
}

void toUpper(Cstring& text) {
    char* p = text;
    for (int i = 0; i < text.size(); i++)
        if (p[i] >= 'a' && p[i] <= 'z') p[i] = static_cast<char>(p[i] - 'a' + 'A');
}

namespace {
std::vector<std::string> savesSaidFailed; // "path: why", each said once
} // namespace

void saySaveFailed(char const* path, char const* why, char const* consequence) {
    std::string said = std::string(path ? path : "") + ": " + (why ? why : "");
    for (std::string const& known : savesSaidFailed)
        if (known == said) return;
    if (savesSaidFailed.size() < 64) savesSaidFailed.push_back(said);
    Cstring line = Cstring("couldn't save \"") + (path ? path : "") +
                   "\": " + (why && *why ? why : "not written") + " (" +
                   (consequence ? consequence : "the old file stays") + ")";
    VTRACE(1, line);
    if (masterOut.is_open()) masterOut << line << std::endl;
    std::fprintf(stderr, "velmora: %s\n", line.c_str());
}

void saySaveWorked(char const* path) {
    std::string prefix = std::string(path ? path : "") + ": ";
    for (size_t i = savesSaidFailed.size(); i-- > 0;)
        if (savesSaidFailed[i].compare(0, prefix.size(), prefix) == 0)
            savesSaidFailed.erase(savesSaidFailed.begin() + static_cast<long>(i));
}
