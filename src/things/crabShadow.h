// The shadow of a walking crab: a mesh whose body joint follows the crab's position and
// heading and whose eight foot joints follow its feet, laid on the tank floor after
// deformation and pulled a little towards the camera.
#pragma once

#include "support/list.h"
#include "things/attachedThing.h"

// What a crab shadow reads of the crab it hangs from.
class CcrabShadowSource {
  public:
    virtual ~CcrabShadowSource() = default;
    // The crab's position (its body centre over the floor).
    virtual Cvector* shadowBodyPosition() = 0;
    // The crab's joint rotations; the first is its heading.
    virtual Cmatrix3* shadowHeadingMatrices() = 0;
    // The world position of foot leg (0..7).
    virtual Cvector* shadowFoot(int leg) = 0;
};

class CcrabShadow : public CattachedThing {
  public:
    // Joints the shadow model needs: the body and the eight feet.
    static constexpr int kShadowJoints = 9;

    // Hangs the shadow from master, which must be a crab, and binds its skeleton to the
    // crab. 0; 1 (recorded) for a master that is no crab, a shadow attached before, or a
    // shadow model without its nine joints.
    int attachThing(Cthing* master, int kind) override;
    // Set up by attachThing: only traced. 0.
    int resetThing(int mode) override;
    void prepForCook() override {}
    // The joints take the crab's heading, position and feet.
    void goFish(int frame) override;
    // Every deformed point is laid on the floor and moved towards the camera.
    void postDeformProcessing(CworkObject& object) override;

    CcrabShadowSource* crab = nullptr;
    Clist<Cmatrix3*> sourceMatrices;
    Clist<Cvector*> sourcePoints;
    Clist<Cmatrix3> shadowMatrices;
    Clist<Cvector> shadowPoints;
};
