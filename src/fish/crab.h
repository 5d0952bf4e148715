// The crab that walks the tank floor.
//
// A crab walks sideways: every goal is reached by stepping along the body's side axis
// while turning slowly about the up axis. Its behaviour is an activity machine run once a
// frame (grazing in bouts, shifting between graze points, relocation walks, pauses, food
// bits announced by the food, chasing fish that come close); its body rides on eight legs
// whose feet stay planted until a phase rule lifts them for a step, bent by two-segment
// limbs; a feeding arm picks at the floor and a big claw snaps while chasing.
//
// The files: crab.cpp (construction, reset, messages, saving), crabActivities.cpp (the
// activity machine and walks), crabArm.cpp (the feeding arm and the mouth), crabBody.cpp
// (the frame: body, legs, claws, side joints and lighting).
#pragma once

#include <cstdint>
#include <vector>

#include "fish/animalThing.h"
#include "graphics/skeleton.h"
#include "script/animValue.h"
#include "things/crabFootAnimCycle.h"
#include "things/crabShadow.h"

class CdataArray;
class CdataImage;
class CtexturedGeo;

// The crab skeleton's joints by role.
enum CrabJoint : int {
    kCrabHeading = 0,
    kCrabBody = 1,
    kCrabFirstLeg = 2,     // leg i: 2 + 2i upper, 3 + 2i lower segment
    kCrabFirstAnchor = 18, // leg i's resting place on the floor: 18 + i
    kCrabArmUpper = 26,    // its centre is the mouth point
    kCrabArmLower = 27,
    kCrabHandHome = 28,
    kCrabLittleClaw = 30,
    kCrabClawOpen = 31,
    kCrabClawWrist = 32,
    kCrabClawPinch = 33,
    kCrabClawTip = 34,
    kCrabSideA = 35,
    kCrabSideB = 36,
    kCrabMouthA = 37,
    kCrabMouthB = 38,
    kCrabJoints = 39
};
constexpr int kCrabLegs = 8;

struct CcrabLeg {
    int32_t chainJoint = 0;
    Cvector foot;           // world position, the leg chain's end point
    float legLength = 0.0f; // length of each of the two segments
    float legPhase = 0.0f;  // the foot's offset from its anchor along the side axis, in half strides
    CcrabFootAnimCycle footCycle;
};

class Ccrab : public CanimalThing, public CcrabShadowSource {
  public:
    // Activity codes; the same codes name the reason a walk ended.
    enum CRAB_ACTIVITY : uint8_t {
        START_GRAZING = 0,
        GRAZING = 1,
        HIT_EDGE = 2,
        MOVING = 3,
        SHIFT_TO_NEXT_GRAZE_POINT = 4,
        GRAZE_REORIENT = 5,
        RELOCATE = 6,
        PAUSE = 7,
        CHASING = 8,
        RECHASE = 9,
        CALM_DOWN_AFTER_CHASE = 10,
        FISH_OUT_OF_RANGE = 11,
        REACHED_TARGET = 12,
    };
    // The name of an activity; empty above 12.
    static char const* translate(int code);
    // No walk: the target's x.
    static constexpr float kNoWalk = -100.0f;

    Ccrab();
    ~Ccrab() override;

    // ---- thing overrides (crab.cpp)
    int whatAmI() override { return WHAT_CRAB; }
    int itMoves() override { return 1; }
    int eatsFood() override { return 1; }
    int numCollisionSpheres() override { return 1; }
    void getCollisionSphere(int, float, Cvector& centre, float& radius) override {
        centre = pos, radius = thingScale;
    }
    void getHeadPos(Cvector& out) override { out = pos; }
    void getMidPos(Cvector& out) override { out = pos; }
    void getTailPos(Cvector& out) override { out = pos; }
    void getHeadMidTailPos(Cvector& h, Cvector& m, Cvector& t) override { h = m = t = pos; }
    int doExtraInit() override { return 0; }
    void prepForCook() override {}
    // Only in a tank that names the crab's extras image.
    int isAllowed() override;
    void setToTank(CtankServices* t) override;
    // Acts only while the prepare-for-delete flag is set: the chase ends first.
    void prepareForDelete() override;
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;
    // Message 17: a food particle was freed; its position joins the food bits.
    void processMessage(CthingMessage* message) override;
    // Builds the skeleton (once), loads the images and adds the shadow. 0; 1 (recorded)
    // when the skeleton, the images or the shadow cannot be had.
    int resetThing(int mode) override;
    // The heading is written into "angle" just before the crab is saved.
    void prepForSaveConfig() override;
    // Crabs keep no avoid zones: refused (recorded).
    void addThingAvoidanceZone(Cthing&, float) override;

    // ---- the shadow's view of the crab
    Cvector* shadowBodyPosition() override { return &pos; }
    Cmatrix3* shadowHeadingMatrices() override { return joints.empty() ? &bodyRotation : joints.data(); }
    Cvector* shadowFoot(int leg) override { return &legs[leg & 7].foot; }

    // ---- the activity machine (crabActivities.cpp)
    // One frame of behaviour, between the body's orientation and its movement.
    void behave();
    void crabGoToPoint(Cvector const& target, float speed);
    void crabEndGoto(int reason);
    void crabSetActivityUponArrival(int code) { activityUponArrival = static_cast<uint8_t>(code); }
    void startGrazing();
    void doSomePauseEvent(int minFrames, int maxFrames);
    // A walk to a random place of the tank.
    void pickRandomDestPos();
    // A walk side body widths to the side, spread forward or back, at speed.
    void pickRandomDestPos(float side, float spread, float speed);
    // 0 too far, 1 off the walking line, 2 too high, 3 reachable.
    int pointAccessible(Cvector const& p, float maxDistSq, float maxRise, float sideMargin) const;
    // 1 when a walk to a reachable food bit began.
    int findFoodBit();
    void abortChase();
    void relaxGrabbyClaw();
    void findUnstuckRotation();
    // The floor's walkability at x, z (the extras image's first channel; 0 without one).
    float floorWalkable(float x, float z) const;
    // Walkability one side distance (times the scale) away along the side axis of m turned
    // about up by angle.
    float getNogoAngle(Cmatrix3 const& m, float angle, float sideDistance) const;
    // The tank's obstacle level at p: its level-set volume, else its spheres; 10 without.
    float obstacleLevelAt(Cvector const& p);

    // ---- the feeding arm and the mouth (crabArm.cpp)
    void littleArmHandler();
    // Where the hand could grab the floor; false when the mouth cannot reach it.
    bool tryFoodGrab(Cvector& point);
    void moveHandToPoint(Cvector const& point, float frames, float arcHeight, bool worldFixed, bool grab);
    // Advances the reach; true when it completed this frame.
    bool moveHand();
    void stopReach();
    void changeLittleClaw();
    void munchFood();
    void munchNewFood(int delay, int chews, float spread);

    // ---- the frame (crabBody.cpp)
    void goFish(int frame) override;
    void calcBodyOrientation();
    void moveLegs();
    void moveArm();
    void handleClaw();
    void moveSideJoints();
    void getPointLighting();
    void postDeformProcessing(CworkObject& object) override;
    // The floor's height at x, z; false without the tank's height image.
    bool floorHeight(float x, float z, float& height) const;
    Cvector sideAxis() const { return joints.empty() ? bodyRotation.side : joints[0].side; }
    Cvector upAxis() const { return joints.empty() ? bodyRotation.up : joints[0].up; }
    Cmatrix3& heading() { return joints.empty() ? bodyRotation : joints[0]; }
    // World to body space and back (the heading's rows).
    Cvector toBody(Cvector const& world) const;
    Cvector toWorld(Cvector const& body) const;
    // The world centre of a joint, carried by its parent (or its own matrix when rootless).
    Cvector jointCentre(int joint) const;
    // The camera position of the tank; the crab's own position without a tank camera.
    Cvector cameraPosition();

    // ---- registered
    float angle = 0.0f;
    Cvector pos{0.0f, -1000.0f, 0.0f};
    float mood = 0.0f;

    // ---- behaviour
    uint8_t activity = GRAZING;
    uint8_t activityUponArrival = GRAZING;
    int32_t activityTimer = 0;
    int32_t grazeBouts = 0;
    Cvector gotoTarget;
    float gotoSpeed = 0.0f;
    int32_t gotoSteps = 0;
    uint8_t gotoSlowNear = 1;
    uint8_t slowed = 0;
    float turnSign = 1.0f;
    float grazeDirection = -1.0f;
    int32_t relocateCount = 0;
    Cthing* chaseThing = nullptr;
    int32_t chaseTimer = 0;
    std::vector<Cvector> foodBits;
    float step = 0.0f;
    float strideScale = 1.0f;
    float legTimeFactor = 10.0f;
    float speedFactor = 1.0f;
    float unstuckRotation = 0.0f;
    int8_t unstuckFrames = 0;
    Cmatrix3 bodyRotation; // stands in for the joints before the skeleton exists

    CanimValue* bigClaw = nullptr;
    CanimValue* clawPinch = nullptr;
    CanimValue* clawReach = nullptr;
    CanimValue* bodyLift = nullptr;
    CanimValue* bodyTwist = nullptr;
    CanimValue* glance[2] = {nullptr, nullptr};

    // ---- body
    std::vector<Cmatrix3> joints;
    std::vector<CskeletonIdentity> chains;
    CcrabLeg legs[kCrabLegs];
    Cvector bodyPos, prevPos, lastMotion;
    float legScale = 3.0f;
    Cvector handHome, mouthPoint, handPos, handTarget;
    float armLength = 0.0f;
    CdataArray* extrasImage = nullptr;
    CdataArray* causticImage = nullptr;
    float causticOffset[2] = {0.0f, 0.0f};
    int causticAttrib = -2; // -2: not looked up yet, -1: the model has none
    CtexturedGeo* lightModel = nullptr;
    std::vector<float> lightPositions; // the lighting points deformed, x y z each
    std::vector<float> lightValues;

    // ---- feeding arm
    struct Creach {
        Cvector start; // body space, relative to the hand home
        Cvector point; // body space relative to the hand home, or world when worldFixed
        float progress = 0.0f;
        float rate = 0.0f;
        float arcHeight = 0.0f;
        uint8_t worldFixed = 0;
        uint8_t grab = 0;
        uint8_t active = 0;
    } reach;
    float reachOffset = 0.0f;
    int32_t armCountdown = 0;
    uint8_t armState = 0; // 0 idle, 1 reaching, 3 to the mouth, 4 returning
    uint8_t armRetry = 0;
    float littleClawOpening = 0.0f;
    int8_t littleClawMotion = 0; // +1 opening, -1 closing, 0 still

    // ---- mouth
    int32_t chewDelay = 0;
    int32_t chewsLeft = 0;
    float chewPhase = 0.0f;
    float chewRate = 0.0f;

  private:
    // The step of behave for the walk in progress.
    void walkStep();
    void chaseStep();
    void lookForFishToChase();
    void grazeStep(bool& walkOnly);
    void relocateStep();
    // The target f with its component along the body's up axis taken out.
    Cvector flattenedTarget(Cvector const& f) const;
    void snapClaw();
    // Skeleton and images; 0 or 1 (recorded).
    int buildSkeleton();
    int checkSkeletonGroups();
};
