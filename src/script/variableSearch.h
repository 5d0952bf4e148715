// The variable search of scripts and the solver: a name is tried as a path from the
// start object, then up its parents, then in the alternate search paths.
#pragma once

#include <cstdint>
#include <vector>

class Cvariable;

// Searched in order after the parent chain; the first numPermanent... entries are
// permanent. Entries are not owned: remove a node with removeScriptSearchPath before
// deleting it.
extern std::vector<Cvariable*> alternateVariableSearchPaths;
extern int8_t numPermanentAlternateVariableSearchPaths;

// The variable named by name as seen from from, or null. A name with "/" is a path and
// is searched up the parents only when it begins with "@".
Cvariable* searchUpParentsForVariable(Cvariable* from, char const* name);
// The nearest proper ancestor of from whose flags share a bit with mask, or null.
Cvariable* searchUpForParentWithFlag(Cvariable* from, int mask);

// Adds v (null is ignored; an entry already present moves): a permanent one in front,
// a temporary one at the end.
void addScriptSearchPath(Cvariable* v, int permanent);
// Removes every entry of v.
void removeScriptSearchPath(Cvariable* v);
// Drops every entry after the permanent ones.
void clearTemporaryScriptSearchPaths();
