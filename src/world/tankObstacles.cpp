// What swimming animals steer around in a real tank: the level-set volume of the rocks,
// sand and walls, the sand's height image, the obstacle spheres and the proximity pairs.
#include <cmath>

#include "data/dataArray.h"
#include "world/tank.h"
#include "world/tankThings.h"

float Ctank::levelSetAt(Cvector const& p) {
    auto const* volume = dynamic_cast<CdataVolume const*>(levelSet);
    if (volume == nullptr || volume->floatData == nullptr || !std::isfinite(p.x) || !std::isfinite(p.y) ||
        !std::isfinite(p.z))
        return CtankServices::levelSetAt(p);
    float value = 0.0f;
    volume->getValues(p.x, p.y, p.z, &value, 1u);
    return value;
}

bool Ctank::hasLevelSetVolume() {
    auto const* volume = dynamic_cast<CdataVolume const*>(levelSet);
    return volume != nullptr && volume->floatData != nullptr;
}

bool Ctank::groundHeightAt(float x, float z, float& height) {
    auto const* image = dynamic_cast<CdataImage const*>(heightField);
    if (image == nullptr || image->floatData == nullptr || !std::isfinite(x) || !std::isfinite(z))
        return false;
    image->getValues(x, z, &height, 1u);
    return std::isfinite(height);
}

bool Ctank::groundAndShadowAt(float x, float z, float& height, float& strength) {
    auto const* image = dynamic_cast<CdataImage const*>(heightField);
    if (image == nullptr || image->floatData == nullptr || !std::isfinite(x) || !std::isfinite(z))
        return false;
    float values[2] = {0.0f, 1.0f};
    image->getValues(x, z, values, image->chans >= 2 ? 3u : 1u);
    height = values[0];
    // The tank's scale scaled the strength with the heights: shadows would darken in a
    // larger tank and fade in a smaller one.
    strength = image->chans >= 2 && image->scaled && tankScale > 0.0f ? values[1] / tankScale : values[1];
    return std::isfinite(height) && std::isfinite(strength);
}

int Ctank::avoidanceList(Cthing* thing, float range, Cthing** things, float* distances, int capacity) {
    if (tankThingAccess == nullptr) return 0;
    int n = prepareMyAvoidanceList(tankThingAccess->node(thing), range);
    int kept = 0;
    for (int i = 0; i < n && kept < capacity; i++) {
        Cthing* other = tankThingAccess->asThing(proximityThingList[static_cast<size_t>(i)]);
        if (other == nullptr) continue;
        things[kept] = other;
        distances[kept++] = proximityDistList[static_cast<size_t>(i)];
    }
    return kept;
}

void Ctank::releaseSpheres() {
    if (spheres && freeTankSpheres) freeTankSpheres(spheres);
    spheres = nullptr;
}
