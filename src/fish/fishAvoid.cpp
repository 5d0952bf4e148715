// What a fish steers around: spheres seen from its head become rectangles of its steering
// space (heading change by pitch change); the floor, the back wall, other animals and the
// tank's sphere field all become such spheres. Also the probes for a clear heading and the
// collision planes along the body.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "fish/fish.h"
#include "fish/pseudoAngle.h"
#include "support/cerr.h"
#include "world/thingServices.h"

void Cfish::addVisualAvoidanceObjects() {
    avoidZone.count = 0;
    if (groundChecks) {
        if (CsphereField* field = tank ? tank->sphereField() : nullptr)
            field->addSphereFieldAvoidanceRects(*this);
        doGroundAndWallAvoidanceSpheres();
    }
    if (obstacleChecks) addFishAvoidanceZones();
}

bool Cfish::getSphereViewRect(Cvector const& centre, float radius, Crect& out) {
    Cvector v = centre - vertex[3];
    float reach = 1.0f + radius + realSpeed;
    if (!(v.lengthSquared() < reach * reach) || radius <= 0.0f) return false;
    v /= controlOrientation[0];
    if (v.z <= -radius) return false;
    float d = 0.0f;
    float heading = vectToAngleAndDist(v.x, v.z, d);
    float pitch, halfWidth, halfHeight;
    if (radius > d) {
        float len = v.length();
        if (!(len > 0.0f)) return false;
        float k = 1.0f / len;
        pitch = std::asin(std::clamp(v.y * k, -1.0f, 1.0f));
        float w = std::asin(std::min(radius * k, 1.0f));
        halfHeight = w * (safetyClearance + radius) / radius;
        halfWidth = w / std::max(std::cos(pitch), 1e-3f);
    } else {
        float k = 0.0f;
        pitch = vectToAngleAndInvDist(v.y, d, k);
        // The arc sine, not its first-order r / d: that undershoots the angle a sphere
        // subtends as it nears, by up to a third where this meets the near case above.
        float w = std::asin(std::min(radius * k, 1.0f));
        halfWidth = w;
        halfHeight = w * (safetyClearance + radius) / radius;
    }
    out = Crect(heading - halfWidth, heading + halfWidth, pitch - halfHeight, pitch + halfHeight);
    return true;
}

void Cfish::doGroundAndWallAvoidanceSpheres() {
    Cvector const& mid = vertex[4];
    float ground = 0.0f;
    if (tank == nullptr || !tank->groundHeightAt(mid.x, mid.z, ground)) return;
    Crect rect;
    auto offer = [&](Cvector const& c, float r) {
        if (getSphereViewRect(c, r, rect)) avoidZone.addAvoidRect(rect);
    };
    float lowest = vertex[0].y;
    for (int i = 1; i < bodyPoints; i++)
        lowest = std::min(lowest, vertex[i].y);
    if (boundingBoxMin[1] <= boundingBoxMax[1]) lowest = boundingBoxMin[1];
    if (ground + 2.0f > lowest) {
        offer(Cvector(mid.x, std::min(ground, lowest) - 1.0f, mid.z), 1.0f);
        Cvector ahead(vertexOrientation[4].forward.x, 0.0f, vertexOrientation[4].forward.z);
        float groundAhead = 0.0f;
        if (ahead.normalize() > 1e-12f &&
            tank->groundHeightAt(mid.x + ahead.x, mid.z + ahead.z, groundAhead) &&
            groundAhead + 0.5f > lowest) {
            drift.y += 0.0005f * bodySpeed + 0.0002f;
            markers[kGroundMarker] = 4;
            offer(Cvector(mid.x + ahead.x, std::min(groundAhead, lowest) - 0.9f + safetyClearance,
                          mid.z + ahead.z),
                  1.0f);
            minimumPitchChange = std::max(minimumPitchChange, 0.3f * (groundAhead + 0.5f - lowest));
            pitchChange = std::max(pitchChange, minimumPitchChange);
        }
    }
    Cvector const& head = vertex[0];
    float farZ = tank->farZLimit();
    if (farZ - 2.0f < head.z)
        offer(Cvector(head.x, head.y, std::max(head.z + 1.01f, farZ)), std::min(head.z - farZ + 2.0f, 1.0f));
}

void Cfish::addFishAvoidanceZones() {
    if (tank == nullptr) {
        setExitError("addFishAvoidanceZone tank=0", 1);
        return;
    }
    int n = tank->avoidanceList(this, 2.0f, nearThings, nearDistances, kNearCapacity);
    for (int i = 0; i < n; i++) {
        if (nearThings[i] == nullptr) {
            // A hole in the list: report it and steer without the rest this frame.
            setExitError("ptl!", 1);
            return;
        }
        addThingAvoidanceZone(*nearThings[i], nearDistances[i]);
    }
}

void Cfish::addThingAvoidanceZone(Cthing& thing, float q) {
    if (&thing == ignoredPartner || q >= avoidanceRangeSquared) return;
    float ahead = 0.0f;
    if (bodySpeed > 0.01f) ahead = std::min(6.0f, std::sqrt(q) * 30.0f / (bodySpeed * bodyLength));
    int n = std::min(thing.numCollisionSpheres(), 5);
    Crect rect;
    for (int i = 0; i < n; i++) {
        Cvector c;
        float r = 0.0f;
        thing.getCollisionSphere(i, ahead, c, r);
        if (getSphereViewRect(c, r, rect)) avoidZone.addAvoidRect(rect);
    }
}

float Cfish::getTankLevelSetValue(short v, float side, float up, float forward) {
    if (tank == nullptr) return 10.0f;
    int i = std::clamp<int>(v, 0, lastPoint);
    Cmatrix3 const& o = vertexOrientation[4];
    float s = thingScale;
    return tank->levelSetAt(vertex[i] + o.side * (side * s) + o.up * (up * s) + o.forward * (forward * s));
}

float Cfish::findClearestHeading(float minimumTurn, float maximumTurn, float distance) {
    if (!(maximumTurn > 0.0f) || tank == nullptr) return 0.0f;
    int n = static_cast<int>(std::min(maximumTurn * 5.729578f + 1.0f, 64.0f));
    float step = maximumTurn / n;
    float lower = minimumTurn - 0.08726646f;
    float reach = (distance + 0.5f) * bodyLength;
    float best = 0.0f, bestValue = -2.0f;
    Cvector const& from = vertex[4];
    for (float sign : {1.0f, -1.0f}) {
        Cmatrix3 probe = vertexOrientation[4];
        probe.rotateAroundUp(sign * step);
        for (int j = 1; j < n; j++) {
            float a = sign * step * j;
            if (std::fabs(a) >= lower) {
                Cvector d = probe.forward * reach;
                float value = std::min(tank->levelSetAt(from + d), tank->levelSetAt(from - d));
                if (value > bestValue) best = a, bestValue = value;
            }
            probe.rotateAroundUp(sign * step);
        }
    }
    return best;
}

void Cfish::updateCollisionPlanes() {
    auto* chan = dynamic_cast<CdataChan*>(planesChan);
    if (chan == nullptr || CcollisionPlaneGroup::count < 4) return;
    // Four channels: plane k stands between values k and k + 1 of the body's height.
    float v[8] = {};
    unsigned mask = (1u << std::clamp<int>(chan->chans, 0, 8)) - 1u;
    chan->getValues(-currentPitch, v, mask);
    auto place = [&](CcollisionPlaneX& p, Cvector const& a, Cvector const& b, float low, float high) {
        p.start = a;
        p.start.y += low * bodyLength;
        p.height = (high - low) * bodyLength;
        p.span[0] = b.x - a.x;
        p.span[1] = b.z - a.z;
        p.calced();
    };
    for (int k = 0; k < 3; k++) {
        CcollisionPlaneX& p = CcollisionPlaneGroup::planes[k];
        place(p, vertex[3 * k], vertex[3 * k + 3], v[k], v[k + 1]);
        p.start.x += 0.5f * p.span[0];
        p.start.z += 0.5f * p.span[1];
        p.thickness = 0.15f;
        p.thicknessSquared = 0.0225f;
    }
    place(CcollisionPlaneGroup::planes[3], futurePosition[4], vertex[0], v[0], v[1]);
}

bool Cfish::fishIsWithinMyBoundingBox(Cfish const& other) const {
    if (&other == this) return false;
    for (int a = 0; a < 3; a++)
        if (other.boundingBoxMax[a] < boundingBoxMin[a] || other.boundingBoxMin[a] > boundingBoxMax[a])
            return false;
    return true;
}

Cfish* Cfish::asFish(Cvariable* v) {
    // Every fish answers the fish type (final), so the cast runs for fish only.
    return v->getType() == TYPE_FISH ? dynamic_cast<Cfish*>(v) : nullptr;
}

int Cfish::collectIntersectionsWithOtherFish(int) {
    Cvariable* list = tank ? tank->getThingList() : nullptr;
    for (Cvariable* v = list ? list->firstChild : nullptr; v; v = v->nextSibling) {
        auto* other = asFish(v);
        if (other && other->whatAmI() == WHAT_FISH && fishIsWithinMyBoundingBox(*other))
            collectCollisionGroupIntersections(other);
    }
    return collisionPlaneCollector.count;
}

int Cfish::doesPlaneIntersectOtherFish(CcollisionPlaneX& plane, int) {
    Cvariable* list = tank ? tank->getThingList() : nullptr;
    for (Cvariable* v = list ? list->firstChild : nullptr; v; v = v->nextSibling) {
        auto* other = asFish(v);
        if (other == nullptr || other == this) continue;
        for (int i = 0; i < other->CcollisionPlaneGroup::count; i++)
            if (plane.intersectsWith(other->planes[i])) return 1;
    }
    return 0;
}
