// The frame road and the geometry road.
//
// Behaviour runs once per tank frame; the refreshes in between only blend the two work
// buffers. Drawing therefore runs one behaviour frame behind: at fraction 0 the renderer
// gets the previous frame's geometry, which reaches the newest as the fraction nears 1.
#include <cstdio>

#include "graphics/workObject.h"
#include "support/cerr.h"
#include "things/thing.h"
#include "world/thingServices.h"

int Cthing::updateThing(int frame, float frameFraction) {
    if (!active) return 0;
    if (!initialized) {
        char text[300];
        std::snprintf(text, sizeof text, "%s is not initialized", name.c_str());
        setExitError(text, 1);
        return 1;
    }
    // The first two geometries after joining a tank always come from a behaviour frame,
    // so both buffers hold real geometry before any blending.
    if (lastUpdateFrame < frame || !smoothing || geometryCount < 2) {
        getMidPos(lastMidPos);
        prepForCook();
        doBehavior();
        goFish(1);
        needsGeometry = 1;
    } else {
        needsGeometry = 0;
    }
    fraction = (smoothing && geometryCount >= 1) ? frameFraction : 0.0f;
    lastUpdateFrame = frame;
    return 0;
}

CworkObject* Cthing::getFinalGeometry() {
    if (workObject == nullptr || framesUpdated < 1) return nullptr;
    if (needsGeometry) {
        // The work object hands the buffer just deformed back to the kind's own pass.
        workObject->calcGeometry(bufferIndex);
        if (smoothing) bufferIndex = static_cast<uint16_t>(1 - bufferIndex);
        lastFraction = 0.0f;
        needsGeometry = 0;
    }
    int handedOut = bufferIndex;
    if (smoothing) {
        if (fraction != 0.0f) {
            // Each refresh moves the older buffer the rest of the way it still has to go,
            // so the steps of one frame interval add up to the fraction.
            float remaining = 1.0f - lastFraction;
            float t = remaining > 0.0f ? (fraction - lastFraction) / remaining : 1.0f;
            workObject->interpolateGeoWith(static_cast<short>(bufferIndex),
                                           static_cast<short>(1 - bufferIndex), t);
            lastFraction = fraction;
            workObject->calcBlendedMatrix(fraction);
        }
        if (workObject->texShiftUVSet < 65535)
            workObject->shiftTexCoords(static_cast<short>(bufferIndex),
                                       static_cast<short>(workObject->texShiftUVSet),
                                       tank ? tank->textureTime : 0.0);
        oncePerRefreshFinalProcessing();
        // The very first geometry has nothing to blend from: hand out the fresh one.
        if (geometryCount == 0) handedOut = 1 - bufferIndex;
        geometryCount++;
    }
    workObject->curGeo = &workObject->workGeo[handedOut];
    workObject->prevGeo = &workObject->workGeo[1 - handedOut];
    return workObject;
}

void CthingWorkObjectOwner::postDeformProcessing(CworkObject& object) {
    thing.postDeformProcessing(object);
}
