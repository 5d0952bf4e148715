// The variable search of scripts and the solver: a name is tried as a path from the
// start object, then up its parents, then in the alternate search paths.
#pragma once

#include <cstdint>
#include <vector>

#include "variables/variablePaths.h"

class Cvariable;

// The variable named by name as seen from from, or null. A name with "/" is a path and
// is searched up the parents only when it begins with "@".
Cvariable* searchUpParentsForVariable(Cvariable* from, char const* name);
// The nearest proper ancestor of from whose flags share a bit with mask, or null.
Cvariable* searchUpForParentWithFlag(Cvariable* from, int mask);
