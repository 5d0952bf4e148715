#include "script/scriptOrigin.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "script/keptScriptFile.h"

int networkScriptDepth = 0;

namespace {

bool within(char const* path, Cstring const& folder) {
    size_t n = static_cast<size_t>(folder.size());
    return std::strncmp(path, folder.c_str(), n) == 0 && (path[n] == 0 || path[n] == '/');
}

// Walks the pieces of rest below folder as far as they exist: every link met must
// resolve to a place inside the folder (a link to nowhere would be created outside).
bool noLinkLeadsOut(Cstring const& folder, Cstring const& rest) {
    char resolved[PATH_MAX];
    if (realpath(folder.c_str(), resolved) == nullptr) return true; // nothing there yet to lead out
    Cstring realFolder(resolved);
    std::vector<Cstring> pieces;
    tokenize(pieces, rest.c_str(), '/');
    Cstring sofar = folder;
    for (Cstring const& piece : pieces) {
        if (piece.empty() || piece == ".") continue;
        sofar += "/";
        sofar += piece;
        struct stat st;
        if (lstat(sofar.c_str(), &st) != 0) return true;
        if (!S_ISLNK(st.st_mode)) continue;
        if (realpath(sofar.c_str(), resolved) == nullptr || !within(resolved, realFolder)) return false;
    }
    return true;
}

} // namespace

bool pathInsideDataFolder(char const* path) {
    if (path == nullptr || *path == 0) return false;
    if (appDataDir.empty() || appDataDir.c_str()[0] != '/') return false;
    Cstring expanded = replaceCommonPathKeyword(path);

    std::vector<Cstring> pieces;
    tokenize(pieces, expanded.c_str(), '/');
    for (Cstring const& piece : pieces) {
        if (piece == "..") return false;
    }

    Cstring folder = appDataDir;
    if (folder.c_str()[folder.size() - 1] != '/') folder += '/';
    Cstring bare = folder.substr(0, folder.size() - 1);
    if (expanded == folder || expanded == bare) return true;
    if (expanded.size() <= folder.size() || expanded.substr(0, folder.size()) != folder) return false;
    return noLinkLeadsOut(bare, expanded.substr(folder.size(), expanded.size() - folder.size()));
}

char const* processEndRefusal() {
    if (runningNetworkScript()) return "a downloaded script";
    if (runningScriptSource < 0 || runningScriptSource >= static_cast<int>(scriptSources.size()))
        return nullptr;
    CscriptSource const& source = scriptSources[static_cast<size_t>(runningScriptSource)];
    if (!source.part.empty() || !pathInsideDataFolder(source.path.c_str())) return nullptr;
    return "a file of the data folder";
}

void refuseProcessEnd(char const* command, char const* refusal) {
    Cstring why = Cstring(command) + " refused for " + refusal;
    VTRACE(1, why);
    bool ownFile = !runningNetworkScript() && runningScriptSource >= 0 &&
                   runningScriptSource < static_cast<int>(scriptSources.size());
    Cstring path = ownFile ? scriptSources[static_cast<size_t>(runningScriptSource)].path : Cstring();
    // While the file is read, its reader sets it aside. Later (a script it stored runs) the
    // file goes aside here and the run goes on, the engine beginning again without it; the
    // refused script stops. Where no engine can begin again, the run ends.
    if (ownFile && !keptFileRunning() && withdrawKeptFile(path.c_str(), why.c_str(), nullptr)) return;
    setExitError(why.c_str(), 1);
}

bool webPageAddress(char const* address) {
    return address && (strncasecmp(address, "http://", 7) == 0 || strncasecmp(address, "https://", 8) == 0);
}

bool scriptMayTouchFile(char const* path) {
    if (pathInsideDataFolder(path)) return true;
    VTRACE(1, "a script may not touch " << (path ? path : ""));
    if (masterOut.is_open()) masterOut << "refused outside data folder: " << (path ? path : "") << std::endl;
    return false;
}
