// CbufferedDelayAnimValue: a float replayed from its recent history with a variable lag.
#include "script/animValue.h"

#include <cmath>

#include "support/cerr.h"

CbufferedDelayAnimValue::CbufferedDelayAnimValue() {
    setPointer(&ownValue);
}

void CbufferedDelayAnimValue::setAnimLagStuff(float* sourceValue, float* lagValue, int length) {
    // The count is kept within 16 bits; two entries are the least an interpolation reads.
    if (length < 2) length = 2;
    if (length > 32767) length = 32767;
    source = sourceValue;
    lagSource = lagValue;
    historyLength = length;
    maxLag = static_cast<float>(static_cast<double>(length) - 1.001);
    float start = source ? *source : 0.0f;
    ownValue = start;
    history.assign(static_cast<size_t>(length), start);
    newest = 0;
}

int CbufferedDelayAnimValue::update() {
    if (source == nullptr || lagSource == nullptr || historyLength < 2) return 0;
    // Written so that a lag that is not a number reads as 0.
    float lag = *lagSource;
    if (!(lag > 0.0f)) lag = 0.0f;
    if (lag > maxLag) lag = maxLag;

    newest = newest > 0 ? newest - 1 : historyLength - 1;
    history[static_cast<size_t>(newest)] = *source;

    int i = static_cast<int>(lag);
    float f = lag - static_cast<float>(i);
    float a = lagged(i);
    ownValue = a + (lagged(i + 1) - a) * f;

    double v = ownValue;
    if (!(v > -1e200 && v < 1e200)) {
        VTRACE(1, "bad lag in " << name << " lag " << lag);
        for (int k = 0; k < historyLength; k++)
            VTRACE(1, "  history " << k << " " << lagged(k));
        setExitError("badlag", 1);
    }
    return 0;
}
