// One fish tank: its things, fish list, proximities, tuning values set by tank
// definitions, focus, highlight, bubble origin, camera, views and its script commands.
//
// The files: tank.cpp (data, life cycle, the saved lines), tankPopulation.cpp (definitions,
// adding things, the fish list), tankSchools.cpp (schools), tankFocus.cpp (focus,
// highlight, bubbles, wireframe, tank-wide messages), tankCommands.cpp and
// tankMouseCommands.cpp (the script commands), tankUpdate.cpp (the frame step and
// automatic feeding), tankObstacles.cpp (level set, floor, spheres, avoidance lists),
// tankAspect.cpp (aspect values, containment frustum, push grid), tankCamera.cpp (the
// camera), tankViews.cpp (views across displays, screen to tank space), tankPicking.cpp
// (the thing under a screen position) and tankRender.cpp (render lists and displays).
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/renderLists.h"
#include "script/animValue.h"
#include "support/mystring.h"
#include "support/frustum.h"
#include "support/matrix4.h"
#include "support/pov.h"
#include "support/rect.h"
#include "support/vector.h"
#include "world/worldHooks.h"
#include "variables/dependent.h"
#include "world/tankCamera.h"
#include "world/tankFrameSources.h"
#include "world/thingServices.h"

class CshopKeeper;
class CgraphicsAPI;
struct CviewCamera;
class CrenderPolyGroup;
class CdataArray;
class CdataImage;
class CmanagedResourceVar;
class CscriptHandler;
class CscriptLine;
class Cspecies;

// The fish caps: no tank ever holds more fish than this.
constexpr int kAbsoluteFishCap = 110;

// What a tank hands its display every frame.
struct CtankDisplayInfo {
    float clearColor[3] = {0, 0, 0};
    int wireframe = 0;
    int clearThisFrame = 0;
    int screenClearMode = 0;
};

class Ctank : public ColdDependent, public CtankServices, public CtankRenderLists {
  public:
    explicit Ctank(CshopKeeper* owner);
    ~Ctank() override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override;
    // Always leaves the displays; with DO_PREPARE_FOR_DELETE also clears the tank.
    void prepareForDelete() override;
    int getType() override { return TYPE_TANK; }
    // "WIDE" 1, "FULL" 0, "SEMI" 0.4, "FOF" 2, "MOUSE" 1, "STATIC" 0 (0 returned); 1 else.
    int getLocalConstant(Cstring name, double& value) override;
    // The focus leaves: the next pickable animal waits in nextFocus.
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;

    // ---- what things call
    Cvariable* getThingList() override { return thingList; }
    void addThingToTankLists(Cthing* thing) override;
    int removeThingFromList(Cthing* thing) override;
    void updateFocusThing() override;
    void recalcTankAspect() override;
    Cmatrix_4* cameraMatrix() override { return cameraBuilt ? &camMatrix : nullptr; }
    CframeSources* frameSources() override { return &frameSourceAdapter; }

    // ---- life cycle (tank.cpp)
    void disconnectFromDevices();
    // Deletes the things (the shop keeper's panel is only unhooked) and forgets the shop.
    void clear();
    // Hands the display this frame's values; counts the clear frames down. 0.
    int tankInfoToAPI(CtankDisplayInfo& out);
    int tankInfoToAPI(CgraphicsAPI* device);
    // Runs the child script "postLoad" on the tank; its result, or 0 without one.
    int runTankPostLoadScript();
    // Stamps the change time with the present time (a tank setting changed). Tanks are
    // saved with the settings (as latent tank scripts), never in files of their own.
    void tankContentsWereChanged();

    // ---- render lists and displays (tankRender.cpp)
    // Builds and sorts the lists unless they were built since the last update. 0.
    float fetchTankDisplayGeo();
    // Gathers the shown groups of every ready, shown thing into the three lists.
    void getGeometryAndBuildRPGLists();
    // Appends the after-opaque groups to the opaque list, orders the transparent ones back
    // to front and links each to the last group of its material in that order.
    void sortRPGLists();
    // Sizes the lists while the tank is shown; frees them and the displays' resources when
    // it is not (nor while the saver is exiting).
    void setTankDisplayed(short displayed);
    // Frees the device resources of every display showing the tank. 0.
    int freeTankGraphicsResources(int unused);
    // Adds the display in the order of its window's left edge. 0; 1 (recorded, nothing
    // changed) for a display that is already there or null.
    int attachAPI(CgraphicsAPI* display);
    // Takes the display out; an absent one changes nothing.
    void detachAPI(CgraphicsAPI* display);
    // Tells each display its place among the displays of the tank.
    void reevaluateAPIextensionStatus();
    // The tank's part of one master frame as the render pass asks for it.
    virtual void updateForRenderPass();

    // ---- population (tankPopulation.cpp)
    // Runs the definition "tanks/NAME/NAME.tank". 0 done, 1 failed.
    int loadDefinition(Cstring const& typeName);
    // Makes a member of the species and adds it within the caps; null when refused, and then
    // unmade (when given) says whether it was because the species could not make one.
    Cvariable* addThing(Cstring const& speciesName, char const* folder, bool* unmade = nullptr);
    // Keeps the saved line of a thing whose species cannot be made, with its block, to be
    // written back when the tank is saved; says once per run which species is missing.
    void keepUnmadeThing(CscriptLine& line, Cstring const& speciesPath);
    // The n-th thing (from 1; below 2 the first) of that species, or null.
    Cvariable* findInstanceOfSpecies(char const* speciesName, int n);
    int findNumOfThisSpeciesInTank(Cspecies* species);
    void addFish(Cvariable* fish);
    void removeFish(Cvariable* fish);
    void adjustVariablesRelatedToNumFish();
    // The school of that name under schoolManager, found or made; null when none can be.
    Cvariable* addSchool(char const* schoolName);
    // Runs every school of schoolManager once, newest first (tankSchools.cpp).
    void updateSchools();
    // The school box, the fish frustum and its walls (tankSchools.cpp).
    void fishVolume(Cvector& lo, Cvector& hi) override;
    CflatFrustum const* occupantFrustum() override { return &fishFrustum; }
    // What swimming animals steer around (tankObstacles.cpp): the level-set volume, the
    // sand's height image, the obstacle spheres and the proximity pairs.
    float levelSetAt(Cvector const& p) override;
    bool hasLevelSetVolume() override;
    bool groundHeightAt(float x, float z, float& height) override;
    bool groundAndShadowAt(float x, float z, float& height, float& strength) override;
    CsphereField* sphereField() override { return spheres; }
    int avoidanceList(Cthing* thing, float range, Cthing** things, float* distances, int capacity) override;
    // Frees the obstacle spheres (the layer that made them knows how).
    void releaseSpheres();
    bool wanderWalls(Cvector const*& points, Cvector const*& normals) override;
    void addNodeToTankLists(Cvariable* thing);
    // Deletes every pickable thing.
    void deleteAllFish();
    // Deletes the pickable things and adds twenty fish through "/std_scripts/fishInfo".
    void populateTank();

    // ---- pointer and view commands (tankMouseCommands.cpp)
    // Runs the line when it is one of the pointer, feeding and view commands; false (and
    // result untouched) for any other command.
    bool processPointerCommand(CscriptLine& line, unsigned& result);

    // ---- focus, highlight, bubbles (tankFocus.cpp)
    void changeFocusThing(Cvariable* thing);
    // 0 drops the focus; otherwise steps to the next focus candidate by -step.
    void changeFocusThingStep(int step);
    Cvariable* findNextThing(uint32_t attribute, Cvariable* start, int step, bool wrap);
    int animalHighlight(Cstring const& command, float unused);
    void changeBubbleOrigin(int random);
    void updateBubbles();
    void setWireframeMode(int mode);
    int messageAllThingsInTank(char const* command, char const* argument, float value);

    // ---- the members
    CshopKeeper* shop;
    Cvariable* thingList = nullptr;
    // The saved lines of things whose species could not be made, written after the things.
    Cvariable* unmadeThings = nullptr;
    Cvariable* schoolManager = nullptr;
    Cvariable* allProximities = nullptr;
    std::vector<Cvariable*> fishList;
    std::vector<Cstring> disallowedSpecies;
    CdataArray* levelSet = nullptr;
    CdataArray* heightField = nullptr;
    // The obstacle spheres, made when the definition's avoid-sphere model loads; null
    // until then.
    CsphereField* spheres = nullptr;
    CdataArray* dappleImage = nullptr;
    CdataArray* fishFinFlutter = nullptr;
    CdataArray* sin256 = nullptr;
    CdataArray* camShakeChan = nullptr;
    CdataArray* camDriftChan = nullptr;
    CdataArray* diffVoxels[3] = {nullptr, nullptr, nullptr};
    CmanagedResourceVar* avoidSpheres = nullptr;
    CanimValue followBlend;
    float imageAspect = 1.0f, tankObjectsAspect = 1.0f, tankToViewRatio = 1.0f;
    Cstring panelOffScript, fishClick, bgClick, highlightOnScript, highlightOffScript;
    short tankSequenceNum = 0;
    uint8_t following = 0;
    short camera = -1;
    float followCountdown = 1000.0f;
    uint8_t followLock = 1;
    Cvector camPos;
    Cvector defCamPos;
    short currentCamera = -1;
    Cvector cameraVelocity, lastCameraPos, cameraPosition, destCameraPosition;
    Cstring crabExtras;
    Cvector crabPos{1.7f, 0.0f, -0.5f};
    float tankScale = 1.0f;
    Cstring definitionPath, tankFolder, tankTypeName;
    short viewGridCells[2] = {31, 31};
    float backdrop_width = 10.0f, backdrop_xshift = 6.0f, backdrop_top = 6.0f, backdrop_base = 6.0f,
          backdrop_zpos = -3.0f;
    float floor_front[2] = {0.0f, 0.0f};
    short adaptiveWidth = 0;
    short allowAddThing = 1;
    float bottomLift = 0.05f;
    int32_t numFish = 0;
    uint8_t randomBubbles = 0;
    uint8_t addTankLoading = 0;
    short bubbleState = 3;
    short bubbleOrigin = -1;
    uint8_t numBubbleOrigins = 0;
    short wireframeMode = 0;
    float bubbleKillHeight = 6.5f;
    int32_t numDiffuseVoxels = 0;
    short bubbleCountdown = 0;
    int8_t focusStep = -1;
    float forgetAboutFoodBelowHeight = 0.0f;
    float minimumGroundHeight = -1.0f;
    float worldSpeed = 1.0f;
    float nearPlane = 3.0f, farPlane = 18.0f, scaledNearPlane = 3.0f, scaledFarPlane = 18.0f;
    int32_t clearFramesLeft = 0;
    float clearColor[3] = {0, 0, 0};
    float solidClearColor[3] = {1.0f, 0, 0};
    float wireClearColor[3] = {1.0f, 0, 0};
    Cvector lightPos{0.0f, 9.0f, 1.5f};
    short screenClearMode = 0;
    short clearScreenEveryFrame = 0;
    uint8_t clearScreenCopy = 0;
    float lightDepthStart = 0, lightDepthInvSpan = 0;
    float lightColorASpan[3] = {}, lightColorABase[3] = {}, lightColorBSpan[3] = {}, lightColorBBase[3] = {};
    uint16_t numMovingThings = 0;
    uint8_t definitionFinished = 0;
    float camChangeSeconds = 1.0f;
    short doFishShadows = 0;
    float causticSpeed = 2.7f;
    float bubbleSpeedMult = 1.6f;
    float bubbleSpeed = 0.5f;
    Cvector fishAddPos;
    Cvector fishAddDirection{1.0f, -1.0f, 0.0f};
    float fishAddSpeed = 1.0f;
    Cvector foodAddPos;
    short tradeInValue = 0;
    Cvector schoolMinBound{0, 0, 0}, schoolMaxBound{1, 1, 1};
    Cvector schoolBoxMin, schoolBoxMax;
    Cvariable* focus = nullptr;
    Cvariable* nextFocus = nullptr;
    Cstring focusThingName; // "focusThing"
    Cvariable* bubbles = nullptr;
    float changeTime = 0;
    int32_t tankID = 0;
    // The marker shown on the highlighted animal; made by the camera code, null until then.
    // The tank owns it, in its scene or (after "OFF") out of the tree.
    Cvariable* highlightMarker = nullptr;
    // Forgets the marker, deleting it when it is out of the tree.
    void dropHighlightMarker();

    // ---- aspect, containment frustum, push grid (tankAspect.cpp)
    void calcWidescreenFullscreenAndFollowThreshold();
    int setUpFoodPushVoxels();
    void rebuildCameraMenusOnDisplays();
    void adjustOccupantContainmentFrustum(bool);
    // Moves the point inside the occupants' frustum, margin in its unit space.
    void containPointWithinFishFrustum(Cvector& point, float margin) override;

    // ---- the frame step (tankUpdate.cpp)
    // Advances the tank one render call; 1 when a thing stopped the step, else 0.
    int updateTank();
    void calcTankSpeed();
    void setFPS(float framesPerSecond);
    int prepForAction();
    // Frees n particles at the position in the first floating food with room, or in a new
    // one; a drop that cannot be served is traced and dropped (nothing stops).
    void addFood(Cvector position, int n);
    // A new floating food, set up and listed; null (traced) when none can be made.
    Cvariable* makeFoodThing();
    void removeFood(Cvariable* food) override;
    std::vector<Cvariable*> const* foodThings() override { return &foodList; }
    void addFoodToList(Cvariable* food) override;
    // The food-push grid at (x, y), bilinear; false without one.
    bool waterPushAt(float x, float y, float& px, float& py) override;
    Cvector getDefaultFoodDropPosition();
    Cvariable* findAnimalClosestTo(Cvariable* thing, bool sameSpeciesFirst);
    // Fills proximityThingList/proximityDistList with pairs nearer than range (squared).
    int prepareMyAvoidanceList(Cvariable* thing, float range);
    void updateProximities();
    void updateWaterSwishVectors();
    void instantMessageToAll(unsigned mask, int code, Cvariable* sender, int intArg, int floatArg);
    void instantMessageToAllFoodEaters(int code, Cvariable* sender, int intArg, int floatArg) override;

    // ---- the camera (tankCamera.cpp, tankViews.cpp)
    void updateCamera();
    void setNewCamera(int number, bool);
    int getCameraFromListUsingCameraNum(Ccamera& cam, int number);
    void changeCameraBehavior(short behavior);
    void changeFollowStatus(bool follow, float rate);
    void doFollowFishCamera(bool start);
    void setDesiredCameraTarget(Cvector const& target, float t);
    void doCameraBlendToNext();
    void destCameraChanged();
    bool containCameraInFrustum3D(Ccamera& cam);
    // The (lateral, depth) limit points of axis 0 (x: backdrop edges) or 1 (y: floor, top).
    void getBoth2DFrustumLimitPoints(Cvector2& a, Cvector2& b, int axis);
    Cvector normalizedViewportToTankSpace(CgraphicsAPI* display, float u, float v, float depth);
    Cvector screenPixelToTankSpace(CgraphicsAPI* display, float x, float y, float depth);
    void rebuildAllViewsRect();
    void mouseDrag(CtouchPointer& pointer);
    void doPinch(CtouchPointer& a, CtouchPointer& b);
    void autoResizeScreen(float x, float y);
    void rebuildCameraMenu(CgraphicsAPI*);
    // What the display device needs of the camera in use (untouched before the first step).
    void fillViewCamera(CviewCamera& out);
    // The display the pointer works on: the shop keeper's interface display.
    CgraphicsAPI* interfaceDisplay();

    // ---- picking (tankPicking.cpp)
    Cvariable* getThingClosestToScreenSpace(CgraphicsAPI* display, float x, float y, float tolerance);
    int mouseSelectFocusThing(short x, short y, short mode);
    int selectFocusFishFromScreen(float x, float y);
    Cvariable* getHighlightThing();

    // ---- frame step state
    uint8_t runState = 0;
    double frameAccumulator = 0.0;
    int32_t frameCount = 0;
    float frameFraction = 0.0f;
    double tankSpeed = 1.0;
    float displayShare = 1.0f;
    float fps = 60.0f;
    double waterPhase = 0.0;
    int32_t autoFeedCounter = 0;
    std::vector<Cvariable*> foodList;
    // The depth food is dropped at: the third component of foodAddPos.
    float& foodPlaneDepth = foodAddPos.z;
    CdataImage* waterSwishField = nullptr;
    CflatFrustum fishFrustum;
    // The six walls of the schools: a point and a unit normal facing the inside.
    Cvector wanderWallPoint[6], wanderWallNormal[6];
    // ---- camera state
    Ccamera myCamera, destCamera;
    float cameraZoffsetFromFollowedFish = 5.0f;
    float inspectClosestToTankZdist = 0.0f;
    float inspectFollowOrStaticThresholdZdist = 0.0f;
    Cvector cameraEyePosAtFullHeight, cameraEyePosAtFullWidth;
    uint8_t newCameraPending = 0;
    uint8_t frustumPending = 0;
    short cameraUnlocked = 0;
    short zoomLocked = 0;
    uint8_t dragging = 0;
    Cmatrix_4 camMatrix;
    uint8_t cameraBuilt = 0; // camMatrix holds a camera
    Crect allViewsRect, fovViewRect, letterboxedViewRect;
    // Each display's window rectangle placed in the side-by-side frame of the tank.
    Crect placedWindowRect[8];
    float letterboxLift = 0.0f;
    Cpov pov, gridPov;
    CtankFrameSources frameSourceAdapter{*this};

  private:
    void registerTankVariables();
};

// The last transparent group of each material number in the latest sort (every tank
// shares it; it only grows).
extern Clist<CrenderPolyGroup*> materialIDlastRPG;
// Fills the render pass's hooks into the tank layer.
void installTankRenderHooks();

// Work lists of the proximity step; they only grow.
extern std::vector<Cvariable*> proximityThingList;
extern std::vector<float> proximityDistList;

// The fish layer's obstacle spheres, slots of worldHooks.
inline auto& loadTankSpheres = worldHooks.loadTankSpheres;
inline auto& freeTankSpheres = worldHooks.freeTankSpheres;
inline auto& tankSphereLevelSet = worldHooks.tankSphereLevelSet;
