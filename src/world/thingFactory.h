// The thing factory: a species' "class" keyword picks the kind of thing its members are.
//
// The keywords and their kind codes are fixed here; the kinds themselves live in the
// layers above, which register a maker for each keyword they build at start-up. A keyword
// without a maker is refused like an unknown one.
#pragma once

#include <vector>

#include "support/mystring.h"
#include "world/worldHooks.h"

class Cspecies;
class Cvariable;

// Makes a new member of a kind, unplaced; null when it cannot.
using ThingMaker = Cvariable* (*)();

// Installs (or, with null, removes) the maker of a keyword of the table. 0 done, 1 when
// the keyword is not in the table.
int registerThingMaker(char const* keyword, ThingMaker maker);
// A keyword of the table that has no maker, and the part of the program that makes its kind.
struct CunmadeKind {
    char const* keyword;
    char const* owner;
};
// The keywords without a maker, in table order (the start-up check reads them).
std::vector<CunmadeKind> kindsWithoutMaker();
// Forgets every maker (the wiring then registers them again).
void clearThingMakers();
// The kind code of a keyword of the table, -1 for others.
int thingKindOf(char const* keyword);

// How the factory hands a new member its species, a slot of worldHooks.
inline auto& setThingSpecies = worldHooks.setThingSpecies;
