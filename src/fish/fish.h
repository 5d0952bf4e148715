// One fish: its tuning, its spine body and its steering.
//
// The files: fish.cpp (construction, reset, placement, messages, saving), fishSpine.cpp
// (the spine body and its predicted path), fishFrame.cpp (the frame pipeline, breathing,
// speed and steering limits), fishActivities.cpp and fishEscapes.cpp (the activity
// machine and its reactions), flickTurn.cpp (flick turns), fishAvoid.cpp (obstacles and
// other fish as avoid rectangles), pectoralFins.cpp (pectoral strokes and brakes),
// fishFins.cpp and finRig.cpp (the fins and level-set sensors), fishDisplay.cpp (the
// displayed body and mouth), fishSkeleton.cpp (the skeleton table), fishLighting.cpp
// (lighting points and vertex colours), fishEyes.cpp (the eyes), fishBiteAnimCycle.cpp and
// fishPeckAnimCycle.cpp (the bite and the peck), fishFeeding.cpp (food, the bite, the peck
// and the waste strand) and fishChase.cpp (chasing another fish).
#pragma once

#include <algorithm>
#include <vector>

#include "fish/animalThing.h"
#include "fish/avoidZone.h"
#include "fish/collisionPlane.h"
#include "fish/fishBiteAnimCycle.h"
#include "fish/fishPeckAnimCycle.h"
#include "fish/fishFins.h"
#include "fish/fishStats.h"
#include "fish/flickTurn.h"
#include "fish/pectoralFins.h"
#include "fish/schoolWander.h"
#include "fish/sphereField.h"
#include "script/animValue.h"
#include "support/matrix3.h"
#include "support/matrix4.h"
#include "support/rect.h"
#include "things/fishPoo.h"
#include "things/food.h"

class CdataArray;
class CgeoNew;
class CpeckFoodItem;
class CtexturedGeo;
struct CskeletonIdentity;

class Cfish : public CfishStats,
              public CfinState,
              public CflickState,
              public CanimalThing,
              public CcollisionPlaneGroup,
              public CsphereAvoider,
              public CfoodSwallower,
              public CwasteStrandMaster {
  public:
    Cfish();
    ~Cfish() override;

    // ---- tree node and thing overrides (fish.cpp)
    // Moves the fish; a change of tank moves it between the tanks' fish lists.
    void setParent(Cvariable* newParent, int append) override;
    void prepareForDelete() override;
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;
    int getType() final { return TYPE_FISH; }
    // The fish of a node of the tree, or null; cheap for the nodes that are no fish.
    static Cfish* asFish(Cvariable* v);
    int whatAmI() override { return WHAT_FISH; }
    int itMoves() override { return 1; }
    int eatsFood() override { return 1; }
    int numCollisionSpheres() override { return 4; }
    int storeInRegistry(CdirectoryVar&) override { return 0; }
    // Derived values, speed tiers and point counts; marks the fish for placement. 0.
    int resetThing(int how) override;
    // Places the fish at its (legalised) start pose. 0.
    int setPosition() override;
    void setDefaultPosition() override;
    // After the species script: body length from the scale. 0, or 1 without a tank.
    int doExtraInit() override;
    // "delete animals" deletes the fish; every message then goes to the thing.
    int receiveMessage(Cstring const& name, Cstring const& text, float value) override;
    // Sphere i on the predicted position of vertex 2i, frames ahead.
    void getCollisionSphere(int i, float frames, Cvector& centre, float& radius) override;
    // Rigid move about the point between vertices 4 and 5.
    void translateAndRotate(Cvector offset, Cmatrix3 const& rotation) override;
    void getHeadPos(Cvector& out) override { out = vertex[0]; }
    void getMidPos(Cvector& out) override { out = vertex[4]; }
    void getTailPos(Cvector& out) override { out = vertex[8]; }
    void getHeadMidTailPos(Cvector& h, Cvector& m, Cvector& t) override {
        h = vertex[0], m = vertex[4], t = vertex[8];
    }
    // Saving first refreshes the start keys from the live fish.
    void writeConfigString(std::ostream& out) override;
    // Refreshes the four saved start keys from the live fish.
    void prepForSaveConfig() override;

    // ---- construction helpers (fish.cpp)
    void setBodyPoints(int n);
    void setBodyLength(float length);
    // Puts the start values into their ranges; non-finite values count as out of range.
    void legalizeInitValues();
    void setAvoidForFrames(int n) { avoidForFrames = n, avoidFrameCounter = 0; }
    void setDrag(float d) { drag = d, glideFactor = 1.0f - d; }
    void setWaterCurrent(Cvector const& c) { waterCurrent = c; }

    // ---- activity machine (fishActivities.cpp)
    enum FISH_ACTIVITY : int32_t {
        ACTIVITY_NONE = 0,
        ACTIVITY_STOP = 1,
        ACTIVITY_IDLE = 3,
        ACTIVITY_SCHOOL = 4,
        ACTIVITY_BITE = 5,
        ACTIVITY_CHASE = 6,
        ACTIVITY_CHASED = 7,
        ACTIVITY_FEED = 8,
        ACTIVITY_PECK = 9,
        ACTIVITY_CLEAR_HEADING = 11,
        ACTIVITY_STARTLED = 12,
        ACTIVITY_TIGHT_JAM = 15,
        ACTIVITY_WANDER = 16,
    };
    void clearNavigationVars();
    // Clears the navigation and draws the first chase countdown; placing the fish calls it.
    void navigateReset();
    // The only regular way to change activity; nothing while the activity lock is set.
    // NONE becomes IDLE at once.
    void newActivity(int activity, int next);
    // Sets the activity outside newActivity (construction, teardown); clears the lock.
    void setActivityDirectly(int activity);
    void cleanupActivity();
    void startActivity();
    // The per-frame dispatcher: measures the goal, asks for the heading and pitch change,
    // runs the current activity's step.
    virtual void reachedGotoGoal();
    // A new goal: zone unmeasured, distance 1000; a null point keeps the old one.
    void setGotoPoint(Cvector const* point, char const* name);
    // The own goal point takes p and becomes the goal.
    void setGotoPoint(Cvector const& p, char const* name);
    // Head for the school's point (the own goal) at mosey speed.
    void setSchoolValues();
    void startWander();
    void doSchooling();
    void doWander();
    // Contact with other fish through the collision planes: turn or brake, drift apart.
    void doIdleAvoidance();
    void doStop(int next);
    // A level-set sample was negative: back out before going on.
    virtual void tightJam();
    // Keeps the escape point d (from from) inside the tank's frustum by reflection.
    void processChaseCoord(Cvector& d, Cvector const& from);
    // Chase and food decisions at their countdowns.
    virtual void contemplateOccasionalActivities();
    void startled(Cvector const& point);
    // 1 when the fish escaped, 0 when not yet.
    int reTryStartle();
    void processMessage(CthingMessage* message) override;
    void processMessages() override;
    void insertIdle();
    void endActivity();
    float isPointInTargetZone(Cvector const& p);
    int ETAframes();
    void fixPitchChange();
    void doBehavior() override {}

    // ---- feeding (fishFeeding.cpp)
    // Polls the tank's food: 1 when a particle was found and feeding started.
    int lookForSomethingToEat() override;
    // Starts feeding on a particle (floating: chase it; peck: brake, then peck), or with
    // null ends this feeding and looks for another.
    void startFeeding(CfoodItem* item) override;
    // The head faces the peck point's surface squarely enough.
    bool peckFoodIsConvenient(CpeckFoodItem const* item);
    // The step of ACTIVITY_FEED: re-looks, steer holds and the timing of the bite.
    void activity_feeding();
    // Ends feeding: the goal goes back to the own point and the particle is let go.
    void cleanupFeeding() override;
    // As the animal's, and a goal left on the particle let go goes back to the own point:
    // no goal outlasts the hold on its particle.
    void chaseFood(CfoodItem* item) override;
    // A swallowed particle reached the stomach.
    void ateFood(float amount) override;
    // Message 7: the bite starts, and a particle still free goes into the mouth.
    void biteMessage(CthingMessage& message);
    // The steps of ACTIVITY_BITE and ACTIVITY_PECK.
    void biteStep();
    void peckStep();
    // The swallower's side of the swallow cycle.
    Cthing& swallowerThing() override { return *this; }
    Cvector* mouthStart() override { return &displayVertex[0]; }
    Cvector* mouthEnd() override { return &displayVertex[2]; }

    // ---- chasing another fish (fishChase.cpp)
    // Now and then: chase a nearby fish of the school when both are at ease.
    void decideToChaseFish();
    // A random member of the school; null when none, itself, or one being deleted.
    Cfish* pickRandomFishOfMySpecies();
    // Refused while either fish chases or is chased.
    void startChase(Cfish* target);
    // The step of ACTIVITY_CHASE.
    void chaseStep();
    // Message 10: flee from the recorded chaser.
    void chasedMessage(CthingMessage& message);
    void chaserEndingChase();
    void chasedEndingChase();
    // A chase relationship broke: both fish drop their chase links.
    void clearChasePointers();

    // ---- waste (fishFeeding.cpp)
    // Mode 0 takes the strand away; above it a strand hangs and digestion is set by the
    // mode's band (over 100 keeps the earlier settings). 0, or 1 when no strand ("poo not
    // loaded" recorded).
    int setPooState(float mode);
    // Null deletes the current strand; either way the visible-waste flag clears.
    int setPooThing(Cthing* strand) override;
    float digestAndPoo() override { return CanimalThing::digestAndPoo(); }
    float wasteStrandWidth() override { return pooWidth; }
    void setHasVisibleWaste(bool visible) override { pooing = visible ? 1 : 0; }

    Cfish* chasing = nullptr;
    Cfish* chasedBy = nullptr;
    int chaseFramesLeft = 0;
    int gotClose = 0;
    uint8_t pooing = 0;

    int32_t activity = ACTIVITY_NONE, nextActivity = ACTIVITY_NONE;
    Cvector const* goalPointer = nullptr;
    char const* goalName = "unset"; // a label for traces; always a literal, so no copy per frame
    Cvector ownGoalPoint, goalDirection;
    float goalDistance = 0.0f, previousGoalDistance = 0.0f, closingSpeed = 0.0f, arriveDistance = 0.0f;
    float goalZone = 0.0f, previousGoalZone = -1.0f, etaThreshold = -1.0f;
    int idleFrames = -1, stopFrames = 0;
    uint8_t braked = 0, awayFlag = 0, activityLock = 0;
    float fleeDistance = 0.0f;
    int chaseCountdown = 0, foodLookCountdown = 10, chaseFrameCount = 0, peckState = 0;
    Cvector startlePoint;
    int startleTries = 0, clearHeadingFrames = 0, wanderTimer = 0, schoolCountdown = 0;
    int tightJamFrames = 0, bigPitchFrames = 0;
    CschoolWanderPoint wanderPoint;
    CschoolWanderMaster wanderBounds; // the tank's walls, copied when a wander starts
    // Moves the whole body rigidly by by.
    void moveBody(Cvector const& by);
    // The frame's three level-set samples (head, tail, under the middle); 10 without ground checks.
    void jamSamples(float out[3]);

  private:
    void activityStep();
    void stopStep();
    void idleStep();
    void chasedStep();
    void clearHeadingStep();
    void tightJamStep();

  public:
    // ---- spine body (fishSpine.cpp)
    void calcVertexMoveShift();
    void calcVertexShift(float rate);
    void getHeadAndTailAnticipatedPositions();
    void slideCVsForward();
    void changeVertexPitch(float angle);
    void uprightCVs();
    void bendWholeBody(float angle);
    void interpolateVertexOrientationsFromCVs();
    void calcVertexUntransformedPositions();
    void rotateToAnticipatedPosition();
    void transformVertices();
    void createPureVertex(Cvector& head);
    void updateFutureIfNecessary();
    void getFutureVertexPosition(int i, float frames, Cvector& out);

    // ---- frame update (fishFrame.cpp)
    // Before the behaviour step: clears this frame's requests and checks.
    void prepForCook() override;
    // One behaviour frame; display is 1 when the frame is drawn.
    void goFish(int display) override;
    // Strokes while slower than asked, glides otherwise; sets the real speed.
    void updateSpeed();
    // Asks for body speed s; speeding up lowers the drag.
    void _setDesiredBodySpeed(float s);
    // Asks for a tank-space speed along the head, net of the water current.
    void setDesiredRealSpeed(float speed);
    // Clamps this frame's requested turn, lets the avoid zone move it, and reacts when
    // avoidance keeps clamping.
    void limitHeadingPitchChange();
    // Keeps the head's pitch within what the speed allows.
    void limitPitchChange();

    // Hooks the fins, eyes, pectorals, flick turns and activities fill in; here they do
    // nothing (a flick turn never runs).
    // Tries a flick when the wished turn is big enough, on the right half of the beat
    // (flickTurn.cpp).
    virtual void contemplateFlickTurn();
    virtual bool flickTurnRunning() { return isFlicking != 0; }
    // One frame of the running flick (flickTurn.cpp).
    virtual void updateFlickTurn();
    // A flick by heading to the desired speed; true when it started (flickTurn.cpp).
    virtual bool startFlickTurn(float heading);
    // Both pectoral fins play one frame of their strokes (pectoralFins.cpp).
    virtual void updatePectorals();
    // Whether the frame update should push with the pectorals now (pectoralFins.cpp).
    virtual bool contemplatePectoralPush();
    // An ordinary stroke pair on both idle fins: back with the strength given, then
    // forward to a little above the present speed (pectoralFins.cpp).
    virtual void doPecPush(float strength);
    // The fins' springs, strokes, relaxation and tail tone for this frame (finRig.cpp).
    virtual void handleFins();
    // One frame of the eyes (fishEyes.cpp): a new gaze when the countdown runs out.
    virtual void calcEyes();
    // Eye mode without a hold (fishEyes.cpp).
    virtual void setEyeMovement(int mode) { setEyeMovement(mode, 0); }
    // The display frame (fishDisplay.cpp): undulated body, mouth, body variation and fin
    // draw order.
    virtual void calcDisplay();
    // One breath of a drawn frame: the gills flare with the frame counter and, unless a
    // bite or a peck holds it, the mouth opens a little with them.
    void breathe();
    virtual void startStrokeFins() {}

    // ---- fins (fishFins.cpp)
    // Binds the species' fin controllers and cloth pieces, sets the fin values to rest and
    // registers the fin controls.
    void initializeControllers();
    // Fills the cloth fins' controllers and moves their cloth for this frame.
    void updateClothControllers() override;
    // A level-set sensor touched something: its pelvic fin folds over 10 frames and
    // recovers over 40 (fishFins.cpp).
    void processLevelSetSensor(ClevelSetSensor* sensor, float level) override;
    // Re-times the dorsal and anal wave by amount (0..1); the next re-timing after frames.
    void dorsalUndulate(float amount, int frames);
    // The fins' snap at the start of a flick turn; strength at most 1.
    void flickFins(float turn, float pitch, float strength, float endSpeed);

    // ---- flick turns (flickTurn.cpp)
    // No flick runs; rate and strength at their starting values.
    void flickTurnReset();
    // Starts a flick unless it is not allowed or its path collides: 0 started, 1 refused.
    int startFlickTurn(float heading, float pitch, float endSpeed, int keepEndSpeed);
    // 1 when the predicted flick meets a wall, the floor or another fish.
    int doesFlickTurnCollideWithSomething();
    // out[1..n-1]: the head's predicted positions along the flick (out[0] the head now).
    void getFuturePositions(Cvector* out, Cvector& unused, int n);
    // Ends a flick at once. 0.
    int cleanupFlickTurn();

    // ---- pectoral fins (pectoralFins.cpp)
    // Binds both fins to the fish at rest, nothing playing; the matrices become identity.
    void pectoralInit();
    // The stroke waits on a busy fin; both fins.
    void addPacketBoth(CpecPushPacket const& packet);
    // The stroke plays at once on both fins.
    void replacePacketBoth(CpecPushPacket const& packet);
    // Both strokes aim at the desired speed, and so does a flick's end speed.
    void urgentSpeedUpdate();
    // A stroke plays or waits on either fin.
    bool pecsAreMoving() const;
    // Spread the fins forward, then back to rest; once until the second stroke ends.
    void doFullBrakes();
    // Frames over which a pitch velocity adds up to its whole effect (1 / (1 - decay)).
    float pitchResponse() const { return 1.0f / std::max(1.0f - pitchVelocityDecay, 0.01f); }

    // ---- obstacles (fishAvoid.cpp)
    // Fills the avoid zone with this frame's obstacles.
    void addVisualAvoidanceObjects();
    // The sphere as seen from vertex 3 in steering space; false when not seen.
    bool getSphereViewRect(Cvector const& centre, float radius, Crect& out) override;
    // The tank's nearby things as avoid rectangles.
    void addFishAvoidanceZones();
    void addThingAvoidanceZone(Cthing& thing, float q) override;
    // The floor under and ahead of the fish, and the back wall, as spheres to avoid.
    void doGroundAndWallAvoidanceSpheres();
    // The heading change (up to maximumTurn either way) whose probes find the most room.
    float findClearestHeading(float minimumTurn, float maximumTurn, float distance);
    // The tank's level set at vertex v moved along the body's axes (scaled); 10 without.
    float getTankLevelSetValue(short v, float side, float up, float forward);
    Cvector getHeadPos() override { return vertex[0]; }
    float getBodyLength() override { return bodyLength; }
    CavoidZone& getAvoidZone() override { return avoidZone; }
    void updateCollisionPlanes() override;
    // The boxes overlap on every axis and other is not this fish.
    bool fishIsWithinMyBoundingBox(Cfish const& other) const;
    // Gathers in the shared collector the close plane pairs with overlapping fish; the
    // collector's count.
    int collectIntersectionsWithOtherFish(int unused);
    // 1 when plane meets a plane of another fish of the tank.
    int doesPlaneIntersectOtherFish(CcollisionPlaneX& plane, int unused);

    // ---- per-fish arrays shared by name
    CdataArray* swimCycle = nullptr;
    CdataArray* swimAnimSideShift = nullptr;
    CdataArray* flickRamp[3] = {nullptr, nullptr, nullptr};
    CdataArray* flickPredict = nullptr;
    CdataArray* pitchChangeChan = nullptr;
    CdataArray* flickSpeedVariations = nullptr;
    CdataArray* planesChan = nullptr;
    CdataArray* heights = nullptr;
    void* tankPointer = nullptr;
    void* mySchool = nullptr;
    short fishMode = 0;

    // ---- body arrays
    Cmatrix3 controlOrientation[4];
    Cmatrix3 vertexOrientation[kMaxBodyPoints];
    Cvector vertex[kMaxBodyPoints];
    Cvector vertexUntransformed[kMaxBodyPoints];
    Cmatrix3 displayOrientation[kMaxBodyPoints];
    Cvector futurePosition[kFuturePositions];
    Cvector frontAnticipated, rearAnticipated;

    // ---- motion state
    float bodySpeed = 0.0f, desiredBodySpeed = 0.0f, realSpeed = 0.0f, strokeRate = 1.0f;
    float moveShift = 0.0f, moveShiftFraction = 0.0f;
    int moveShiftFloor = 0;
    float vertexShift = 0.0f, vertexShiftFraction = 0.0f;
    int vertexShiftFloor = 0;
    float headingChange = 0.0f, pitchChange = 0.0f, previousHeadingChange = 0.0f, previousPitchChange = 0.0f;
    float requestedHeadingChange = 0.0f, savedPitchChange = 0.0f, headPitchChange = 0.0f;
    float currentPitch = 0.0f, pitchVelocity = 0.0f, flickPitch = 0.0f;
    float headTurn = 0.0f, extraYaw[3] = {0.0f, 0.0f, 0.0f};
    float bodyBend = 0.0f, previousBodyBend = 0.0f;
    float wholeBodyBend = 0.0f, uprightStrength = 1.0f, finSpeed = 0.0f, headFollow = 1.0f;
    float headingLean = 0.0f, pitchLean = 0.0f;
    uint8_t stroking = 0;
    float strokeStrength = 0.0f, strokeThrust = 0.0f, swimPhase = 0.0f, finClothFactor = 0.5f;
    uint8_t avoiding = 0, freeSteering = 0;
    int avoidCount = 0, emergencyLevel = 0, bigTurnCount = 0;
    float minimumPitchChange = -1.0f;
    Cvector drift, waterCurrent, forcedHead;
    uint8_t headForced = 0;
    float accumulatedSink = 0.0f;
    uint8_t groundChecks = 1, obstacleChecks = 1, futureFresh = 0, needsPlacement = 1;
    uint16_t markers[12] = {};
    int frameCounter = 0;
    int avoidForFrames = 0, avoidFrameCounter = 0;
    uint8_t showAvoidance = 0;
    Cthing* ignoredPartner = nullptr;
    CavoidZone avoidZone;
    static constexpr int kNearCapacity = 128;
    Cthing* nearThings[kNearCapacity] = {};
    float nearDistances[kNearCapacity] = {};

    // ---- displayed body, skeleton and lighting (fishDisplay.cpp, fishSkeleton.cpp,
    // fishLighting.cpp)
    // Display orientations: the spine's with a stiff head plus the swim undulation.
    void calcDisplayOrientations();
    // Display vertex positions laid along the display orientations from vertex 3.
    void calcDisplayVertexPositions();
    // Jaw, chin and lip matrices from the mouth opening.
    void calcMouth();
    // Where the waste strand leaves the body, and the body's orientation there.
    void getAnusPos(Cvector& position, Cmatrix3& orientation) override;
    // Which view variation of the body group suits a viewer direction: a and b are the
    // view direction's dot products with the head's and the body's side axes.
    static short bodyVariationForView(float a, float b);
    // Shows the body group's variation for the tank's viewpoint.
    void setBodyRenderPolyIndex();
    // Orders the pelvic and anal fin groups for the side the viewer sees.
    void determinePelvicAndAnalOrdering();
    // The skeleton table of geo's named groups; commandSkinned is set when geo drives its
    // joints by command strings, and the fins take the rig that suits it (the dorsal and
    // anal chains one segment per point of their groups). false (exit recorded) when geo
    // cannot bind the fish.
    bool makeSkeletonTable(CgeoNew& geo, std::vector<CskeletonIdentity>& table);
    // Whether geo drives its joints by command strings ("mtx_cmd"): such a fish moves its
    // fins through the registered controls.
    static bool commandDrivenModel(CgeoNew& geo);
    // Builds the work object's skeleton, binds the eyes, the collision planes and the tail's
    // angle controls, once.
    void buildFishWeights();
    // The tail's five angle controls read the displayed tail (fishSkeleton.cpp).
    void bindTailAngles();
    // Finds the body and fin groups and builds the skeleton once the work object exists.
    void initAdditionalWorkGeoStuff(CworkObject& object) override;
    // The light at each lighting point: the tank's caustics along the body times its light
    // volume at the point (each 1 when the tank has none). false (exit recorded) when the
    // lighting model holds more points than a fish keeps.
    bool calcLightingPoints();
    // The species' lighting geometry ("light_points"); null when it has none.
    CtexturedGeo* findLightingModel();
    // Colours the deformed vertices from the lighting points.
    void postDeformProcessing(CworkObject& object) override;
    // Light value of one vertex: d the light's dot product with its normal, l its
    // interpolated point light, shade its own shading; adjust (may be null) the vertex's
    // light adjust pair of a command-skinned fish.
    static float vertexLight(float d, float l, float shade, float diffuse, float const* adjust);

    // ---- eyes (fishEyes.cpp)
    class Ceye {
      public:
        // Binds the eye to its joint matrix and position; centred, not turned.
        void initEye(Cmatrix_4* jointMatrix, Cvector const& position, float angle, float sign);
        // Local rotation: heading about up, then pitch about forward.
        void calcMatrix();

        float heading = 0.0f, pitch = 0.0f;
        float sideAngle = 0.0f, sideSign = 0.0f;
        Cmatrix_4* matrix = nullptr;
        Cvector position;
        Cmatrix3 localRotation;

        Ceye() { localRotation.identity(); }
    };
    enum eyemove : int { EYES_CENTRED = 0, EYES_AHEAD = 1, EYES_FORWARD_GLANCES = 2, EYES_ANYWHERE = 3 };
    void initEyes();
    // A new eye mode, refused while the current mode's hold lasts.
    void setEyeMovement(int mode, int holdFrames);
    void setEyeAngleLimits(float, float, float, float) {}

    static constexpr int kMaxLightingPoints = 20;
    Cvector displayVertex[kMaxBodyPoints];
    float undulation[kMaxBodyPoints] = {};
    float tailBend = 0.0f, tailPitch = 0.0f, noiseOffset = 0.0f;
    uint8_t tailBendSet = 0;
    float mouthOpening = 0.0f;
    uint8_t mouthUpdate = 1, commandSkinned = 0, weightsBuilt = 0;
    uint8_t controlsMade = 0; // the fin controls exist: command-driven joints can bind
    Cmatrix3 jawMatrix, chinMatrix, lipMatrix, gillMatrix[2];
    Cvector gillOffset, lipOffset;
    short bodyRenderIndex = -1;
    CrenderPolyGroup *nearFinGroup = nullptr, *farFinGroup = nullptr, *bodyFinGroup = nullptr;
    std::vector<float> dorsalFinDown, analFinDown;
    CtexturedGeo* lightingModel = nullptr;
    int numLightingPoints = 0;
    float lightingPoints[kMaxLightingPoints] = {};
    float causticLight[kMaxLightingPoints] = {};
    float lightingPositions[3 * kMaxLightingPoints] = {};
    Cvector lightDirection{0.0f, 1.0f, 0.0f};
    Ceye eyes[2];
    int16_t eyeCountdown = 1, framesSinceGlance = 100;
    int eyeMode = EYES_ANYWHERE, framesInEyeMode = 0, eyeModeHold = 0;

    // ---- pectoral fins
    CpecFin pecLeft, pecRight;
    int pushCounter = 0;
    uint8_t braking = 0;
    uint8_t climbing = 0;
    // Left upper, left lower, right upper, right lower: the fin rig sets them and the
    // skeleton reads them.
    Cmatrix3 pectoralMatrix[4];
    float flickEndSpeed = 0.0f;

    // ---- bite and peck (fishBiteAnimCycle.cpp, fishPeckAnimCycle.cpp)
    // Opens the mouth over the next ten frames unless a bite runs; amount is kept.
    void startBite(float amount);
    // Reaches the head reach along the peck direction and back, biting on the way, unless
    // the head is already held or a peck runs.
    void startPeck(float approachSpeed, float reach, float clearance);

    CfishBiteAnimCycle biteCycle;
    CfishPeckAnimCycle peckCycle;
    uint8_t biting = 0, pecking = 0;
    float biteAmount = 0.0f, peckApproachSpeed = 0.0f, peckClearance = 0.0f;
    Cvector peckDirection{0.0f, -1.0f, 0.0f};

  private:
    void registerKeys();
    void clearSteering();
};

// Ground-contact marker among the twelve decaying counters.
constexpr int kGroundMarker = 0;
