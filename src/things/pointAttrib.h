// One named point attribute of an interleaved model, read point by point.
#pragma once

#include "graphics/geoNew.h"

class CpointAttrib {
  public:
    // The attribute of that name in geo (absent when geo is null or lacks it).
    CpointAttrib(CgeoNew const* geo, char const* attribName) {
        if (geo == nullptr) return;
        offset = geo->findAttrib(attribName, 0);
        size = offset >= 0 ? geo->findAttrib(attribName, 1) : 0;
        if (size < 1) offset = -1;
    }
    bool present() const { return offset >= 0; }
    // Up to four components of point p into out; what the attribute lacks reads as 0.
    void read(CgeoNew const& geo, int p, float* out) const {
        out[0] = out[1] = out[2] = out[3] = 0.0f;
        if (!present() || p < 0 || p >= geo.numPoints || geo.pointData() == nullptr) return;
        float const* record = geo.pointRecord(p) + offset;
        for (int c = 0; c < size && c < 4; c++)
            out[c] = record[c];
    }

    int offset = -1;
    int size = 0;
};
