// The factory table and the species' member maker.
#include "world/thingFactory.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "support/cerr.h"
#include "world/species.h"

namespace {
struct CkindRow {
    char const* keyword;
    int kindCode;
    char const* owner; // the part of the program that registers the maker
    ThingMaker maker;
};

// In the order the keywords are tried.
CkindRow kinds[] = {
    {"fish", 0, "fish", nullptr},           {"crab", 1, "crab", nullptr},
    {"waving_plant", 5, "things", nullptr}, {"fish_shadow", 6, "shadows", nullptr},
    {"fish_poo", 7, "food", nullptr},       {"crab_shadow", 15, "crab", nullptr},
    {"food_floating", 8, "food", nullptr},  {"food_peck", 8, "food", nullptr},
    {"bubbles", 12, "things", nullptr},     {"basic_deform", 4, "things", nullptr},
    {"backdrop", 18, "things", nullptr},    {"control_panel_new", 17, "interface", nullptr},
    {"target", 13, "things", nullptr},      {"food_container", 14, "food", nullptr},
};

CkindRow* findRow(char const* keyword) {
    if (keyword == nullptr) return nullptr;
    for (CkindRow& row : kinds)
        if (Cstring(keyword) == row.keyword) return &row;
    return nullptr;
}
} // namespace

int registerThingMaker(char const* keyword, ThingMaker maker) {
    CkindRow* row = findRow(keyword);
    if (row == nullptr) return 1;
    row->maker = maker;
    return 0;
}

void clearThingMakers() {
    for (CkindRow& row : kinds)
        row.maker = nullptr;
}

std::vector<CunmadeKind> kindsWithoutMaker() {
    std::vector<CunmadeKind> out;
    for (CkindRow const& row : kinds)
        if (row.maker == nullptr) out.push_back({row.keyword, row.owner});
    return out;
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
