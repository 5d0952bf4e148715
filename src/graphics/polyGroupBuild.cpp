// Building a model's poly groups: one definition per "mat_" primitive group, its material,
// its index lists, its sort point and the points that bound it on screen.
#include <algorithm>
#include <cstring>

#include "graphics/deviceGlobals.h"
#include "graphics/material.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"

namespace {

int speciesInt(Cvariable* species, char const* name, int fallback) {
    Cvariable* v = species ? species->getChild(name, 0) : nullptr;
    return v && v->hasFlag(VAR_HAS_NUMBER) ? v->getInt() : fallback;
}

// The first member of a non-empty point group, or -1.
int firstMember(CattribHandler const& points, Cstring const& groupName) {
    CshortLinkVar* g = points.findGroup(groupName.c_str());
    return CgeoNew::groupSize(g) > 0 ? CgeoNew::groupMembers(g)[0] : -1;
}

} // namespace

int CtexturedGeo::getMaterialsAndBuildPolyLists(Cvariable* speciesNode, Cstring const& speciesPath) {
    species = speciesNode;
    freePolyGroups();
    apiFormat = speciesInt(species, "apiFormat", 0);
    if (materialsDir) setExitError("materials dir already made", 1);
    materialsDir = addDirectory("materials", 1);

    noisePushOffset = findAttrib("noisePush", 0);
    if (noisePushOffset >= 0) {
        noiseTimingOffset = findAttrib("noiseTiming", 0);
        pushUVSet = static_cast<uint8_t>(speciesInt(species, "pushUVinsteadOfPosition", -1) & 255);
        noiseUVOffset = pushUVSet == 0 ? findAttrib("uv", 0) : pushUVSet == 1 ? findAttrib("uvB", 0) : 0;
    }
    if (!requireInterleaved(*this, true)) return 1;
    for (Cvariable* g = primSide.groups ? primSide.groups->firstChild : nullptr; g; g = g->nextSibling) {
        auto* group = static_cast<CshortLinkVar*>(g); // kinds checked at load
        if (groupSize(group) == 0 || std::strncmp(g->name.c_str(), "mat_", 4) != 0) continue;
        if (buildDefinition(group, speciesPath) != 0) return 1;
    }
    return 0;
}

int CtexturedGeo::buildDefinition(CshortLinkVar* group, Cstring const& speciesPath) {
    auto* def = new CpolyGroupDefinition();
    def->definitionIndex = static_cast<int16_t>(definitions.size());
    definitions.push_back(def);
    def->name = group->name;

    Cstring tail = group->name.substr(4, group->name.size() - 4);
    Cstring sortName = Cstring("sort_") + tail;
    Cstring boundName = Cstring("rpg_bound_") + tail;
    char id = 0;
    uint8_t transparent = 0;
    int number = 0;
    if (!decodeEndShit(tail, id, transparent, number))
        return badModel((Cstring("group name without its suffix: ") + group->name).c_str());

    CpolyGroupSet* set = nullptr;
    if (number == 0) {
        set = new CpolyGroupSet();
        polyGroupSets.push_back(set);
    } else {
        if (polyGroupSets.empty() || polyGroupSets.back()->materialName != tail) {
            setExitError("bad poly switch - groups must be in order!", 1);
            return 1;
        }
        set = polyGroupSets.back();
    }
    set->materialName = tail;
    set->variations.push_back(def);
    Cmaterial* material = loadMaterial(tail, speciesPath);
    if (material == nullptr) {
        VTRACE(1, "COULDN't FIND MATERIAL " << tail);
        return 1;
    }
    set->material = material;
    def->set = set;
    def->sortPosition = material->sortPosition;
    def->skipPOVtest = material->skipPOVtest;
    def->idChar = id;
    set->transparent = transparent;

    // Counts; members and vertices were checked against the model at load.
    int minimum = 100000, vertices = 0, trueTriangles = 0, triangles = 0, quads = 0;
    short const* members = groupMembers(group);
    int polygonTotal = groupSize(group);
    for (int i = 0; i < polygonTotal; i++) {
        int n = polygonSize(members[i]);
        short const* v = polygonIndices(members[i]);
        for (int k = 0; k < n; k++)
            minimum = std::min(minimum, static_cast<int>(v[k]));
        vertices += n;
        if (n == 3) {
            trueTriangles++, triangles++;
        } else if (n == 4) {
            quads++, triangles += 2;
        } else {
            VTRACE(1, "ERROR! geometry must be triangles or quads!");
        }
    }

    int sortPoint = minimum;
    if (pointSide.findGroup(sortName.c_str())) {
        if (firstMember(pointSide, sortName) >= 0) sortPoint = firstMember(pointSide, sortName);
        VTRACE(2, "SORTPT:" << sortName << " " << sortPoint);
    }
    if (firstMember(pointSide, group->name) >= 0) sortPoint = firstMember(pointSide, group->name);
    if (sortPoint >= numPoints) return badModel((Cstring("no sort point for group ") + group->name).c_str());
    def->sortPoint = static_cast<int16_t>(sortPoint);
    VTRACE(2, "material in group " << tail << "  id:" << id
                                   << "  transparent:" << static_cast<int>(transparent)
                                   << " swapVersion:" << number << "  minimumVertexIndex: " << sortPoint);

    def->allTriangleCount = static_cast<int16_t>(triangles);
    def->verticesToSend = static_cast<uint16_t>(triangles);
    def->polygonCount = static_cast<int16_t>(polygonTotal);
    def->triangleIndices.reserve(3 * static_cast<size_t>(trueTriangles));
    def->allTriangleIndices.reserve(3 * static_cast<size_t>(triangles));
    def->quadIndices.reserve(4 * static_cast<size_t>(quads));
    def->polygonVertices.reserve(static_cast<size_t>(vertices));
    for (int i = 0; i < polygonTotal; i++) {
        int n = polygonSize(members[i]);
        auto const* v = reinterpret_cast<uint16_t const*>(polygonIndices(members[i]));
        def->polygonStart.push_back(static_cast<uint16_t>(def->polygonVertices.size()));
        def->polygonSize.push_back(static_cast<uint16_t>(n));
        if (n == 4) {
            def->polygonVertices.insert(def->polygonVertices.end(), {v[0], v[1], v[3], v[2]});
            def->quadIndices.insert(def->quadIndices.end(), v, v + 4);
            def->allTriangleIndices.insert(def->allTriangleIndices.end(),
                                           {v[0], v[1], v[2], v[0], v[2], v[3]});
            continue;
        }
        def->polygonVertices.insert(def->polygonVertices.end(), v, v + n);
        if (n == 3) {
            def->triangleIndices.insert(def->triangleIndices.end(), v, v + 3);
            def->allTriangleIndices.insert(def->allTriangleIndices.end(), v, v + 3);
        }
    }

    if (CshortLinkVar* bound = pointSide.findGroup(boundName.c_str())) {
        if (groupSize(bound) > kMaxBoundPoints)
            return badModel((Cstring("more than 6 bound points in ") + boundName).c_str());
        def->boundCount = static_cast<int16_t>(groupSize(bound));
        std::copy_n(groupMembers(bound), groupSize(bound), def->boundPoints);
    } else if (floatsPerPoint >= 3) {
        // The extreme points on each axis, smallest x, y, z then largest, each kept once.
        int extreme[6] = {-1, -1, -1, -1, -1, -1};
        float low[3] = {1000, 1000, 1000}, high[3] = {-1000, -1000, -1000};
        for (uint16_t p : def->allTriangleIndices) {
            float const* pos = pointRecord(p);
            for (int axis = 0; axis < 3; axis++) {
                if (pos[axis] < low[axis]) low[axis] = pos[axis], extreme[axis] = p;
                if (pos[axis] > high[axis]) high[axis] = pos[axis], extreme[3 + axis] = p;
            }
        }
        for (int e : extreme)
            if (e >= 0 && std::find(def->boundPoints, def->boundPoints + def->boundCount, e) ==
                              def->boundPoints + def->boundCount)
                def->boundPoints[def->boundCount++] = static_cast<uint16_t>(e);
    }

    if (triangles > 0 && !GLSL) {
        auto [lo, hi] = std::minmax_element(def->allTriangleIndices.begin(), def->allTriangleIndices.end());
        uint16_t smallest = std::min<uint16_t>(*lo, 20000), largest = *hi;
        for (uint16_t& index : def->allTriangleIndices)
            index = static_cast<uint16_t>(index - smallest);
        def->minVertex = smallest;
        def->verticesToSend = static_cast<uint16_t>(largest - smallest + 1);
        VTRACE(2, "num triangles:" << trueTriangles << " num quads:" << quads << " num polys:" << polygonTotal
                                   << "   all triangles:" << triangles << "   totalVertices:" << numPoints
                                   << "   minVert:" << smallest
                                   << "  numVerticiesToSend:" << def->verticesToSend);
    }
    return 0;
}

Cmaterial* CtexturedGeo::loadMaterial(Cstring const& materialName, Cstring const& path) {
    if (materialName.empty() || materialsDir == nullptr) return nullptr;
    for (Cvariable* c = materialsDir->firstChild; c; c = c->nextSibling)
        if (c->name == materialName)
            if (auto* existing = dynamic_cast<Cmaterial*>(c)) return existing;

    auto* m = new Cmaterial();
    m->setName(materialName);
    materialsDir->addVariable(m, 1);
    m->setDiskPath(path);
    m->texGeo = this;
    if (findAttrib("Cd", 0) >= 0 || findAttrib("rgba", 0) >= 0)
        m->addStreamChan(STREAM_DYNAMIC, CHAN_DIFFUSE);
    bool read = m->readFromDiskPath() == 0;

    // A channel goes in one stream only: removed beats dynamic beats static-unique beats
    // static.
    removeMask |= m->streamChans[STREAM_REMOVE];
    dynamicMask = static_cast<uint16_t>((dynamicMask | m->streamChans[STREAM_DYNAMIC]) & ~removeMask);
    uint16_t unique = staticUniqueMask | m->streamChans[STREAM_STATIC_UNIQUE];
    staticUniqueMask = static_cast<uint16_t>(unique & ~(removeMask | dynamicMask));
    staticMask = static_cast<uint16_t>((staticMask | m->streamChans[STREAM_STATIC]) &
                                       ~(removeMask | dynamicMask | unique));
    usedAttribMask = static_cast<uint16_t>(dynamicMask | staticUniqueMask | staticMask);
    VTRACE(1, "texGeo post material add");
    VTRACE(2, "chans DYNAMIC:");
    showAttribMasks(dynamicMask);
    VTRACE(2, "chans STATIC:");
    showAttribMasks(staticMask);
    VTRACE(2, "chans STATIC_UNIQUE:");
    showAttribMasks(staticUniqueMask);
    VTRACE(2, "chans REMOVE_ATTRIB:");
    showAttribMasks(removeMask);

    if (normalsToTexture == 0 && !(usedAttribMask & CHAN_TEX1))
        setExitError("normsToTexIndex=0 - missing texture", 1);
    if (normalsToTexture == 1 && !(usedAttribMask & CHAN_TEX2))
        setExitError("normsToTexIndex=1 - missing texture", 1);
    return exitSaver || !read ? nullptr : m;
}
