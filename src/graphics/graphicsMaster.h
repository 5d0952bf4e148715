// The display device: one per screen that shows a tank.
//
// CgraphicsAPI holds everything that belongs to one output window: its size and the
// rectangles derived from it (the 3D viewport with its letterbox bars, the interface
// viewport, the tank-grid cells it can see), its display index and pass bit, and the
// registry of textures and shaders created in its context. Every drawing operation is
// virtual and neutral here, so that code above can be tested with a recording subclass and
// no GL; CopenGL (graphicsGL.h) is the real device.
#pragma once

#include <cstdint>
#include <vector>

#include "graphics/deviceGlobals.h"
#include "graphics/renderLists.h"
#include "graphics/textureImage.h"
#include "support/esTransform.h"
#include "support/list.h"
#include "support/hookTable.h"
#include "support/rect.h"
#include "variables/multiLink.h"
#include "variables/variable.h"

class CdataArray;
class CguideGeometry;
class Cshader;
class Ctank;
class CtextureStage;
class CworkObject;
class CrenderPolyGroup;
class CpolyGroupDefinition;

// Displays the program handles at most; per-display tables are this long.
constexpr int maxDisplays = 8;
// A texture a device made of an image, kept in the image's slot for that display.
class CdeviceTexture {
  public:
    explicit CdeviceTexture(uint32_t textureName) : name(textureName) {}
    uint32_t name;
};

// Guide geometry is never drawn; the type exists for the draw hook.
class CguideGeometry {};

// One link of the transparent draw chain.
struct CrpgLink {
    CrpgLink* previous = nullptr;
    uint64_t xCells = 0;
    uint64_t yCells = 0;
    uint16_t materialNumber = 0;
    CworkObject* workObject = nullptr;
    CrenderPolyGroup* group = nullptr;
    CrpgLink* next = nullptr;
};

// Eight records of eight words, one per possible display; nothing reads them.
struct RenderUnit {
    uint32_t words[8];
};
extern RenderUnit m_RenderUnits[maxDisplays];

// What the device needs of the camera each frame (the tank's camera fills it).
struct CviewCamera {
    Cvector eye;
    Cvector direction{0, 0, -1};
    Cvector up{0, 1, 0};
    float nearZ = 0.1f;
    float farZ = 100.0f;
};

// Services of the tank, shop and thing layers that the device reaches through pointers the
// program's wiring fills before anything draws.
struct CgraphicsHooks {
    void (*rebuildTankViews)(Ctank* tank) = nullptr;
    void (*tankGridCells)(Ctank* tank, int& cellsX, int& cellsY) = nullptr;
    char const* (*tankName)(Ctank* tank) = nullptr;
    int (*displayCount)() = nullptr;
    void (*tankCamera)(Ctank* tank, CviewCamera& camera) = nullptr;
    // The work object's custom texture of that name (null: none).
    CtextureImage* (*findCustomTexture)(CworkObject* object, char const* name) = nullptr;
    // Whether the work object's thing is being torn down (its groups are not drawn).
    bool (*thingTearingDown)(CworkObject* object) = nullptr;
    // Whether the thing belongs to the interface (flat projection, never faded).
    bool (*interfaceThing)(CworkObject* object) = nullptr;

    // ---- the render pass ----
    // The tank's draw lists (null: the tank draws nothing).
    CtankRenderLists* (*tankRenderLists)(Ctank* tank) = nullptr;
    // Moves the tank's camera and then the tank on by one master frame.
    void (*updateTankForFrame)(Ctank* tank) = nullptr;
    // Has the tank build and sort its lists unless it did since its last update.
    void (*fetchTankDisplayGeo)(Ctank* tank) = nullptr;
    // Called when a display is asked to draw without a tank.
    void (*tankMissing)() = nullptr;
    // Whether the control panel is shown, and shown on this display.
    bool (*panelShownOn)(CgraphicsAPI* device) = nullptr;
    // The work objects of the interface things (the panel, then the pointer thing) that
    // this display draws this frame; writes at most max, returns the count.
    int (*guiWorkObjects)(CgraphicsAPI* device, CworkObject** out, int max) = nullptr;
};
extern CgraphicsHooks graphicsHooks;
// The table's description for the start-up check.
ChookTable graphicsHookTable();

class CgraphicsAPI : public CdirectoryVar, public ClinkedResourceNode, public CtextureDevice {
  public:
    CgraphicsAPI();
    // Frees nothing on the device (release does that while the context exists); traces the
    // statistics.
    ~CgraphicsAPI() override;

    // ---- virtual operations, in slot order; the base is neutral ----
    virtual int determineRefreshRate() { return 1; }
    virtual void setRefresh(int rate);
    // 1 the size changed, 0 the same size, -1 too small (inactive).
    virtual int applyNewWindowMetrics();
    virtual bool contextIsAvailable() { return true; }
    virtual int checkRenderUnitForProblems() { return 0; }
    virtual int screenGrab(char const*, char const*, int) { return 0; }
    virtual int api() { return 0; }
    virtual int init(void*) { return 1; }
    virtual void release() {}
    virtual void closingComments() {}
    virtual int initialized() { return 0; }
    // Makes this device's context current; the tag only names the caller.
    virtual int switchToThisRenderer(int) { return 0; }
    virtual int reset() { return 1; }
    virtual int present(int) { return 0; }
    // Reads the device limits into maxTexUnits, maxTexWidth, maxTexHeight; 0 success.
    virtual int GetDeviceCapabilities();
    virtual int RestoreDeviceObjects() { return 0; }
    virtual int InvalidateDeviceObjects();
    virtual void perFrameGraphicsSetup() {}
    virtual void clearTheScreen(unsigned char) {}
    virtual void cameraToRenderer() {}
    virtual void resetDepth() {}
    virtual void beginDraw() {}
    virtual void endDraw() {}
    virtual void skipToNextBuffer() {}
    virtual void drawFlatStuff(Clist<CrenderPolyGroup*>&) {}
    // Draws a poly group; null resets the cached draw state.
    virtual int geoToDisplay(CrenderPolyGroup*) { return 1; }
    // Deletes the image's texture on this device; remove also takes it out of the registry.
    void freeTexture(CtextureImage*, int) override {}
    // Makes the image's texture on this device from the array; 0 done, 1 failed.
    int imageTotexMap(CtextureImage*, CdataArray*) override { return 1; }
    virtual int getTexModulate2x() { return 0; }
    virtual int getTexPremodulate() { return 0; }
    virtual int getTexMultAdd() { return 0; }
    virtual int getTexModulate() { return 0; }
    virtual int getTexAdd() { return 1; }
    virtual int getTexReplace() { return 2; }
    virtual int getTexSubtract() { return 3; }
    virtual void drawGuideGeometry(CguideGeometry&) {}
    virtual void setFogFade(float) {}
    virtual float getRasterPos() { return 0.0f; }
    virtual Cshader* makeNewShader() { return nullptr; }
    virtual ClinkedResourceNode* initDeviceData(CworkObject*) { return nullptr; }
    virtual void freePGDgraphicsData(CpolyGroupDefinition*) {}

    // Frees every buffer, texture and shader made in this context (the links of the
    // resource graph); only the device itself stays.
    void freeBuffers() override;

    // ---- the render pass (renderPass.cpp) ----
    // Draws one frame of the attached tank: the opaque list, the transparent chain back to
    // front with like materials batched, then the interface. The argument is unused. 0.
    int RenderFraction(float unused);
    // Whether the group is drawn on this display: always with skipPOVtest or drawAll,
    // else when its cell bounds meet cellRect.
    bool isRPGvisible(CrenderPolyGroup* group) const;
    // Has the tank build its lists (once per frame however many displays ask).
    void fetchDisplayGeo(Ctank* t);
    // Fills guiList with the interface groups this display draws.
    void fetchGuiGeo();
    // Appends the shown groups of an interface thing's work object to guiList.
    void addThingToGuiGeo(CworkObject* object);
    // Draws, ahead of their turn, the groups of currentLink's object and material that
    // nothing between covers on screen.
    void scanForSimilarObjects(CrpgLink* from, CrpgLink* anchor);
    // 1 when a is b or no link from a up to b overlaps b in both cell masks.
    static int passesObscuringTest(CrpgLink* a, CrpgLink* b);

    // ---- display identity and window metrics ----
    void setDisplayIndex(int index);
    void change3Dmode(short on) { stereoMode = on != 0; }
    void activate();
    // Stores the window rectangle; the first one is applied at once, later ones wait.
    void setNewWindowMetrics(Crect const& rect);
    // The shorter window side spans 0..1, the longer 0..aspect.
    void calcGuiViewportRect();
    // The letterbox bars, viewport height and visible cells for the camera's view fov of
    // the tank's visible area tankView within its whole view wholeView.
    void calcAllFovRectsAndLetterboxing(Crect fov, Crect const& tankView, Crect const& wholeView);
    // Edge statuses from this display's place among the screens showing its tank.
    void setOrderingWithinPeers(int position, int screens);
    // Window pixels to interface coordinates, in place.
    void convertScreenCoordsToGUIviewport(float& x, float& y);

    // ---- textures ----
    void registerTexture(CtextureImage* texture);
    // Takes the first equal entry out (order kept) and clears its handle for this display.
    void removeTexture(CtextureImage* texture);
    int16_t textureSlotIndex() override { return displayIndex; }
    // The device texture of a stage on this display: its image's (made on first use; 0
    // with the exit error "no tex" when it cannot be made), else the work object's custom
    // texture of the stage's name, else 0.
    uint32_t fetchTexture(CtextureStage* stage, CworkObject* object);
    uint32_t fetchTexture(CtextureImage* image);
    // The image's texture name for this display; 0 none (also for an unusable index).
    uint32_t textureHandle(CtextureImage* image) const;
    // Replaces the image's device texture for this display (0: none).
    void setTextureHandle(CtextureImage* image, uint32_t name);

    // ---- checks and helpers ----
    // 1 (with the exit error) for a blacklisted renderer name; else 0.
    int checkForBadCard();
    // 1 when no texture unit exists; traces the limits.
    int verifyGraphicsCapabilities();
    struct FogEnd {
        float offset;
        float factor;
    };
    static FogEnd getFogEnd(float fade, float end);
    // The low 32 bits, lowest first: "X" set, "-" clear.
    static void showLongBits(unsigned long bits);

    // ---- teardown ----
    void freeAPIgraphicsResources();
    void freeAllTextureMem();
    void freeAllShaders();

    int32_t wireframe = 0;
    float width = 0;
    float height = 0;
    float minDimension = 0;
    int32_t letterboxTop = 0;
    int32_t letterboxBottom = 0;
    int32_t viewportHeight = 0;
    short leftMonitorExtendStatus = 0;
    short rightMonitorExtendStatus = 0;
    bool stereoMode = false;
    ESMatrix viewProjection{};
    ESMatrix secondEyeViewProjection{};
    ESMatrix flatProjection{};
    float refreshRate = 60.0f;
    int16_t displayIndex = -1;
    uint8_t displayBit = 0;
    uint8_t isActive = 0;
    int16_t drawAll = 0;
    // Run totals: a long run passes 2^31 bytes within minutes.
    int64_t totalMaterialChanges = 0;
    int32_t framesRendered = 0;
    int64_t lockBytesSentToVideoCard = 0;
    std::vector<CtextureImage*> textures;
    std::vector<Cshader*> shaders;
    Clist<CrpgLink> rpgLinks;
    CrpgLink* currentLink = nullptr;
    Clist<CrenderPolyGroup*> guiList;
    int32_t polygonModeState = 0;
    int16_t texturesOn = 0;
    uint8_t depthTestState = 0;
    int8_t depthWriteState = -1;
    uint8_t panelOnThisDisplay = 0;
    int8_t windowChanged = -1;
    int32_t clearScreen = 0;
    Crect windowRect;
    Crect appliedWindowRect;
    Crect guiViewportRect;
    Crect fovRect;
    Crect letterboxedFovRect;
    Crect normalizedViewRect;
    Crect cellRect;
    float clearColor[3] = {0, 0, 0};
    Ctank* tank = nullptr;
    // The camera of the last frame; refreshed from the tank when a hook is set.
    CviewCamera viewCamera;
    uint8_t renderState = 0;
    int32_t opaqueIndex = 0;
    int32_t lastTransparentIndex = 0;
    RenderUnit* renderUnit = nullptr;

  protected:
    // Whether the display index can address a per-display slot.
    bool hasSlot() const { return displayIndex >= 0 && displayIndex < TEXTURE_DISPLAY_SLOTS; }
};

// The renderer's name (maxTexWidth and maxTexHeight live with the data arrays that read
// them, maxTexUnits with the materials).
extern Cstring graphicsCards;
extern uint8_t doNotSendReport;
extern CguideGeometry guideGeo;
// Scene brightness (1 clear, 0 black) and the sideways slide of a transition.
extern float masterMult;
extern float slideAmplitude;
// Frame clocks, advanced only by the frame step.
extern int32_t masterFrame;
extern int32_t masterOddFrame;

// Set while a dying device lets go of what is still linked to it: the resources forget
// the device and delete no GL objects (their context is not current, or gone).
extern bool deviceOrphaning;

// Buffer statistics (graphicsMaster.cpp); the teardown report prints them.
extern int32_t vertexBuffersAlloced;
extern int32_t maxVertexBuffersAlloced;
extern int32_t indexBuffersAlloced;
extern int32_t texturesAlloced;
extern int32_t streamSourceChanges;
extern int32_t dynamicLockUnlocks;
