#include "script/scriptOrigin.h"

#include <vector>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"

int networkScriptDepth = 0;

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
    return expanded.size() > folder.size() && expanded.substr(0, folder.size()) == folder;
}

bool scriptMayTouchFile(char const* path) {
    if (!runningNetworkScript()) return true;
    if (pathInsideDataFolder(path)) return true;
    VTRACE(1, "network script may not touch " << (path ? path : ""));
    if (masterOut.is_open()) masterOut << "refused outside data folder: " << (path ? path : "") << std::endl;
    return false;
}
