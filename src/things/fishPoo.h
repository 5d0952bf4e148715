// The waste strand: a ribbon that hangs from a fish while digestion grows it, and that,
// when it snaps off, falls as a copy of itself and sinks out of the tank.
//
// The strand's shape comes from cloth pieces of its model, moved by the work object: "poo"
// while it hangs, "Apoo" and "Bpoo" (two halves) while it falls. The point groups
// "poo_points" and "poo_points_falling" list the cloth points along the strand (root
// first), and "mesh_points" starts the ribbon's own vertices, two per cloth point, which
// this class lays along the curve each frame.
#pragma once

#include <cstdint>

#include "data/dataArray.h"
#include "things/attachedThing.h"

class CworkObject;

// What a hanging strand needs of its fish. The animals live in a higher layer and
// implement it.
class CwasteStrandMaster {
  public:
    // Where the strand leaves the body, and the body's orientation there.
    virtual void getAnusPos(Cvector& position, Cmatrix3& orientation) = 0;
    // One digestion step; the waste state, the hanging strand's visible share.
    virtual float digestAndPoo() = 0;
    // The first digestive setting: the strand's width.
    virtual float wasteStrandWidth() = 0;
    virtual void setHasVisibleWaste(bool visible) = 0;

  protected:
    ~CwasteStrandMaster() = default;
};

// At or below this visible share a strand is not drawn.
constexpr float kHiddenStrandLength = 0.01f;

class CfishPoo : public CattachedThing {
  public:
    CfishPoo();

    int whatAmI() override { return WHAT_FISH_WASTE; }
    // Hangs the strand from master, which must be a fish. 0, or 1 ("master is not a
    // fish!" recorded) for anything else.
    int attachThing(Cthing* master, int kind) override;
    // The deformable mesh's reset, then the strand's own state. 0 done, 1 failed.
    int resetThing(int mode) override;
    void prepForCook() override {}
    // Hanging: follows the fish's vent and its digestion. Falling: sinks with a wobble and
    // goes below the tank's floor height.
    void goFish(int) override;
    void updateClothControllers() override;
    // Lays the ribbon along the cloth curve; hides it at or below the hidden length.
    void postDeformProcessing(CworkObject& work) override;
    // Clears the fish's links to the strand first.
    void prepareForDelete() override;

    // Sets the visible share; below the hidden length the materials are hidden.
    void setPooLength(float length);
    // A falling copy takes the strand's shape (at most its full length) and this strand
    // restarts hidden at newLength. 0, or 1 (traced) when no copy could be made.
    int snapIntoFallingPoo(float newLength);
    // Becomes a falling copy of source: the same curve, rooted at source's end.
    void copyPoo(CfishPoo& source);

    float pooThickness = 0.0f;
    float pooLength = 0.7f;
    int32_t pointCount = 0;
    float noisePhase = 0.0f;
    int8_t pooCloth = -1, pooClothA = -1, pooClothB = -1;
    int32_t firstMeshPoint = 0;
    CdataChan pooCurve;

  private:
    CwasteStrandMaster* master();
    // The cloth points of the list group (pointCount of them, root first); false when the
    // model lacks it.
    bool strandPoints(char const* group, short const*& points, int& count);
    void hideRibbon(CworkObject& work, int buffer);
};
