// Keyframed values: a float driven by a list of keys in time.
//
// Each key gives a value, the time it takes to reach it from the previous key and how to
// travel there. The value is advanced by elapsed time, consumes its keys as they pass and
// then holds the last value. Keys are recycled through the global keyFrameManager.
#pragma once

// Key flags: bit 0 smoothstep, bit 1 bend along the slopes at the keys; exactly 8 eases
// out, exactly 16 eases in; anything else travels linearly.
enum : unsigned char {
    KEY_SMOOTH = 1,
    KEY_SLOPES = 2,
    KEY_KEEP_SLOPE = 7, // smoothSlopes leaves a key with exactly these flags alone
    KEY_EASE_OUT = 8,
    KEY_EASE_IN = 16,
};

class CanimKeyframe {
  public:
    float keyValue = 0.0f;
    float duration = 0.0f; // from the previous key (or the start) to this one
    float slope = 0.0f;    // rate of change at the key, stored negated
    CanimKeyframe* nextKey = nullptr;
    unsigned char keyFlags = 0;
};

class CanimKeyframeManager {
  public:
    CanimKeyframeManager() = default;
    ~CanimKeyframeManager();
    CanimKeyframeManager(CanimKeyframeManager const&) = delete;
    CanimKeyframeManager& operator=(CanimKeyframeManager const&) = delete;

    // A blank key: a spare when one is kept, else a new one.
    CanimKeyframe* fetchKeyframe();
    // Keeps the key as a spare; once spares are no longer kept the key is freed.
    void doneWithKeyframe(CanimKeyframe* key);
    // Frees every spare key.
    void freeAllSpares();

    CanimKeyframe* freeList = nullptr;
    unsigned short keepSpares = 1;
    unsigned short allocated = 0;
    int spareCount = 0;
};

extern CanimKeyframeManager keyFrameManager;
// Absolute time of the last key appended by nextKey (keys are set up one value at a time).
extern float accumTime;

class CanimValueNew {
  public:
    CanimValueNew() = default;
    // Keys left go back to the pool.
    ~CanimValueNew() { clearAllKeys(); }
    CanimValueNew(CanimValueNew const&) = delete;
    CanimValueNew& operator=(CanimValueNew const&) = delete;

    // Jumps to value, dropping any keys.
    CanimValueNew& operator=(float value);
    // Starts a new key list from the current value: one key reached at time.
    void setKey(float value, float time, unsigned char flags);
    // Appends a key reached at the absolute time (at least 0.001) since setKey.
    void nextKey(float value, float time, unsigned char flags);
    // Appends a blank key for the caller to fill.
    CanimKeyframe* addKeyAndReturn();
    // Segment length from the first key.
    void useNextKey();
    // Drops the first key, taking its slope as the start slope.
    void goNextKeyframe();
    void clearAllKeys();
    // Sets every key's slope from its neighbours (central differences).
    void smoothSlopes(CanimKeyframe* first);
    void showKeyframes();
    // Advances by dt, passing as many keys as dt covers.
    void update(float dt);

    float getValue() const { return currentValue; }
    bool atRest() const { return keys == nullptr; }

    float startValue = 0.0f;
    float segmentDuration = 0.0f;
    float startSlope = 0.0f;
    CanimKeyframe* keys = nullptr;
    float currentValue = 0.0f;
    float inverseDuration = 0.0f;
    float timeInSegment = 0.0f;
};
