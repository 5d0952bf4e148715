// What the expression solver needs of the variable tree, in one place.
#pragma once

class Cvariable;
class CsolverText;

// Element 0 of a variable that holds numbers; false for any other kind.
bool solverNumber(Cvariable* v, double& value);
// The variable's text form.
void solverText(Cvariable* v, CsolverText& out);
char const* solverName(Cvariable* v);
// Asks from and each of its parents for a local constant; true when one knows it.
bool solverLocalConstant(Cvariable* from, char const* name, double& value);
int solverCountChildren(Cvariable* v);
// Position of child among parent's children (0 when parent is null).
int solverChildNum(Cvariable* parent, Cvariable* child);
// Name of child number index of parent; false when there is no such child.
bool solverChildName(Cvariable* parent, int index, CsolverText& out);
