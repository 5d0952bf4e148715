// Tank data, construction, clearing, tear-down and saving.
#include "world/tank.h"

#include <fstream>

#include "data/dataArrayManager.h"
#include "graphics/graphicsMaster.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "variables/variableLinks.h"
#include "world/tankThings.h"

std::vector<Cvariable*> proximityThingList;
std::vector<float> proximityDistList;

namespace {
// Registered tank values are merged by binary loads and are links.
constexpr unsigned kTankVarFlags = VAR_BINARY_MERGE | VAR_LINK;

Cvariable* mark(Cvariable* v, int elements = 1) {
    if (v == nullptr) return nullptr;
    if (elements > 1) v->setNumElements(elements);
    v->flags |= kTankVarFlags;
    return v;
}
} // namespace

Ctank::Ctank(CshopKeeper* owner) : shop(owner) {
    flags |= VAR_SAVE | VAR_DEFER_DELETE; // the tank mark comes with CtankServices
    thingList = addDirectory("thingList", 1);
    thingList->setSave(1);
    thingList->setInvisibleSave();
    unmadeThings = addDirectory("unmadeThings", 1);
    unmadeThings->setSave(1);
    unmadeThings->setInvisibleSave();
    unmadeThings->setFlag(VAR_SAVE_ALL_CHILDREN, true);
    allProximities = addDirectory("allProximities", 1);
    schoolManager = addDirectory("schoolManager", 1);
    schoolManager->setSave(1);
    registerTankVariables();
}

void Ctank::registerTankVariables() {
    mark(registerFloat(imageAspect, "imageAspect", 0));
    mark(registerFloat(tankObjectsAspect, "tankObjectsAspect", 0));
    mark(registerFloat(tankToViewRatio, "tankToViewRatio", 0));
    mark(registerString(panelOffScript, "panelOffScript", 0));
    mark(registerString(fishClick, "fishClick", 0));
    mark(registerString(bgClick, "bgClick", 0));
    mark(registerString(highlightOnScript, "highlightOnScript", 0));
    mark(registerString(highlightOffScript, "highlightOffScript", 0));
    mark(registerShort(tankSequenceNum, "tankSequenceNum", 0));
    mark(registerShort(camera, "camera", 1));
    mark(registerFloat(camPos.x, "camPos", 1), 3);
    mark(registerShort(currentCamera, "currentCamera", 0));
    mark(registerFloat(defCamPos.x, "defCamPos", 0), 3);
    mark(registerString(crabExtras, "crabExtras", 0));
    mark(registerFloat(crabPos.x, "crabPos", 0), 3);
    registerResourcePointer(this, &avoidSpheres, "avoidSpheres");
    registerDataArrayPointer(this, &levelSet, "levelSet");
    registerDataArrayPointer(this, &dappleImage, "dappleImage");
    registerDataArrayPointer(this, &fishFinFlutter, "fishFinFlutter");
    registerDataArrayPointer(this, &sin256, "sin256");
    registerDataArrayPointer(this, &camShakeChan, "camShakeChan");
    registerDataArrayPointer(this, &camDriftChan, "camDriftChan");
    registerDataArrayPointer(this, &heightField, "heightField");
    mark(registerFloat(tankScale, "tankScale", 0));
    mark(registerString(tankTypeName, "tankTypeName", 0));
    mark(registerFloat(backdrop_width, "backdrop_width", 0));
    mark(registerFloat(backdrop_xshift, "backdrop_xshift", 0));
    mark(registerFloat(backdrop_top, "backdrop_top", 0));
    mark(registerFloat(backdrop_base, "backdrop_base", 0));
    mark(registerFloat(backdrop_zpos, "backdrop_zpos", 0));
    mark(registerFloat(floor_front[0], "floor_front", 0), 2);
    mark(registerShort(adaptiveWidth, "adaptiveWidth", 0));
    mark(registerShort(allowAddThing, "allowAddThing", 0));
    mark(registerFloat(bottomLift, "bottomLift", 0));
    mark(registerShort(bubbleState, "bubbleState", 1));
    mark(registerShort(wireframeMode, "wireframeMode", 1));
    mark(registerFloat(bubbleKillHeight, "bubbleKillHeight", 0));
    mark(registerFloat(forgetAboutFoodBelowHeight, "forgetAboutFoodBelowHeight", 0));
    mark(registerFloat(minimumGroundHeight, "minimumGroundHeight", 0));
    mark(registerFloat(worldSpeed, "worldSpeed", 1));
    mark(registerFloat(nearPlane, "nearPlane", 0));
    mark(registerFloat(farPlane, "farPlane", 0));
    mark(registerFloat(solidClearColor[0], "solidClearColor", 0), 3);
    mark(registerFloat(wireClearColor[0], "wireClearColor", 0), 3);
    mark(registerFloat(lightPos.x, "lightPos", 0), 3);
    // The clear-every-frame switch is the one value loads do not merge.
    registerShort(clearScreenEveryFrame, "clearScreenEveryFrame", 0);
    mark(registerFloat(camChangeSeconds, "camChangeSeconds", 0));
    mark(registerShort(doFishShadows, "doFishShadows", 0));
    mark(registerFloat(causticSpeed, "causticSpeed", 1));
    mark(registerFloat(bubbleSpeedMult, "bubbleSpeedMult", 1));
    mark(registerFloat(bubbleSpeed, "bubbleSpeed", 0));
    mark(registerFloat(fishAddPos.x, "fishAddPos", 0), 3);
    mark(registerFloat(fishAddDirection.x, "fishAddDirection", 0), 3);
    mark(registerFloat(fishAddSpeed, "fishAddSpeed", 0));
    mark(registerFloat(foodAddPos.x, "foodAddPos", 0), 3);
    mark(registerShort(tradeInValue, "tradeInValue", 0))->flags |= VAR_READ_ONLY;
    mark(registerFloat(schoolMinBound.x, "schoolMinBound", 0), 3);
    mark(registerFloat(schoolMaxBound.x, "schoolMaxBound", 0), 3);
    mark(registerString(focusThingName, "focusThing", 0));
}

Ctank::~Ctank() {
    // Things call their tank as they go, so they go while the tank is still whole (a tank
    // that was never cleared, or cleared without a shop keeper, still holds them).
    focus = nextFocus = nullptr;
    focusThing = requestedFocusThing = nullptr;
    dropHighlightMarker();
    if (thingList) thingList->deleteChildren();
    disconnectFromDevices();
    releaseSpheres();
}

void Ctank::prepareForDelete() {
    disconnectFromDevices();
    if (flags & DO_PREPARE_FOR_DELETE) {
        flags |= VAR_TEARING_DOWN;
        clear();
        CsafeRelationship::prepareForDelete();
    }
}

void Ctank::disconnectFromDevices() {
    VTRACE(2, "tank displays: " << tankDisplays.size());
    // The displays forget the tank too, so none draws a tank that is going away.
    for (CgraphicsAPI* d : tankDisplays)
        if (d && d->tank == this) d->tank = nullptr;
    tankDisplays.clear();
    numTankDisplays = 0;
}

void Ctank::clear() {
    disconnectFromDevices();
    changeFocusThing(nullptr);
    if (shop == nullptr) return;
    Cvariable* panel = shop->controlPanel ? shop->controlPanel->node() : nullptr;
    dropHighlightMarker();
    // One at a time from the front: deleting a thing may take others with it. A child
    // that refuses deletion is stepped over rather than tried again for ever. The shop
    // keeper's panel and food shaker outlive the tank: they are only taken out.
    Cvariable* kept = nullptr;
    for (Cvariable* child = thingList->firstChild; child;) {
        if (child == panel || child == shop->foodShaker) {
            // The shaker forgets this tank too.
            if (child == shop->foodShaker && tankThingAccess) tankThingAccess->setToTank(child, nullptr);
            if (child->parent) child->unhook();
        } else {
            deleteVariable(child);
        }
        Cvariable* head = kept ? kept->nextSibling : thingList->firstChild;
        if (head == child) {
            kept = child;
            head = child->nextSibling;
        }
        child = head;
    }
    bubbles = nullptr;
    shop = nullptr;
}

void Ctank::dropHighlightMarker() {
    Cvariable* marker = highlightMarker;
    highlightMarker = nullptr;
    // One in the scene goes with the other things; one taken out by "OFF" is ours alone.
    if (marker && marker->parent == nullptr) delete marker;
}

int Ctank::tankInfoToAPI(CtankDisplayInfo& out) {
    for (int i = 0; i < 3; i++)
        out.clearColor[i] = clearColor[i];
    out.wireframe = wireframeMode;
    out.clearThisFrame = clearFramesLeft > 0 ? 1 : 0;
    if (clearFramesLeft > 0) clearFramesLeft--;
    out.screenClearMode = screenClearMode;
    return 0;
}

int Ctank::tankInfoToAPI(CgraphicsAPI* device) {
    CtankDisplayInfo info;
    tankInfoToAPI(info);
    if (device == nullptr) return 0;
    for (int i = 0; i < 3; i++)
        device->clearColor[i] = info.clearColor[i];
    device->wireframe = info.wireframe;
    device->clearScreen = info.clearThisFrame;
    return 0;
}

int Ctank::getLocalConstant(Cstring constant, double& value) {
    static struct {
        char const* name;
        double value;
    } const constants[] = {{"WIDE", 1}, {"FULL", 0}, {"SEMI", 0.4}, {"FOF", 2}, {"MOUSE", 1}, {"STATIC", 0}};
    for (auto const& c : constants) {
        if (constant == c.name) {
            value = c.value;
            return 0;
        }
    }
    return 1;
}

void Ctank::writeConfigString(std::ostream& out) {
    out << ":addTank " << tankTypeName.c_str() << " " << tankID;
}

void Ctank::writeSaveString(std::ostream& out) {
    out << ":tank " << name.c_str();
}

int Ctank::runTankPostLoadScript() {
    VTRACE(4, "runTankPostLoadScript()");
    VTRACE(4, "tankType=" << tankTypeName);
    if (shop) VTRACE(4, "focusTankType=" << shop->focusTankType);
    Cvariable* script = getChild("postLoad");
    return script ? runScript(this, script) : 0;
}

void Ctank::tankContentsWereChanged() {
    changeTime = static_cast<float>(globalTime);
}
