#include "world/thingServices.h"

#include <algorithm>
#include <cfloat>

#include "support/frustum.h"

uint8_t customTextureFailed = 0;
uint8_t useAssets = 0;

float clampToFloat(double value) {
    if (value > FLT_MAX) return FLT_MAX;
    if (value < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(value);
}

float CtankServices::tankValue(char const* varName, float fallback) {
    Cvariable* v = getChild(varName);
    return v ? clampToFloat(v->getFloat()) : fallback;
}

int CtankServices::setTankValue(char const* varName, float value) {
    Cvariable* v = getChild(varName);
    if (v == nullptr) return 1;
    v->setFloat(value);
    return 0;
}

float CtankServices::levelSetAt(Cvector const&) {
    return 10.0f;
}

bool CtankServices::groundHeightAt(float, float, float&) {
    return false;
}

bool CtankServices::groundAndShadowAt(float x, float z, float& height, float& strength) {
    strength = 1.0f;
    return groundHeightAt(x, z, height);
}

bool CtankServices::waterPushAt(float, float, float& px, float& py) {
    px = py = 0.0f;
    return false;
}

int CtankServices::avoidanceList(Cthing*, float, Cthing**, float*, int) {
    return 0;
}

void CtankServices::fishVolume(Cvector& lo, Cvector& hi) {
    lo = Cvector(0.0f, 0.0f, 0.0f);
    hi = Cvector(1.0f, 1.0f, 1.0f);
}

void CtankServices::containPointWithinFishFrustum(Cvector& p, float margin) {
    CflatFrustum const* f = occupantFrustum();
    if (f == nullptr || f->depthScale == 0.0f) return;
    f->realToFrustum(p);
    // Each bound on its own: a margin past the middle lets the lower bound win.
    auto clampInto = [](float v, float lo, float hi) { return v < lo ? lo : std::min(v, hi); };
    p.x = clampInto(p.x, -1.0f + margin, 1.0f - margin);
    p.y = clampInto(p.y, -1.0f + margin, 1.0f - margin);
    p.z = clampInto(p.z, margin, 1.0f - margin);
    f->frustumToReal(p);
}
