// A column of rising bubbles from one emitter point. Every joint of the model is one
// bubble, placed and scaled through the skeleton each frame. Bubbles are emitted at the
// tank's bubble rate, rise with a sideways wobble and drift, and are recycled when they
// pass the tank's kill height. Joints whose point carries a nonzero "bigOne" are big
// bubbles: they rise faster and their mesh points jiggle.
#pragma once

#include <cstdint>

#include "support/list.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "things/thing.h"
#include "world/bubbleEmitter.h"

// Bubble states.
enum : int8_t { BUBBLE_FINISHED = -1, BUBBLE_WAITING = 0, BUBBLE_RISING = 1 };

class Cbubbles : public Cthing, public CbubbleEmitter {
  public:
    // Sizes the per-bubble lists (once), parks every bubble and binds one joint per
    // bubble. 0 done; 1 failed (recorded, except a refused skeleton).
    int resetThing(int mode) override;
    // One frame: credit, emission, rising and recycling.
    void goFish(int) override;
    // Jiggles the mesh points of the big bubbles (the first 4 per big bubble).
    void postDeformProcessing(CworkObject& work) override;
    void moveAllZpos() override;

    int32_t bubbleCount = 0;
    Clist<Cvector> positions; // the joints' points
    Clist<Cmatrix3> matrices; // uniform scale while rising, all zeros while hidden
    Clist<float> speeds;      // rise per frame before division by the world speed
    Clist<int8_t> states;     // BUBBLE_...
    Clist<float> ages;        // frames since emission
    Clist<float> drifts;      // sideways drift factor
    Clist<float> wobblePhases;
    Clist<float> sizes;
    Clist<float> bigOnes;          // nonzero: a big bubble
    Clist<Cvector> emissionPoints; // centre line of the wobble
    float killHeight = 0.0f;
    float emitCredit = 0.0f;
    float noisePhase = 10.0f;
    int32_t bigCount = 0;
};
