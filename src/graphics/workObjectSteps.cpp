// The per-frame calls a thing makes on its work object, as far as the work object itself
// goes: the deformation, blending and attribute edits fill these in.
#include "graphics/workObject.h"

int CworkObject::calcGeometry(int buffer) {
    int n = buffer ? 1 : 0;
    curGeo = &workGeo[n];
    prevGeo = &workGeo[1 - n];
    return 0;
}

int CworkObject::interpolateGeoWith(short, short, float) {
    return 0;
}

int CworkObject::shiftTexCoords(short, short, double) {
    return 0;
}

void CworkObject::mathOnAttribFromOriginalValues(char const*, int, float, float) {}
