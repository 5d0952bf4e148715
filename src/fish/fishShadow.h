// A fish's shadow on the tank floor: a thing hanging from the fish whose joints copy the
// fish's spine, laid on the floor after deformation and darker the nearer the fish swims
// to the floor.
#pragma once

#include "support/list.h"
#include "things/attachedThing.h"

class Cfish;

class CfishShadow : public CattachedThing {
  public:
    // Spine joints the shadow copies each frame.
    static constexpr int kShadowSpineJoints = 5;

    // Hangs the shadow from master, which must be a fish, and binds its skeleton to the
    // fish's spine at the fish's body length. 0; 1 for a master that is no fish (traced only),
    // or 1 (recorded) for a shadow attached before or a model that cannot follow the spine.
    int attachThing(Cthing* master, int kind) override;
    // The species must carry an alpha per point. 0; 1 (recorded) without one.
    int resetThing(int mode) override;
    void prepForCook() override {}
    // Rotations and positions from the fish's spine, and its height over the floor.
    void goFish(int frame) override;
    // Alphas from the height and the floor's shadow strength, points on the floor and a
    // little towards the camera; the materials show only while some alpha remains.
    void postDeformProcessing(CworkObject& object) override;
    // How dark the shadow is for the fish's height over the floor: 0.8 resting, 0 from 3.34
    // body lengths up.
    float darkness() const;
    // The skeleton's scale becomes the fish's body length when that changed since the shadow
    // was attached (a length set after the fish joined its tank).
    void followBodyLength();

    Cfish* fish = nullptr;
    int32_t matrixCount = 0;
    Clist<Cmatrix3*> fishRotations;
    Clist<Cvector*> fishPoints;
    Clist<Cmatrix3> shadowRotations;
    Clist<Cvector> shadowPoints;
    Clist<float> heights;
    float fishBodyLength = 1.0f;
};

// Whether the model's points carry an alpha (a four- or one-float colour).
bool modelHasAlpha(class CgeoNew const* model);
