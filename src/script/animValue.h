// Floats that glide instead of jumping.
//
// CanimValue moves its value to a target over a number of frames along one of four
// curves and can hold a queue of further moves; CanimDelayedSetVal takes a new value
// after a delay; CbufferedDelayAnimValue replays another float with a variable lag. All
// are float link variables, so they can be registered under a name, read and set by
// scripts and saved like any float. Their owner calls update once per frame.
#pragma once

#include <vector>

#include "script/adsrPool.h"
#include "variables/variableBasics.h"

// Move curves of CanimValue.
enum : unsigned char { CURVE_LINEAR = 0, CURVE_SMOOTHSTEP = 1, CURVE_QUADRATIC = 2, CURVE_CUBIC = 3 };

class CanimBase : public CfloatLinkVar {
  public:
    using Cvariable::operator=;
    // Nothing to step in the base.
    int update() override { return 0; }
    // Every element of the linked storage becomes value.
    void fillWith(float value);

    float progress = 0.0f; // 0 at the start of a move, done above 0.9999
    float step = 0.0f;     // added to progress every update: 1 / frames
    unsigned char active = 0;
};

class CanimValue : public CanimBase {
  public:
    using Cvariable::operator=;
    CanimValue();
    // Queued moves go back to the pool.
    ~CanimValue() override;

    // Starts a move to target now, from the current value. Frames are floored and raised
    // to at least 1. A nonzero clearQueue drops the queued moves; otherwise they follow.
    void setMove(float target, float frames, unsigned char curve, unsigned char clearQueue);
    // Starts at once when idle with an empty queue; otherwise queues the move last.
    void setNextMove(float target, float frames, unsigned char curve);
    // Drops every queued move; the running one goes on.
    void clearFuture();
    // Drops the first queued move.
    void clearNext();
    // One frame of the move; the next queued move starts in the update that ends one.
    // Gives 0.
    int update() override;
    float getValueAndUpdate() {
        update();
        return ownValue;
    }
    // Queued moves not yet started.
    int queuedMoves() const;

    unsigned char curve = CURVE_LINEAR;
    CnextADSR* nextMoves = nullptr;
    float startValue = 0.0f;
    float delta = 0.0f;
    float ownValue = 0.0f;

  private:
    void beginMove(float target, float frames, unsigned char moveCurve);
};

// A float that takes a new value after a delay.
class CanimDelayedSetVal : public CanimBase {
  public:
    using Cvariable::operator=;
    // The linked float becomes value after frames updates (0 frames: the next update).
    void set(float value, float frames);
    int update() override;

    float targetValue = 0.0f;
};

// Replays a source float with a lag (in frames, read from a second float each update).
class CbufferedDelayAnimValue : public CfloatLinkVar {
  public:
    using Cvariable::operator=;
    CbufferedDelayAnimValue();

    // Binds the source and the lag, and fills the history with the source's value. A
    // length below 2 is raised to 2 so that two neighbouring entries always exist.
    void setAnimLagStuff(float* sourceValue, float* lagValue, int length);
    // Shifts the history and interpolates the lagged value; "badlag" on a non-finite
    // result. Does nothing before setAnimLagStuff.
    int update() override;

    float ownValue = -99.0f;
    int historyLength = 0;
    float maxLag = 0.0f;
    float* lagSource = nullptr;
    float* source = nullptr;
    // A ring: the newest entry sits at newest, older ones follow it (wrapping), so a
    // frame writes one entry instead of shifting them all.
    std::vector<float> history;
    int newest = 0;

  private:
    float lagged(int age) const { return history[static_cast<size_t>((newest + age) % historyLength)]; }
};
