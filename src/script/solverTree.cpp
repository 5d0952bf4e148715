// The solver's calls into the variable tree.
#include "script/solverTree.h"

#include "script/mathSolver.h"
#include "variables/variable.h"

bool solverNumber(Cvariable* v, double& value) {
    if (!v || !v->hasFlag(VAR_HAS_NUMBER)) return false;
    value = v->getElem_float(0);
    return true;
}

void solverText(Cvariable* v, CsolverText& out) {
    if (!v) return;
    char const* text = static_cast<char const*>(*v);
    if (text) out.append(text);
}

char const* solverName(Cvariable* v) {
    return v ? v->getName().c_str() : "";
}

bool solverLocalConstant(Cvariable* from, char const* name, double& value) {
    Cstring key(name); // made once for the whole climb
    for (Cvariable* v = from; v; v = v->parent) {
        if (v->getLocalConstant(key, value) == 0) return true;
    }
    return false;
}

int solverCountChildren(Cvariable* v) {
    return v ? v->countChildren(-1) : 0;
}

int solverChildNum(Cvariable* parent, Cvariable* child) {
    return parent ? parent->childNum(child) : 0;
}

bool solverChildName(Cvariable* parent, int index, CsolverText& out) {
    if (!parent || index < 0) return false;
    Cvariable* child = parent->getChildNoErr(index);
    if (!child) return false;
    out.append(child->getName().c_str(), static_cast<size_t>(child->getName().size()));
    return true;
}
