// Variable search and the alternate search paths.
#include "script/variableSearch.h"

#include <cstring>

#include "variables/variable.h"

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
