// Peck food: food that sits on a surface of the tank (algae on a rock or the glass), which
// fish peck at rather than chase. Its particles are the points of its species' model, each
// with a position, a surface normal and two tuning values from the point attributes
// "broadcastDP" and "receiveDP". Pecking never uses a particle up.
#pragma once

#include "support/list.h"
#include "things/food.h"

class CpeckFoodItem : public CfoodItem {
  public:
    Cvector normal;           // the surface normal, unit length
    Cvector approach;         // unit direction from the particle to the eater that chose it
    float broadcastDP = 0.0f; // least cosine between normal and the way to an eater to offer it
    float receiveDP = 0.0f;   // how squarely an eater must face the surface to peck
};

class CpeckFood : public Cfood {
  public:
    // Acts only while the prepare-for-delete flag is set: the food teardown.
    void prepareForDelete() override;
    // Makes one particle per model point, once; a later reset only restarts the rotating
    // choice. 0 done, 1 for a model without normals or the two attributes (recorded).
    int resetThing(int mode) override;
    void prepForCook() override {}
    void goFish(int) override { framesUpdated++; }
    // Joins the tank's food list. 0.
    int doExtraInit() override;

    // The next particle after the last one examined whose surface faces the eater, between
    // sqrt(0.3) and sqrt(1.4) from it; the eater's rotation is not used.
    CfoodItem* getAvailableParticle(Cvector const& eaterPos, Cmatrix3 const& eaterRot) override;
    int foodType() override { return FOOD_PECK; }

    Clist<Cmatrix3> peckRotations; // "peckfoodrot": one identity per particle
    int32_t lastPicked = 0;
};
