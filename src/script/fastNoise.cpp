#include "script/fastNoise.h"

#include <cmath>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"

char const* const noiseFileName = "global/arrays/noise50.chan";
CdataArray* noiseWrap50x3chan = nullptr;

namespace {

constexpr float noisePeriod = 50.0f;

// Only requestNoiseChannel binds the global, and it accepts float CdataChan arrays only.
CdataChan const* noiseChan() {
    return static_cast<CdataChan const*>(noiseWrap50x3chan);
}

// Channel 0 at x, not wrapped; 0 without a noise channel.
float channel0At(float x) {
    float out[3] = {0.0f, 0.0f, 0.0f};
    if (noiseWrap50x3chan) noiseChan()->getValues(x, out, 1);
    return out[0];
}

} // namespace

bool requestNoiseChannel(Cvariable* owner, CdataArray** slot, char const* name) {
    if (owner == nullptr || slot == nullptr) return false;
    auto* ref = dynamic_cast<CdataArrayReference*>(owner->getChild(name, 0));
    if (ref == nullptr) {
        ref = registerDataArrayPointer(owner, slot, name);
        if (ref == nullptr) return false;
    } else if (ref->ownerSlot != slot) {
        setExitError("noise reference bound elsewhere", 1);
        return false;
    }
    // The relative name finds the data folder's copy (the working folder); the install
    // folder holds the one the build made.
    if (ref->requestArray(noiseFileName, "[INS]") != 0) return false;
    CdataArray* a = *slot;
    if (a == nullptr || a->getType() != 1 || a->floatData == nullptr || a->chans < 3) {
        setExitError("noise channel is not a three-channel float curve", 1);
        ref->setRealThing(nullptr);
        *slot = nullptr;
        return false;
    }
    return true;
}

bool initFastNoise(Cvariable* owner) {
    return requestNoiseChannel(owner, &noiseWrap50x3chan, "noise50ramp");
}

float fastNoise(float x) {
    return channel0At(std::fmod(x, noisePeriod));
}

float fastNoiseWrapLookupVar(float& x) {
    // wrap() reduces far values in one step, where adding 50 at a time could never end.
    x = wrap(x, 0.0f, noisePeriod);
    return channel0At(x);
}

void grabNoise3(float x, float* out) {
    out[0] = out[1] = out[2] = 0.0f;
    if (noiseWrap50x3chan) noiseChan()->getValues(x, out, 7);
}
