// Placeholder until the variable tree is merged.
#include "script/solverTree.h"
#include "script/mathSolver.h"
Cvariable* solverFindVariable(Cvariable*, char const*) {
    return nullptr;
}
bool solverNumber(Cvariable*, double&) {
    return false;
}
void solverText(Cvariable*, CsolverText&) {}
char const* solverName(Cvariable*) {
    return "";
}
bool solverLocalConstant(Cvariable*, char const*, double&) {
    return false;
}
int solverCountChildren(Cvariable*) {
    return 0;
}
int solverChildNum(Cvariable*, Cvariable*) {
    return 0;
}
bool solverChildName(Cvariable*, int, CsolverText&) {
    return false;
}
