// Finding resources by lists of path patterns: loaded objects first, then files.
#include "data/resourceStreamer.h"

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "support/resourceCopy.h"
#include "variables/variablePaths.h"

int findDiskFile(std::vector<Cstring>& names, std::vector<Cstring>& patterns) {
    for (size_t k = 0; k < patterns.size(); k++) {
        Cstring path = patternReplace(patterns[k].c_str(), names);
        if (resourcesDir && resourcesDir->findEntry(path.c_str())) return static_cast<int>(k);
        if (fileExists(path.c_str())) return static_cast<int>(k);
    }
    // None there: the first that the install should hold is the one looked for.
    for (Cstring const& pattern : patterns)
        if (noteFileNotHad(patternReplace(pattern.c_str(), names).c_str())) break;
    return -1;
}

Cvariable* tryFind(Cvariable* treeBase, std::vector<Cstring>& names, std::vector<Cstring>& treePatterns,
                   std::vector<Cstring>& diskPatterns, Cstring& diskPath, Cstring& treePath) {
    if (treeBase) {
        if (Cvariable* found = findSubDirectoryByPatterns(treeBase, names, treePatterns)) {
            Cvariable* instances = found->getChild("instances", 0);
            if (instances && instances->hasFlag(VAR_HAS_NUMBER)) {
                VTRACE(2, "has instances too! " << found->name);
                instances->setElem_int(0, instances->getElem_int(0) + 1);
            }
            return found;
        }
    }
    int k = findDiskFile(names, diskPatterns);
    if (k < 0) {
        diskPath = "";
        return nullptr;
    }
    diskPath = patternReplace(diskPatterns[k].c_str(), names);
    // A tree pattern list shorter than the disk list leaves the tree path empty.
    treePath = static_cast<size_t>(k) < treePatterns.size() ? patternReplace(treePatterns[k].c_str(), names)
                                                            : Cstring();
    return nullptr;
}
