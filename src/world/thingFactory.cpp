// The factory table and the species' member maker.
#include "world/thingFactory.h"

#include <cstdint>
#include <cstdio>

#include "support/cerr.h"
#include "world/species.h"

namespace {
struct CkindRow {
    char const* keyword;
    int kindCode;
    ThingMaker maker;
};

// In the order the keywords are tried.
CkindRow kinds[] = {
    {"fish", 0, nullptr},          {"crab", 1, nullptr},
    {"waving_plant", 5, nullptr},  {"fish_shadow", 6, nullptr},
    {"fish_poo", 7, nullptr},      {"crab_shadow", 15, nullptr},
    {"food_floating", 8, nullptr}, {"food_peck", 8, nullptr},
    {"bubbles", 12, nullptr},      {"basic_deform", 4, nullptr},
    {"backdrop", 18, nullptr},     {"control_panel_new", 17, nullptr},
    {"target", 13, nullptr},       {"food_container", 14, nullptr},
};

CkindRow* findRow(char const* keyword) {
    if (keyword == nullptr) return nullptr;
    for (CkindRow& row : kinds)
        if (Cstring(keyword) == row.keyword) return &row;
    return nullptr;
}
} // namespace

void (*setThingSpecies)(Cvariable* thing, Cspecies* species, uint8_t blending) = nullptr;

int registerThingMaker(char const* keyword, ThingMaker maker) {
    CkindRow* row = findRow(keyword);
    if (row == nullptr) return 1;
    row->maker = maker;
    return 0;
}

int thingKindOf(char const* keyword) {
    CkindRow* row = findRow(keyword);
    return row ? row->kindCode : -1;
}

Cvariable* Cspecies::createNewMemberOfThisSpecies() {
    membersMade++;
    CkindRow* row = findRow(speciesClass.c_str());
    Cvariable* thing = row && row->maker ? row->maker() : nullptr;
    if (thing == nullptr) {
        char text[512];
        std::snprintf(text, sizeof text, "%s can't be %s", name.c_str(), speciesClass.c_str());
        setExitError(text, 1);
        return nullptr;
    }
    thingKind = row->kindCode;
    if (setThingSpecies) setThingSpecies(thing, this, static_cast<uint8_t>(doBlending & 0xFF));
    return thing;
}
