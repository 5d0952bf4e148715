#include "script/wanderingValue.h"

#include <cmath>

#include "data/dataArray.h"
#include "script/fastNoise.h"
#include "support/helperFunctions.h"

void CwanderingValue::init(Cvariable* owner, char const* settingsName, float startPhase, int count) {
    if (owner) {
        Cvariable* settings = owner->registerFloat(minValue, settingsName, 0);
        settings->setNumElements(4);
    }
    requestNoiseChannel(this, &noise, "noise");
    channelCount = static_cast<uint8_t>(count < 0 ? 0 : (count > 3 ? 3 : count));
    channelMask = static_cast<uint8_t>((1u << channelCount) - 1);
    phase = startPhase;
}

void CwanderingValue::setDefaults(float minimum, float maximum, float power, float pace) {
    minValue = minimum;
    maxValue = maximum;
    exponent = power;
    period = pace;
}

void CwanderingValue::getChanValues(float* out) {
    // A zero or broken period holds the value still instead of sending the phase off the
    // curve for good.
    float step = 1.0f / period;
    if (!std::isfinite(step)) step = 0.0f;
    phase = wrap(phase + step, 0.0f, 50.0f);
    for (int c = 0; c < channelCount; c++)
        out[c] = 0.0f;
    // requestNoiseChannel binds float CdataChan arrays only.
    if (noise) static_cast<CdataChan const*>(noise)->getValues(phase, out, channelMask);
    if (!mapToRange) return;
    for (int c = 0; c < channelCount; c++) {
        if (exponent == 1.0f)
            out[c] = static_cast<float>(minValue +
                                        (static_cast<double>(maxValue) - minValue) * (out[c] + 1.0) * 0.5);
        else
            out[c] = minValue + (maxValue - minValue) * powf(out[c] * 0.5f + 0.5f, exponent);
    }
}
