// Paths into the tree that make what is missing, and paths made from patterns.
#pragma once

#include <cstdint>
#include <vector>

#include "support/mystring.h"

class Cvariable;

// Tries each pattern (after patternReplace) as a path from base; the first hit or null.
Cvariable* findSubDirectoryByPatterns(Cvariable* base, std::vector<Cstring>& values,
                                      std::vector<Cstring>& patterns);

// Puts newVar at path below base, making missing directories on the way, and returns the
// node now at the path. An existing node of the same class is returned and newVar is
// deleted; one of another class records an exit reason, newVar is deleted and the result
// is null. append is passed on to addVariable/addDirectory.
Cvariable* addVariableForcedPath(Cvariable* base, char const* path, Cvariable* newVar, int append);
// The same with a new node of classCode.
Cvariable* addVariableForcedPath(Cvariable* base, char const* path, int classCode, int append);

// The alternate search paths of scripts, searched in order after the parent chain; the
// first numPermanent... entries are permanent. Entries are not owned; a node leaves the
// list as it is destroyed.
extern std::vector<Cvariable*> alternateVariableSearchPaths;
extern int8_t numPermanentAlternateVariableSearchPaths;

// Adds v (null is ignored; an entry already present moves): a permanent one in front,
// a temporary one at the end.
void addScriptSearchPath(Cvariable* v, int permanent);
// Removes every entry of v.
void removeScriptSearchPath(Cvariable* v);
// Drops every entry after the permanent ones.
void clearTemporaryScriptSearchPaths();
