// What the things in a tank use of their tank and of their species.
//
// Things sit above the tank in the layering, so a tank reaches its things only through
// these calls' partners: the tank and the species implement the interfaces below, and a
// thing holds pointers to them.
#pragma once

#include <cstdint>
#include <vector>

#include "variables/safeRelationship.h"

class CframeSources;
class CgeoNew;
class Cmatrix_4;
class CflatFrustum;
class CsphereField;
class Cvector;
class CtexturedGeo;
class Cthing;

// A script value as a float: values beyond the float range become its largest value of
// that sign, so no conversion overflows; NaN stays NaN.
float clampToFloat(double value);

// Flag bit that marks a tank node: a thing's tank is its nearest ancestor carrying it.
constexpr unsigned VAR_IS_TANK = 0x80;

class CtankServices : public CsafeRelationship {
  public:
    CtankServices() { flags |= VAR_IS_TANK; }

    // The directory the tank's things live in ("thingList").
    virtual Cvariable* getThingList() = 0;
    // A thing joined the tank: moving-thing count and proximity pairs.
    virtual void addThingToTankLists(Cthing* thing) = 0;
    // A thing left the tank; gives whether it moved.
    virtual int removeThingFromList(Cthing* thing) = 0;
    // Re-applies the requested focus thing.
    virtual void updateFocusThing() = 0;
    // Recomputes the tank's aspect values after its width changed.
    virtual void recalcTankAspect() = 0;
    // The camera matrix that camera-bound joints hang from; null without a camera.
    virtual Cmatrix_4* cameraMatrix() { return nullptr; }
    // The tank's half of what its things' per-frame geometry reads; null: none.
    virtual CframeSources* frameSources() { return nullptr; }

    // ---- what swimming animals read of their tank; the defaults are an open tank ----
    // The signed level set at p, negative inside obstacles; 10 without one.
    virtual float levelSetAt(Cvector const& p);
    // Whether levelSetAt reads a level-set volume (rather than answering 10).
    virtual bool hasLevelSetVolume() { return false; }
    // The floor height under (x, z) into height; false without a height image.
    virtual bool groundHeightAt(float x, float z, float& height);
    // The floor height and the strength of shadows cast on it at (x, z); false without a
    // height image. An image without a strength channel gives strength 1; the tank's scale
    // does not change it.
    virtual bool groundAndShadowAt(float x, float z, float& height, float& strength);
    // The z range a fish's head stays in.
    virtual float nearZLimit() { return -1000.0f; }
    virtual float farZLimit() { return 1000.0f; }
    // The spheres animals steer around; null without any.
    virtual CsphereField* sphereField() { return nullptr; }
    // The things whose squared distance to thing (as the proximities keep it) is below
    // range, with those distances, at most capacity of them; the count.
    virtual int avoidanceList(Cthing* thing, float range, Cthing** things, float* distances, int capacity);

    // ---- what schools and wandering fish read of their tank ----
    // The box the tank's fish swim in (its two corners); a unit box by default.
    virtual void fishVolume(Cvector& lo, Cvector& hi);
    // The frustum that contains the fish; null while the tank has none.
    virtual CflatFrustum const* occupantFrustum() { return nullptr; }
    // Moves p inside the occupant frustum, margin within its normalised walls (x and y in
    // -1..1, z in 0..1); nothing while the frustum is unset.
    virtual void containPointWithinFishFrustum(Cvector& p, float margin);
    // The six walls that bound wander points, each a point and an inward unit normal;
    // false while the tank has none (the points then wander unbounded).
    virtual bool wanderWalls(Cvector const*& points, Cvector const*& normals) {
        points = normals = nullptr;
        return false;
    }

    // ---- what food reads of its tank; the defaults are a tank that keeps no food list ----
    // The tank's food things in the order they joined; null when the tank keeps none.
    virtual std::vector<Cvariable*> const* foodThings() { return nullptr; }
    // A food thing joins or leaves the food list (each at most once in it).
    virtual void addFoodToList(Cvariable*) {}
    virtual void removeFood(Cvariable*) {}
    // The push the swimming fish give the water at (x, y) into px, py; false (and zero)
    // where the tank keeps no pushes.
    virtual bool waterPushAt(float x, float y, float& px, float& py);
    // Hands the message at once to every food eater of the tank but the sender.
    virtual void instantMessageToAllFoodEaters(int, Cvariable*, int, int) {}

    // The value of the tank variable of that name, or fallback when it has none.
    float tankValue(char const* varName, float fallback);
    // Sets the tank variable of that name when it exists; 1 when it does not.
    int setTankValue(char const* varName, float value);

    Cthing* requestedFocusThing = nullptr;
    Cthing* focusThing = nullptr;
    // The time that scrolling textures follow.
    double textureTime = 0.0;
};

// A species keeps relationships like the things it makes (type code 31).
class CspeciesServices : public CsafeRelationship {
  public:
    // One member of the species is gone.
    virtual void unrequestSpecies() = 0;
    // The model its members show ("geo_hi"); null when it has none.
    virtual CtexturedGeo* modelGeometry() = 0;
    // The skeleton model, one point per joint; null when it has no skeleton.
    virtual CgeoNew* skeletonModel() = 0;
    // The species' half of what its members' per-frame geometry reads; null: none.
    virtual CframeSources* frameSources() { return nullptr; }
};

// Set when the last custom texture script failed; cleared when one runs cleanly.
extern uint8_t customTextureFailed;
// Saved tanks name things by their asset name rather than their species.
extern uint8_t useAssets;
