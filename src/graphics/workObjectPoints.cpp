// Direct access to the points of a work buffer, for things that finish their own points
// after the deformation.
#include "graphics/workObject.h"

float* CworkObject::pointPosition(int buffer, int point) {
    if (buffer < 0 || buffer > 1) return nullptr;
    CgeoNew& geo = workGeo[buffer];
    float* data = geo.pointData();
    if (data == nullptr || point < 0 || point >= geo.numPoints || geo.posSize < 3) return nullptr;
    if (geo.interleaved) return geo.pointRecord(point) + geo.posOffset;
    // Attribute-major: each attribute is one block of every point's values.
    return data + static_cast<size_t>(geo.posOffset) * geo.numPoints +
           static_cast<size_t>(point) * geo.posSize;
}
