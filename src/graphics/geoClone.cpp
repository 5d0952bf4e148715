// Work copies of a geometry's point data: cloning chosen attributes into either layout and
// copying one frame's buffer from another copy.
#include <algorithm>
#include <cstring>

#include "graphics/geoNew.h"
#include "support/cerr.h"

namespace {

// Where one cloned attribute comes from and where it goes.
struct CloneColumn {
    int from = 0;      // float offset in the source record
    int available = 0; // floats the source can supply there (the rest is zero)
    int size = 0;      // floats in the clone
    int to = 0;        // running offset in the clone
};

} // namespace

void CgeoNew::clonePoints(CgeoNew& source, std::vector<Cstring> const& names, int interleavedLayout) {
    VTRACE(2, "Cloning points");
    interleaved = interleavedLayout ? 1 : 0;
    deleteGeoDirectories();
    createMainDirectories();
    if (pointsDir == nullptr || primsDir == nullptr) return;

    int sourceFloats = source.floatsPerPoint;
    std::vector<CloneColumn> columns;
    int running = 0;
    for (Cstring const& attribName : names) {
        CloneColumn c;
        int type = 0;
        if (source.findAttrib(attribName.c_str(), 0) >= 0) {
            c.from = source.findAttrib(attribName.c_str(), 0);
            c.size = source.findAttrib(attribName.c_str(), 1);
            type = source.findAttrib(attribName.c_str(), 2);
            VTRACE(2, "readlink " << attribName << " floats=" << c.size);
            if (attribName == "Cd") VTRACE(2, "clone points elements = " << c.size);
        } else {
            c.from = 0, c.size = 3;
            VTRACE(2, attribName << " set to 3");
        }
        c.available = std::min(c.size, sourceFloats - c.from);
        if (attribName == "uv" || attribName == "uvB") c.size = 2;
        c.available = std::max(0, std::min(c.available, c.size));
        c.to = running;
        auto* link = new CshortLinkVar();
        link->setName(attribName);
        link->allocElements(3, 2);
        link->setElem_int(0, running);
        link->setElem_int(1, c.size);
        link->setElem_int(2, type);
        pointSide.attribs->addVariable(link, 1);
        VTRACE(2, attribName << " " << running);
        running += c.size;
        columns.push_back(c);
    }

    auto* list = new CfastChildArrayVar();
    list->setName("polygonList");
    primsDir->addVariable(list, 1);
    auto* data = new ClinkVar();
    data->setName("attr_data");
    data->allocElements(source.numPoints, running * 4);
    pointsDir->addVariable(data, 1);
    if (initializeUsingContents() != 0 || data->storage == nullptr) return;
    data->zeroAllocedMem();
    if (!requireInterleaved(source, true) || source.pointData() == nullptr) return;

    float* out = pointData();
    int n = numPoints;
    for (int p = 0; p < n; p++) {
        float const* record = source.pointRecord(p);
        for (CloneColumn const& c : columns) {
            float* to = interleaved ? out + static_cast<size_t>(p) * running + c.to
                                    : out + static_cast<size_t>(c.to) * n + static_cast<size_t>(p) * c.size;
            std::memcpy(to, record + c.from, sizeof(float) * static_cast<size_t>(c.available));
        }
    }
}

void CgeoNew::copyPointDataFrom(CgeoNew& source) {
    if (!requireInterleaved(*this, false) || !requireInterleaved(source, false)) return;
    float* to = pointData();
    float const* from = source.pointData();
    if (to == nullptr || from == nullptr) return;
    // Never past the end of either buffer, whatever the offsets.
    long targetStart = static_cast<long>(posOffset) * numPoints;
    long sourceStart = static_cast<long>(posOffset) * source.numPoints;
    long targetLeft = static_cast<long>(numPoints) * floatsPerPoint - targetStart;
    long sourceLeft = static_cast<long>(source.numPoints) * source.floatsPerPoint - sourceStart;
    long floats = std::min(targetLeft, sourceLeft);
    if (floats <= 0) return;
    std::memcpy(to + targetStart, from + sourceStart, sizeof(float) * static_cast<size_t>(floats));
}

void CgeoNew::copyPointDataFromAndReinterleave(CgeoNew& source) {
    if (numPoints <= 0 || numPoints != source.numPoints) return;
    if (!requireInterleaved(*this, true)) return;
    float const* from = source.pointData();
    if (pointData() == nullptr || from == nullptr || floatsPerPoint < 3 || source.floatsPerPoint < 3) return;
    for (int p = 0; p < numPoints; p++)
        std::memcpy(pointRecord(p), from + 3 * static_cast<size_t>(p), 3 * sizeof(float));
}
