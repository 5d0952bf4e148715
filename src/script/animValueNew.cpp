// Keyframed values and their key pool.
#include "script/animValueNew.h"

#include "support/cerr.h"

CanimKeyframeManager keyFrameManager;
float accumTime = 0.0f;

// ---- key pool ----

CanimKeyframeManager::~CanimKeyframeManager() {
    freeAllSpares();
    keepSpares = 0;
}

CanimKeyframe* CanimKeyframeManager::fetchKeyframe() {
    if (keepSpares && freeList) {
        CanimKeyframe* key = freeList;
        freeList = key->nextKey;
        spareCount--;
        // A reused key starts blank, so a caller that fills only part of it reads no
        // values left from its last use.
        *key = CanimKeyframe();
        return key;
    }
    allocated++;
    return new CanimKeyframe();
}

void CanimKeyframeManager::doneWithKeyframe(CanimKeyframe* key) {
    if (key == nullptr) return;
    if (!keepSpares) {
        delete key; // the pool is gone (shut-down): nothing will reuse it
        return;
    }
    key->nextKey = freeList;
    freeList = key;
    spareCount++;
}

void CanimKeyframeManager::freeAllSpares() {
    if (!keepSpares) return;
    int freed = 0;
    while (CanimKeyframe* key = freeList) {
        freeList = key->nextKey;
        delete key;
        freed++;
    }
    spareCount = 0;
    VTRACE(1, "freed " << freed << " spare keyframes");
}

// ---- keyframed value ----

CanimValueNew& CanimValueNew::operator=(float value) {
    if (keys) {
        timeInSegment = 0.0f;
        startValue = currentValue;
        clearAllKeys();
    }
    currentValue = value;
    return *this;
}

void CanimValueNew::setKey(float value, float time, unsigned char flags) {
    timeInSegment = 0.0f;
    accumTime = 0.0f;
    startValue = currentValue;
    clearAllKeys();
    nextKey(value, time, flags);
}

CanimKeyframe* CanimValueNew::addKeyAndReturn() {
    CanimKeyframe* key = keyFrameManager.fetchKeyframe();
    CanimKeyframe** tail = &keys;
    while (*tail)
        tail = &(*tail)->nextKey;
    *tail = key;
    return key;
}

void CanimValueNew::nextKey(float value, float time, unsigned char flags) {
    bool first = keys == nullptr;
    CanimKeyframe* key = addKeyAndReturn();
    key->keyValue = value;
    key->keyFlags = flags;
    if (!(time >= 0.001f)) time = 0.001f;
    key->duration = time - accumTime;
    accumTime = time;
    // The first key of a list sets the segment being travelled.
    if (first) useNextKey();
}

void CanimValueNew::useNextKey() {
    if (keys == nullptr) return;
    segmentDuration = keys->duration;
    inverseDuration = 1.0f / segmentDuration;
}

void CanimValueNew::goNextKeyframe() {
    CanimKeyframe* key = keys;
    if (key == nullptr) return;
    startSlope = -key->slope;
    keys = key->nextKey;
    keyFrameManager.doneWithKeyframe(key);
}

void CanimValueNew::clearAllKeys() {
    while (keys)
        goNextKeyframe();
}

void CanimValueNew::smoothSlopes(CanimKeyframe* first) {
    CanimKeyframe* prev = first;
    for (CanimKeyframe* k = first; k; prev = k, k = k->nextKey) {
        if (k->keyFlags == KEY_KEEP_SLOPE) continue;
        CanimKeyframe* n = k->nextKey;
        float rise, run;
        if (n) {
            rise = n->keyValue - prev->keyValue;
            run = (k == first ? 0.0f : k->duration) + n->duration;
        } else {
            rise = k->keyValue - prev->keyValue;
            run = k->duration;
        }
        // Keys at the same time have no slope between them; flat beats infinite.
        k->slope = run != 0.0f ? -rise / run : 0.0f;
    }
}

void CanimValueNew::showKeyframes() {
    float t = 0.0f;
    for (CanimKeyframe* k = keys; k; k = k->nextKey) {
        t += k->duration;
        VTRACE(1, "key " << k->keyValue << " at " << t);
    }
}

void CanimValueNew::update(float dt) {
    if (keys == nullptr) return;
    float t = timeInSegment + dt;
    while (t >= segmentDuration) {
        CanimKeyframe* passed = keys;
        float passedValue = passed->keyValue;
        startValue = passedValue;
        goNextKeyframe();
        t -= segmentDuration;
        if (keys == nullptr) {
            timeInSegment = t;
            currentValue = passedValue;
            return;
        }
        useNextKey();
    }
    timeInSegment = t;
    CanimKeyframe* key = keys;
    unsigned char flags = key->keyFlags;
    float u = t * inverseDuration;
    if (flags & KEY_SMOOTH)
        u = u * u * (3.0f - 2.0f * u);
    else if (flags == KEY_EASE_IN)
        u = u * u;
    else if (flags == KEY_EASE_OUT)
        u = u * (2.0f - u);
    if ((flags & KEY_SLOPES) && flags != KEY_EASE_OUT && flags != KEY_EASE_IN) {
        float a = startValue + startSlope * t;
        float b = key->keyValue + key->slope * (segmentDuration - t);
        currentValue = a + (b - a) * u;
    } else {
        currentValue = startValue + (key->keyValue - startValue) * u;
    }
}
