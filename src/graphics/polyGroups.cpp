// Poly-group definitions, sets and render poly groups; the group-name suffix.
#include "graphics/polyGroups.h"

#include "graphics/streamChans.h"
#include "support/cerr.h"
#include "variables/multiLink.h"

CpolyGroupDefinition::~CpolyGroupDefinition() {
    for (int d = 0; d < kPolyGroupDisplays; d++)
        PGDfreeVertexIndexDataForDevice(d);
}

void CpolyGroupDefinition::PGDfreeVertexIndexDataForDevice(int d) {
    if (d < 0 || d >= kPolyGroupDisplays || indexData[d] == nullptr) return;
    indexData[d]->removeAllLinks();
    VTRACE(1, "should now be zero: " << static_cast<void*>(indexData[d]) << " = 0 ???");
    indexData[d] = nullptr; // released either way: never reached through this slot again
}

CrenderPolyGroup::~CrenderPolyGroup() {
    if (owner) VTRACE(4, "_~RPG:" << static_cast<void*>(owner));
}

void CrenderPolyGroup::usePolyGroupIndex(int i) {
    if (set == nullptr || i < 0 || static_cast<size_t>(i) >= set->variations.size()) return;
    variation = static_cast<uint8_t>(i);
    definition = set->variations[static_cast<size_t>(i)];
}

void CrenderPolyGroup::drawMeOvertopOf(CrenderPolyGroup* other) {
    if (other == nullptr || predecessorCount >= kMaxPredecessors) return;
    predecessors[predecessorCount++] = other;
}

bool decodeEndShit(Cstring& name, char& id, uint8_t& transparent, int& number) {
    int len = name.size();
    if (len < 3) return false;
    char const* c = name.c_str();
    bool numbered = len >= 4 && c[len - 4] == '#';
    if (numbered && (len < 6 || c[len - 5] < '0' || c[len - 5] > '9')) return false;
    id = c[len - 1];
    transparent = (c[len - 2] == 't' || c[len - 2] == 'u') ? 1 : 0;
    number = numbered ? c[len - 5] - '0' : 0;
    name = name.substr(0, len - (numbered ? 6 : 3));
    return true;
}

void showAttribMasks(uint16_t mask) {
    static constexpr struct {
        uint16_t bit;
        char const* name;
    } names[] = {{CHAN_POSITION, " POSITION"}, {CHAN_DIFFUSE, " DIFFUSE"}, {CHAN_SPECULAR, " SPECULAR"},
                 {CHAN_NORMAL, " NORMAL"},     {CHAN_TEX1, " TEX1"},       {CHAN_TEX2, " TEX2"}};
    Cstring line;
    for (auto const& n : names)
        if (mask & n.bit) line += n.name;
    VTRACE(2, line);
}
