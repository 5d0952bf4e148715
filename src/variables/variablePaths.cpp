#include "variables/variablePaths.h"

#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variable.h"

Cvariable* findSubDirectoryByPatterns(Cvariable* base, std::vector<Cstring>& values,
                                      std::vector<Cstring>& patterns) {
    if (!base) return nullptr;
    for (Cstring const& pattern : patterns)
        if (Cvariable* found = base->findVariable(patternReplace(pattern.c_str(), values).c_str()))
            return found;
    return nullptr;
}

Cvariable* addVariableForcedPath(Cvariable* base, char const* path, Cvariable* newVar, int append) {
    VTRACE(2, "addvarfp: " << (path ? path : ""));
    if (!newVar) {
        setExitError("no var", 1);
        return nullptr;
    }
    if (!base || !path) {
        delete newVar;
        return nullptr;
    }
    Cvariable* dir = path[0] == '/' ? base->getRoot() : base;
    std::vector<Cstring> pieces;
    int n = tokenize(pieces, path, '/');
    for (int i = 0; i + 1 < n; i++) {
        Cstring const& piece = pieces[static_cast<size_t>(i)];
        if (piece.empty()) continue;
        Cvariable* next = dir->getChild(piece.c_str(), 0);
        if (!next && !(dir->flags & CHILDREN_ARE_ARRAY)) next = dir->addDirectory(piece.c_str(), append);
        dir = next;
        if (!dir) break; // an adopted child array takes no new nodes
    }
    if (!dir) {
        setExitError("can't add a variable to a child array", 1);
        delete newVar;
        return nullptr;
    }
    Cstring last = n > 0 ? pieces[static_cast<size_t>(n - 1)] : Cstring();
    if (!(base->flags & VAR_UNIQUE_DIRECTORIES)) {
        if (Cvariable* existing = dir->getChild(last.c_str(), 0)) {
            bool sameClass = existing->getClass() == newVar->getClass();
            delete newVar;
            if (!sameClass) {
                // Handing back a node of another kind would have the caller misuse it.
                Cstring reason = Cstring("var '") + path + "' exists but different type";
                setExitError(reason.c_str(), 1);
                return nullptr;
            }
            VTRACE(2, "variable already exists of proper type");
            return existing;
        }
    }
    if (dir->flags & CHILDREN_ARE_ARRAY) {
        setExitError("can't add a variable to a child array", 1);
        delete newVar;
        return nullptr;
    }
    newVar->setName(last);
    dir->addVariable(newVar, append);
    return newVar;
}

Cvariable* addVariableForcedPath(Cvariable* base, char const* path, int classCode, int append) {
    return addVariableForcedPath(base, path, makeVariable(classCode), append);
}

// ---- alternate search paths ----

std::vector<Cvariable*> alternateVariableSearchPaths;
int8_t numPermanentAlternateVariableSearchPaths = 0;

void addScriptSearchPath(Cvariable* v, int permanent) {
    if (!v) return;
    removeScriptSearchPath(v);
    if (permanent) {
        alternateVariableSearchPaths.insert(alternateVariableSearchPaths.begin(), v);
        numPermanentAlternateVariableSearchPaths++;
    } else {
        alternateVariableSearchPaths.push_back(v);
    }
}

void removeScriptSearchPath(Cvariable* v) {
    for (size_t i = alternateVariableSearchPaths.size(); i-- > 0;) {
        if (alternateVariableSearchPaths[i] != v) continue;
        alternateVariableSearchPaths.erase(alternateVariableSearchPaths.begin() + static_cast<long>(i));
        if (static_cast<int>(i) < numPermanentAlternateVariableSearchPaths)
            numPermanentAlternateVariableSearchPaths--;
    }
}

void clearTemporaryScriptSearchPaths() {
    size_t keep = numPermanentAlternateVariableSearchPaths > 0
                      ? static_cast<size_t>(numPermanentAlternateVariableSearchPaths)
                      : 0;
    if (alternateVariableSearchPaths.size() > keep) alternateVariableSearchPaths.resize(keep);
}
