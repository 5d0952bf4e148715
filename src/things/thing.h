// The base of everything placed in a tank.
//
// A thing is a node of its tank's "thingList", a message inbox, a list of dependents, a
// holder of relationships and a manager of matrix controllers at once. It owns its work
// object, its animation cycles and its custom textures. The base fixes the frame road
// (behaviour once per tank frame, blending in between), the geometry road (two buffers
// blended by the frame fraction) and the teardown; kinds override the hooks.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/workObject.h"
#include "script/animCycle.h"
#include "script/proximityVar.h"
#include "script/matrixControllerManager.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "variables/dependent.h"
#include "variables/safeRelationship.h"
#include "variables/thingMessage.h"

class CdataArray;
class CdataArrayReference;
class CtankServices;
class CspeciesServices;

// Attribute bits of a thing's kind.
enum : uint32_t {
    THING_FISH = 2,
    THING_CRAB = 4,
    THING_FOOD_EATER = 8,
    THING_FOCUS_CANDIDATE = 16,
    THING_PICKABLE_ANIMAL = 32,
    THING_FLOATING_FOOD = 64,
    THING_ANIMAL_MARK = 128,
    THING_INTERFACE = 256,
};

// whatAmI codes.
enum : int { WHAT_THING = 0, WHAT_FISH = 1, WHAT_FISH_WASTE = 3, WHAT_CRAB = 4 };

// Behaviour timing assumes this many behaviour frames per second.
constexpr int kBehaviourFramesPerSecond = 30;

class Cthing;

// What a thing's per-frame geometry reads: the tank's half from its tank, the species'
// half from its species; either may be missing (the defaults stand in).
class CthingFrameSources : public CframeSources {
  public:
    explicit CthingFrameSources(Cthing& thing) : thing(thing) {}
    CdataChan const* camShakeChan() override;
    CdataImage const* fishFinFlutter() override;
    CdataVolume const* levelSet() override;
    float sphereLevelSet(Cvector const& point) override;
    Cvector camPos() override;
    double waterPhase() override;
    float causticSpeed() override;
    Cpov const* pov() override;
    int gridColumns() override;
    int gridRows() override;
    CdataImage const* colorNoiseImage() override;
    float pushNoiseSpeed() override;
    float causticPointNoiseSpeedU() override;
    float causticPointNoiseSpeedV() override;

  private:
    CframeSources* tankSide();
    CframeSources* speciesSide();
    Cthing& thing;
};

// The thing as its work object's owner: what the work object and its skeleton read of it.
class CthingWorkObjectOwner : public CworkObjectOwner {
  public:
    explicit CthingWorkObjectOwner(Cthing& thing) : thing(thing), sources(thing) {}
    // The thing that owns the work object.
    Cthing& ownerThing() { return thing; }
    CmatrixControllerManager* skeletonControllers() override;
    Cmatrix_4* tankCameraMatrix() override;
    char const* skeletonOwnerName() override;
    CtexturedGeo* workObjectModel() override;
    CgeoNew* skeletonModel() override;
    int currentBufferIndex() override;
    float thingScale() override;
    int thingCooks() override;
    void postDeformProcessing(CworkObject& object) override;
    // Null while the thing has no tank or its tank hands nothing down.
    CframeSources* frameSources() override;
    void getMidPos(Cvector& out) override;
    void updateClothControllers() override;
    void processLevelSetSensor(ClevelSetSensor* sensor, float level) override;
    void showThing() override;
    Cvariable* customTexture(char const* name) override;
    Cvariable* buildCustomTex(char const* name) override;

  private:
    Cthing& thing;
    CthingFrameSources sources;
};

class Cthing : public CthingMessageHandler,
               public ColdDependent,
               public CsafeRelationship,
               public CmatrixControllerManager,
               public CanimCycleOwner,
               public CthingMessageOwner,
               public CproximityParty {
  public:
    Cthing();
    ~Cthing() override;

    // ---- a party of the tank's proximity pairs: the middle position, the scale, "proxim" ----
    Cvector proximityPosition() override;
    float proximityScale() override { return thingScale; }
    Cvariable* proximityDirectory() override;
    Cvariable* proximityNode() override { return this; }

    // ---- overrides of the tree node ----
    // Moves the thing in the tree; the nearest tank ancestor becomes its tank.
    void setParent(Cvariable* newParent, int append) override;
    void saveConfigExtra(std::ostream& out, int indent) override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    // "reset", "isFocus", "remapAttrib", "buildCustomTex", "update"; others go up.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // The teardown; acts only while the prepare-for-delete flag is set.
    void prepareForDelete() override;
    int getType() override { return TYPE_THING; }

    // ---- the thing's own hooks, in slot order ----
    virtual int useProximity() { return 0; }
    virtual int isAllowed() { return 1; }
    // Drains the inbox: each due message to processMessage, then purges.
    virtual void processMessages();
    void processMessage(CthingMessage*) override {}
    virtual int whatAmI() { return WHAT_THING; }
    // Sets the kind up; kinds set initialized at the end. 0 done, 1 failed.
    virtual int resetThing(int) { return 1; }
    virtual int setPosition() { return 0; }
    virtual void prepForCook() {}
    virtual void doBehavior() { processMessages(); }
    // One behaviour frame; every kind counts framesUpdated here.
    virtual void goFish(int) {}
    // This refresh's geometry: the work object, or null before the first behaviour frame.
    virtual CworkObject* getFinalGeometry();
    virtual void oncePerRefreshFinalProcessing() {}
    virtual void getHeadPos(Cvector&) {}
    virtual void getMidPos(Cvector&) {}
    virtual void getTailPos(Cvector&) {}
    virtual void getHeadMidTailPos(Cvector&, Cvector&, Cvector&) {}
    virtual int itMoves() { return 0; }
    virtual void setDefaultPosition() {}
    virtual int doExtraInit() { return 0; }
    virtual int receiveMessage(Cstring const&, Cstring const&, float) { return 0; }
    virtual void showThing();
    virtual int eatsFood() { return 0; }
    virtual void processLevelSetSensor(ClevelSetSensor*, float) {}
    virtual void initAdditionalWorkGeoStuff(CworkObject&) {}
    virtual int numCollisionSpheres() { return 0; }
    virtual void getCollisionSphere(int, float, Cvector&, float&) {}
    virtual int storeInRegistry(CdirectoryVar&) { return 0; }
    virtual void initUsingStorageString(char const*) {}
    // The frame road, once per refresh. 0, or 1 for a thing that was never set up.
    virtual int updateThing(int frame, float frameFraction);
    virtual void postDeformProcessing(CworkObject&) {}
    // Joins tank t (null: leaves its tank); the shadow follows.
    virtual void setToTank(CtankServices* t);
    virtual void setDisplayed(char on) { displayed = static_cast<uint16_t>(on); }
    virtual void translateAndRotate(Cvector, Cmatrix3 const&) {}
    virtual void translateAndRotate(Cvector, float, float) {}
    virtual void moveByCollisions() {}
    virtual int setPooThing(Cthing*) { return 0; }
    virtual void notifyOfCustomTexSize(CdataArray*) {}
    virtual void updateControllerTables() {}
    virtual void updateClothControllers() {}
    virtual void calcNewHeadings() {}

    // ---- inbox owner ----
    bool deletionHasBegun() const override { return dying || (flags & VAR_TEARING_DOWN); }
    Cstring messageOwnerName() const override { return name; }

    // ---- services ----
    bool hasAttribute(uint32_t mask) const { return (attributes & mask) != 0; }
    // Creates and builds the work object. 0 built, 1 failed ("init geometry failed!").
    int addRenderGeometry();
    void freeThingsGraphicsResources();
    void forceAttribUpdate();
    // Takes over another thing's frame and geometry state (a duplicated thing).
    void cloneThingsWorkObjectState(Cthing* from);
    // The middle position blended between the last two behaviour frames.
    void getSmoothMidPos(Cvector& out);
    void getPointClosestToCenter(Cvector& out) { getHeadPos(out); }
    // Binds a two-joint limb at joint: identities get identity rotations, the next joint
    // the offset (zeroed); limbSize is half the scaled rest length. 0 done, 1 refused.
    int getIKchain(int joint, std::vector<CskeletonIdentity>& identities, std::vector<Cmatrix3>& matrices,
                   Cvector& offset, float& limbSize);
    // Runs the species' "post_init" script on the thing when there is one.
    void postInitScript();
    // Builds the texture named by the script at path under the species; the new reference,
    // or null when the script failed.
    CdataArrayReference* buildCustomTex(Cstring const& path);
    // Grows the image to power-of-two size and remaps "uv" to the old picture; out (when
    // given) gets u low, u high, v low, v high. 0 done, 1 refused (too large or no image).
    int powerizeImageAndUVs(CdataArray* image, short unused, float* out);

    uint32_t attributes = 0;
    uint8_t active = 1;
    uint8_t initialized = 0;
    uint8_t dying = 0;
    uint16_t displayed = 0;
    Cstring assetName;
    uint32_t serialNumber = 0;
    float thingScale = 1.0f;
    // The scale its model is drawn at: thingScale, times the tank's for scenery.
    float geometryScale() const { return thingScale * sceneScale; }
    // Scenery takes its tank's scale (called by the scenery kinds' resets); others keep 1.
    void takeSceneScale();
    float sceneScale = 1.0f;
    float mass = 1.0f;
    CspeciesServices* species = nullptr;
    CtankServices* tank = nullptr;
    float speedScale = kBehaviourFramesPerSecond;
    int32_t framesUpdated = 0;
    Cthing* parentThing = nullptr;
    Cthing* shadowThing = nullptr;
    Cthing* pooThing = nullptr;
    Cvector* positionRefs[3] = {nullptr, nullptr, nullptr};
    CdirectoryVar* customTextures = nullptr;
    float boundingBoxMin[3] = {1.0f, 1.0f, 1.0f};
    float boundingBoxMax[3] = {-1.0f, -1.0f, -1.0f};
    short maskID = -1;
    Cvector lastMidPos;
    uint32_t geometryCount = 0;
    float fraction = 0.0f;
    float lastFraction = 0.0f;
    int32_t lastUpdateFrame = 0;
    uint32_t needsGeometry = 0;
    uint8_t smoothing = 1;
    // Scenery (sand, rocks, plants): its model scales with the tank, as the tank's camera,
    // floor and backdrop do, so the fish size option changes only the animals' size.
    uint8_t scalesWithTank = 0;
    uint16_t bufferIndex = 0;
    CworkObject* workObject = nullptr;
    CdirectoryVar* proxim = nullptr;
    CthingWorkObjectOwner workOwner{*this};
};

// Things constructed so far; the next thing's serial number.
extern uint32_t thingSerialCounter;
