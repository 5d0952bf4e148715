#include "things/targetThing.h"

#include "world/thingServices.h"

void CtargetThing::goFish(int) {
    if (tank && tank->focusThing && jointCount > 0) tank->focusThing->getMidPos(jointPositions[0]);
    framesUpdated++;
}
