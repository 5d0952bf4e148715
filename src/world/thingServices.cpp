#include "world/thingServices.h"

uint8_t customTextureFailed = 0;
uint8_t useAssets = 0;

float CtankServices::tankValue(char const* varName, float fallback) {
    Cvariable* v = getChild(varName);
    return v ? static_cast<float>(v->getFloat()) : fallback;
}

int CtankServices::setTankValue(char const* varName, float value) {
    Cvariable* v = getChild(varName);
    if (v == nullptr) return 1;
    v->setFloat(value);
    return 0;
}
