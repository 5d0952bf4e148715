// The update package's reader, its path table and what it does to files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "host/updatePackage.h"
#include "script/scriptOrigin.h"
#include "support/cerr.h"
#include "support/fileIO.h"

CdiskFileScript::CdiskFileScript(std::istream& input, long long endByte)
    : in(input), position(static_cast<long long>(input.tellg())), end(endByte) {
    if (position < 0) position = end;
}

int CdiskFileScript::Read(char* buffer, int n) {
    long long want = n < remaining() ? n : remaining();
    if (want <= 0) return 0;
    in.read(buffer, want);
    long long got = in.gcount();
    position += got;
    return static_cast<int>(got);
}

int CdiskFileScript::ReadString(char* buffer, int n) {
    int length = 0;
    while (true) {
        if (remaining() <= 0) {
            buffer[length] = 0;
            return -1;
        }
        int c = in.get();
        if (c == EOF) {
            position = end;
            buffer[length] = 0;
            return -1;
        }
        position++;
        if (c == '\n') break;
        if (length >= n - 1) {
            buffer[length] = 0;
            return -2;
        }
        buffer[length++] = static_cast<char>(c);
    }
    buffer[length] = 0;
    return length;
}

bool CdiskFileScript::Skip(long long n) {
    if (n < 0 || n > remaining()) return false;
    in.seekg(n, std::ios::cur);
    position += n;
    return static_cast<bool>(in);
}

int CdiskFileScript::ReadFile(char const* path, unsigned n) {
    if (n > remaining()) return 1;
    Cstring temp = Cstring(path) + ".vlitemp";
    // Never through a link: a link at the side name fails, one at the name is replaced, and
    // a file with other names is made anew.
    int fd = unlinkSharedFile(temp.c_str())
                 ? open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666)
                 : -1;
    if (fd < 0) return 1;
    char piece[1024];
    unsigned left = n;
    bool good = true;
    while (left > 0 && good) {
        int want = left < sizeof piece ? static_cast<int>(left) : static_cast<int>(sizeof piece);
        int got = Read(piece, want);
        if (got != want) good = false;
        for (int done = 0; good && done < got;) {
            ssize_t wrote = write(fd, piece + done, static_cast<size_t>(got - done));
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0)
                good = false;
            else
                done += static_cast<int>(wrote);
        }
        left -= static_cast<unsigned>(got);
    }
    if (close(fd) != 0) good = false;
    if (!good || std::rename(temp.c_str(), path) != 0) {
        std::remove(temp.c_str());
        // The bytes were read: a second try would see the next command's bytes.
        return 2;
    }
    return 0;
}

namespace updatePackage {

namespace {

struct CpathEntry {
    Cstring key;
    Cstring folder;
};
std::vector<CpathEntry> pathTable;

Cstring joined(Cstring const& folder, char const* rest) {
    if (folder.empty()) return Cstring(rest);
    if (folder.c_str()[folder.size() - 1] == '/') return folder + rest;
    return folder + "/" + rest;
}

} // namespace

void addPath(char const* key, char const* folder) {
    if (key == nullptr || folder == nullptr) return;
    if (masterOut.is_open()) masterOut << "addPath " << key << " " << folder << std::endl;
    for (CpathEntry const& entry : pathTable)
        if (entry.key == key) return;
    if (static_cast<int>(pathTable.size()) >= kMaxPathEntries) return;
    pathTable.push_back({key, folder});
}

Cstring findPath(char const* text) {
    if (text == nullptr) return Cstring();
    for (CpathEntry const& entry : pathTable)
        if (std::strncmp(text, entry.key.c_str(), entry.key.size()) == 0) return entry.folder;
    return Cstring();
}

void clearPaths() {
    pathTable.clear();
}

int pathCount() {
    return static_cast<int>(pathTable.size());
}

bool processDirectories(char const* path, Cstring& resolved, Cstring& folder, Cstring& why) {
    Cstring text(path ? path : "");
    if (text.size() && text.c_str()[text.size() - 1] == '\r') text = text.substr(0, text.size() - 1);
    char* chars = text.getDataStart();
    for (int i = 0; chars && i < text.size(); i++)
        if (chars[i] == '\\') chars[i] = '/';
    if (text.empty()) {
        why = "empty path";
        return false;
    }
    char const* rest = text.c_str();
    if (rest[0] == '[') {
        // "[KEY]": exactly three letters in brackets, a key of the table.
        folder = text.size() >= 5 && rest[4] == ']' ? findPath(rest + 1) : Cstring();
        if (folder.empty()) {
            why = Cstring("unknown folder key in ") + text;
            return false;
        }
        rest += 5;
    } else if (rest[0] == '/') {
        why = Cstring("absolute path ") + text;
        return false;
    } else {
        folder = findPath("RSC");
        if (folder.empty()) {
            why = "no resource folder";
            return false;
        }
    }
    if (masterOut.is_open()) masterOut << "cd to dir: " << folder << std::endl;
    resolved = joined(folder, rest);
    return true;
}

bool insideDataFolder(Cstring const& full) {
    return !full.empty() && full.c_str()[0] == '/' && pathInsideDataFolder(full.c_str());
}

int createDirectories(Cstring const& full) {
    if (masterOut.is_open()) masterOut << "create directories " << full << std::endl;
    char const* text = full.c_str();
    int result = 0;
    for (int i = 1; i < full.size(); i++) {
        if (text[i] != '/') continue;
        Cstring prefix = full.substr(0, i);
        struct stat st;
        if (stat(prefix.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode)) result = 1;
            continue;
        }
        if (mkdir(prefix.c_str(), 0777) != 0) result = 1;
    }
    return result;
}

} // namespace updatePackage
