#include "world/thingServices.h"

#include <cfloat>

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

int CtankServices::avoidanceList(Cthing*, float, Cthing**, float*, int) {
    return 0;
}
