// The thing factory: a species' "class" keyword picks the kind of thing its members are.
//
// The keywords and their kind codes are fixed here; the kinds themselves live in the
// layers above, which register a maker for each keyword they build at start-up. A keyword
// without a maker is refused like an unknown one.
#pragma once

#include "support/mystring.h"

class Cspecies;
class Cvariable;

// Makes a new member of a kind, unplaced; null when it cannot.
using ThingMaker = Cvariable* (*)();

// Installs (or, with null, removes) the maker of a keyword of the table. 0 done, 1 when
// the keyword is not in the table.
int registerThingMaker(char const* keyword, ThingMaker maker);
// The kind code of a keyword of the table, -1 for others.
int thingKindOf(char const* keyword);

// How the factory hands a new member its species: the thing layer fills this in.
// Arguments: the thing, its species and the blending flag byte.
extern void (*setThingSpecies)(Cvariable* thing, Cspecies* species, uint8_t blending);
