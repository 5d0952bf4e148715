#include "script/proximityVar.h"

#include "support/cerr.h"

void CproximityVar::setThings(CproximityParty* a, CproximityParty* b) {
    if (a == nullptr || b == nullptr) {
        setExitSpecial(this, "proximity without two things");
        return;
    }
    setDualLinkParents(a->proximityDirectory(), b->proximityDirectory(), 0);
    thingA = a;
    thingB = b;
    float scaleA = a->proximityScale();
    float scaleB = b->proximityScale();
    pairScale = scaleA > scaleB ? scaleA : scaleB;
}

float CproximityVar::updateGross() {
    if (thingA == nullptr || thingB == nullptr) return squaredDistance;
    Cvector a = thingA->proximityPosition();
    Cvector b = thingB->proximityPosition();
    float dx = b.x - a.x;
    float dy = b.y - a.y;
    float dz = b.z - a.z;
    squaredDistance = dx * dx + dy * dy + dz * dz;
    return squaredDistance;
}
