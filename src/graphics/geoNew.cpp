// The geometry container: its directories, the checks that make a filled geometry safe to
// index, and the attribute shortcuts.
#include "graphics/geoNew.h"

#include <cstring>

#include "support/cerr.h"

namespace {

// The child named exactly name (no pattern matching), or null.
Cvariable* exactChild(Cvariable const* parent, char const* name) {
    if (parent == nullptr) return nullptr;
    for (Cvariable* c = parent->firstChild; c; c = c->nextSibling)
        if (c->name == name) return c;
    return nullptr;
}

bool isShortLink(Cvariable const* v) {
    return v && const_cast<Cvariable*>(v)->getClass() == CLASS_SHORT_LINK;
}

// A raw data link (not one of the typed link kinds, whose storage is not floats).
ClinkVar* rawLink(Cvariable* v) {
    if (v == nullptr || v->getClass() != CLASS_LINK) return nullptr;
    return static_cast<ClinkVar*>(v);
}

} // namespace

int CattribHandler::findAttrib(char const* name, int element) const {
    if (element < 0 || element > 2) return -1;
    Cvariable* a = exactChild(attribs, name);
    if (!isShortLink(a) || a->elements() < 3) return -1;
    return a->getElem_int(static_cast<unsigned short>(element));
}

CshortLinkVar* CattribHandler::findGroup(char const* name) const {
    Cvariable* g = exactChild(groups, name);
    return isShortLink(g) ? static_cast<CshortLinkVar*>(g) : nullptr;
}

void CgeoNew::createMainDirectories() {
    pointsDir = addDirectory("points", 1);
    primsDir = addDirectory("prims", 1);
    if (pointsDir) {
        pointSide.groups = pointsDir->addDirectory("groups", 1);
        pointSide.attribs = pointsDir->addDirectory("attribs", 1);
    }
    if (primsDir) {
        primSide.groups = primsDir->addDirectory("groups", 1);
        primSide.attribs = primsDir->addDirectory("attribs", 1);
    }
}

void CgeoNew::deleteGeoDirectories() {
    while (Cvariable* d = exactChild(this, "points"))
        delete d;
    while (Cvariable* d = exactChild(this, "prims"))
        delete d;
    pointsDir = primsDir = polygonList = nullptr;
    pointSide = CattribHandler();
    primSide = CattribHandler();
    polygons.clear();
    numPoints = numPolygons = floatsPerPoint = floatsPerPrim = 0;
    setAttribShortcuts();
}

int CgeoNew::rejectContents(char const* what, long index) {
    if (index >= 0)
        VTRACE(1, "bad geo " << name << ": " << what << " " << index);
    else
        VTRACE(1, "bad geo " << name << ": " << what);
    // Nothing may index what the counts would promise.
    polygons.clear();
    numPoints = numPolygons = floatsPerPoint = floatsPerPrim = 0;
    return 1;
}

int CgeoNew::checkGroupsWithin(Cvariable* groupsDir, int limit, char const* side) {
    if (groupsDir == nullptr) return 0;
    for (Cvariable* g = groupsDir->firstChild; g; g = g->nextSibling) {
        if (!isShortLink(g))
            return rejectContents((Cstring(side) + " group of the wrong kind: " + g->name).c_str());
        auto* link = static_cast<ClinkVar*>(g);
        short const* m = groupMembers(link);
        for (int i = 0; i < groupSize(link); i++)
            if (m[i] < 0 || m[i] >= limit)
                return rejectContents(
                    (Cstring(side) + " group " + g->name + " has a member out of range:").c_str(), m[i]);
    }
    return 0;
}

int CgeoNew::initializeUsingContents() {
    pointSide = CattribHandler();
    primSide = CattribHandler();
    polygons.clear();
    numPoints = numPolygons = floatsPerPoint = floatsPerPrim = 0;
    pointsDir = exactChild(this, "points");
    primsDir = exactChild(this, "prims");
    polygonList = exactChild(primsDir, "polygonList");
    if (!pointsDir || !primsDir || !polygonList)
        return rejectContents("missing points, prims or polygonList");
    pointSide.attribs = exactChild(pointsDir, "attribs");
    pointSide.groups = exactChild(pointsDir, "groups");
    pointSide.attrData = rawLink(exactChild(pointsDir, "attr_data"));
    primSide.attribs = exactChild(primsDir, "attribs");
    primSide.groups = exactChild(primsDir, "groups");
    Cvariable* primData = exactChild(primsDir, "attr_data");
    primSide.attrData = rawLink(primData);
    if (pointSide.attrData == nullptr) return rejectContents("missing point attr_data");
    if (primData && primSide.attrData == nullptr) return rejectContents("prim attr_data of the wrong kind");

    ClinkVar* data = pointSide.attrData;
    int count = data->storage ? data->elementCount : 0;
    if (count > kMaxGeoCount) return rejectContents("too many points:", count);
    if (data->elementSize % 4) return rejectContents("point record not whole floats:", data->elementSize);
    int fpp = data->elementSize / 4;
    if (primSide.attrData && primSide.attrData->elementSize % 4)
        return rejectContents("prim record not whole floats:", primSide.attrData->elementSize);

    if (pointSide.attribs) {
        for (Cvariable* a = pointSide.attribs->firstChild; a; a = a->nextSibling) {
            if (!isShortLink(a) || a->elements() < 3)
                return rejectContents((Cstring("attribute of the wrong kind: ") + a->name).c_str());
            int offset = a->getElem_int(0), size = a->getElem_int(1);
            if (offset < 0 || size < 0 || (count > 0 && offset + size > fpp))
                return rejectContents((Cstring("attribute outside the point record: ") + a->name).c_str());
        }
    }
    std::vector<CshortLinkVar*> list;
    for (Cvariable* p = polygonList->firstChild; p; p = p->nextSibling) {
        if (!isShortLink(p))
            return rejectContents("polygon of the wrong kind:", static_cast<long>(list.size()));
        if (list.size() >= static_cast<size_t>(kMaxGeoCount)) return rejectContents("too many polygons");
        auto* poly = static_cast<CshortLinkVar*>(p);
        short const* v = groupMembers(poly);
        for (int i = 0; i < groupSize(poly); i++)
            if (v[i] < 0 || v[i] >= count)
                return rejectContents("polygon vertex out of range in polygon",
                                      static_cast<long>(list.size()));
        list.push_back(poly);
    }
    if (checkGroupsWithin(pointSide.groups, count, "point")) return 1;
    if (checkGroupsWithin(primSide.groups, static_cast<int>(list.size()), "prim")) return 1;
    numPoints = static_cast<short>(count);
    if (checkStringTables()) return 1;

    polygons = std::move(list);
    numPolygons = static_cast<short>(polygons.size());
    floatsPerPoint = static_cast<short>(fpp);
    if (primSide.attrData) floatsPerPrim = static_cast<short>(primSide.attrData->elementSize / 4);
    setAttribShortcuts();
    return 0;
}

void CgeoNew::setAttribShortcuts() {
    posOffset = posSize = 0;
    colorOffset = -1, colorSize = 0;
    normalOffset = uvOffset = uvBOffset = specOffset = -1;
    if (pointSide.attribs == nullptr) return;
    for (Cvariable* a = pointSide.attribs->firstChild; a; a = a->nextSibling) {
        if (!isShortLink(a) || a->elements() < 3) continue;
        auto offset = static_cast<short>(a->getElem_int(0));
        auto size = static_cast<short>(a->getElem_int(1));
        if (a->name == "pos") {
            posOffset = offset, posSize = size;
        } else if (a->name == "N") {
            normalOffset = offset;
        } else if (a->name == "spec") {
            specOffset = offset;
        } else if (a->name == "Cd") {
            colorOffset = offset, colorSize = size;
            VTRACE(2, "Cd elements = " << size);
        } else if (a->name == "rgba") {
            // Never more colour floats than the attribute holds.
            colorOffset = offset, colorSize = size < 4 ? size : 4;
            a->setName("Cd");
            VTRACE(2, "rgba elements = " << colorSize);
        } else if (a->name == "uv") {
            uvOffset = offset;
        } else if (a->name == "uvB") {
            uvBOffset = offset;
        } else if (a->name == "Alpha" && colorOffset == -1) {
            a->setName("Cd");
            colorOffset = offset, colorSize = size;
            VTRACE(2, "color elems=" << size);
            // A model coloured by alpha alone is not drawable as made; the run ends.
            setExitError("ce=0", 1);
        }
    }
}

bool requireInterleaved(CgeoNew const& geo, bool wanted) {
    if ((geo.interleaved != 0) == wanted) return true;
    setExitError("notInterlvd", 1);
    return false;
}

void CgeoNew::scaleSize(float factor) {
    VTRACE(2, "scalesize " << factor);
    float* data = pointData();
    if (data == nullptr || posSize < 3) return;
    for (int p = 0; p < numPoints; p++) {
        float* v = interleaved
                       ? pointRecord(p) + posOffset
                       : data + static_cast<size_t>(posOffset) * numPoints + static_cast<size_t>(p) * posSize;
        v[0] *= factor, v[1] *= factor, v[2] *= factor;
    }
}

int CgeoNew::polygonSize(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= polygons.size()) return 0;
    return groupSize(polygons[static_cast<size_t>(i)]);
}

short const* CgeoNew::polygonIndices(int i) const {
    if (i < 0 || static_cast<size_t>(i) >= polygons.size()) return nullptr;
    return groupMembers(polygons[static_cast<size_t>(i)]);
}
