// Variable search and the alternate search paths.
#include "script/variableSearch.h"

#include <cstring>

#include "variables/variable.h"

std::vector<Cvariable*> alternateVariableSearchPaths;
int8_t numPermanentAlternateVariableSearchPaths = 0;

Cvariable* searchUpParentsForVariable(Cvariable* from, char const* name) {
    if (!from || !name) return nullptr;
    if (Cvariable* hit = from->findVariable(name)) return hit;
    if (name[0] == '@') {
        name++;
    } else if (std::strchr(name, '/')) {
        return nullptr; // a path is not searched further
    }
    bool isPath = std::strchr(name, '/') != nullptr;
    for (Cvariable* v = from; v; v = v->parent) {
        Cvariable* hit = isPath ? v->findVariable(name) : v->getChild(name, 0);
        if (hit) return hit;
    }
    for (Cvariable* path : alternateVariableSearchPaths) {
        if (Cvariable* hit = path->getChild(name, 0)) return hit;
    }
    return nullptr;
}

Cvariable* searchUpForParentWithFlag(Cvariable* from, int mask) {
    if (!from) return nullptr;
    for (Cvariable* v = from->parent; v; v = v->parent) {
        if (v->flags & static_cast<unsigned>(mask)) return v;
    }
    return nullptr;
}

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
