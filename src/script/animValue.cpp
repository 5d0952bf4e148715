// Animated values: curve moves with a queue of further moves, and delayed sets.
#include "script/animValue.h"

#include <cmath>

void CanimBase::fillWith(float value) {
    int n = elements();
    for (int i = 0; i < n; i++)
        setElem_float(static_cast<unsigned short>(i), value);
}

CanimValue::CanimValue() {
    setPointer(&ownValue);
}

CanimValue::~CanimValue() {
    clearFuture();
}

// Frames floored and at least 1; not a number counts as 1.
static float wholeFrames(float frames) {
    float f = std::floor(frames);
    return f >= 1.0f ? f : 1.0f;
}

void CanimValue::beginMove(float target, float frames, unsigned char moveCurve) {
    float f = wholeFrames(frames);
    startValue = static_cast<float>(getFloat());
    delta = target - startValue;
    progress = 0.0f;
    step = 1.0f / f;
    active = 1;
    curve = moveCurve;
}

void CanimValue::setMove(float target, float frames, unsigned char moveCurve, unsigned char clearQueue) {
    beginMove(target, frames, moveCurve);
    if (clearQueue) clearFuture();
}

void CanimValue::setNextMove(float target, float frames, unsigned char moveCurve) {
    if (!active && nextMoves == nullptr) {
        setMove(target, frames, moveCurve, 1);
        return;
    }
    CnextADSR* node = currentAdsrPool().fetchADSR();
    node->target = target;
    node->frames = frames;
    node->curve = moveCurve;
    CnextADSR** tail = &nextMoves;
    while (*tail)
        tail = &(*tail)->next;
    *tail = node;
}

void CanimValue::clearFuture() {
    while (nextMoves)
        clearNext();
}

void CanimValue::clearNext() {
    CnextADSR* node = nextMoves;
    if (node == nullptr) return;
    nextMoves = node->next;
    node->next = nullptr;
    currentAdsrPool().addADSR(node);
}

int CanimValue::queuedMoves() const {
    int n = 0;
    for (CnextADSR* node = nextMoves; node; node = node->next)
        n++;
    return n;
}

int CanimValue::update() {
    if (!active) return 0;
    progress += step;
    float t = progress;
    switch (curve) {
    case CURVE_LINEAR:
        ownValue = startValue + delta * t;
        break;
    case CURVE_SMOOTHSTEP:
        ownValue = startValue + (3.0f - 2.0f * t) * t * t * delta;
        break;
    case CURVE_QUADRATIC:
        ownValue = startValue + t * t * delta;
        break;
    case CURVE_CUBIC:
        ownValue = startValue + t * t * t * delta;
        break;
    default: // an unknown curve holds the value
        break;
    }
    if (static_cast<double>(t) > 0.9999) {
        if (CnextADSR* node = nextMoves) {
            nextMoves = node->next;
            beginMove(node->target, node->frames, node->curve);
            node->next = nullptr;
            currentAdsrPool().addADSR(node);
        } else {
            active = 0;
        }
    }
    // Driving a float of another object: write the value through.
    if (storage != &ownValue) setElem_float(0, ownValue);
    return 0;
}

void CanimDelayedSetVal::set(float value, float frames) {
    targetValue = value;
    progress = 0.0f;
    step = 1.0f / frames;
    active = 1;
}

int CanimDelayedSetVal::update() {
    if (!active) return 0;
    progress += step;
    if (static_cast<double>(progress) > 0.9999) {
        setFloat(targetValue);
        active = 0;
    }
    return 0;
}
