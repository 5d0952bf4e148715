// A plant swaying in the water: one joint per model point, each turning about its point's
// normal by an angle that follows the shared noise channel. All tuning comes from point
// attributes of the model ("noiseStart", "noiseAmp", optional "baseAngle"), so one class
// serves every plant.
#pragma once

#include "support/list.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "things/thing.h"

class CwavingPlant : public Cthing {
  public:
    // Binds one joint per model point. 0 done (or already set up), 1 failed (recorded).
    int resetThing(int mode) override;
    void prepForCook() override {}
    // One frame of sway: advances the clocks and turns every joint.
    void goFish(int) override;
    void getHeadPos(Cvector& out) override { out = Cvector(); }
    void getMidPos(Cvector& out) override { out = Cvector(); }
    void getTailPos(Cvector& out) override { out = Cvector(); }
    int itMoves() override { return 0; }

    int32_t jointCount = 0;
    Clist<Cmatrix3> rotations;
    Clist<Cvector> rotationAxes;
    Clist<float> baseAngles;
    Clist<float> noiseStarts;
    Clist<float> noiseAmps;
    // The second noise component: kept for models that carry one, not used by the sway.
    Clist<float> noiseStarts1;
    Clist<float> noiseAmps1;
    Cvector jointOrigin;
    float clock0 = 0.0f;
    float clock1 = 0.0f;

  private:
    void releaseLists();
};
