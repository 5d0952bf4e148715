// The tank camera: the camera record, the camera list, behaviours, following, blending
// towards the destination camera, containment in the tank's frustum and the per-frame
// camera step that builds the point of view.
#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "script/rotaterVar.h"
#include "support/cerr.h"
#include "variables/variableBasics.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/tankThings.h"

CtankInputState tankInput;
float touchManipulationZplane = -1.0f;

namespace {
// Camera fields of view are degrees; containment and the view rectangle use the tangent.
float halfFovTangent(float fovDegrees) {
    return std::tan(fovDegrees * 0.5f * 3.14159265f / 180.0f);
}
} // namespace

Ccamera::Ccamera() = default;

int Ccamera::fillFromCameraArray(CarrayVar* array, float scale) {
    if (array == nullptr) return 0;
    std::vector<Cstring> strings;
    std::vector<float> floats;
    // Element 0 is the number the camera list matches on.
    array->getValues(strings, floats, 1);
    if (strings.size() != 1 || floats.size() != 9) {
        VTRACE(1, "strings:" << strings.size() << " flts:" << floats.size());
        setExitError("bad cam", 1);
        return 0;
    }
    name = strings[0];
    camPos = Cvector(floats[0], floats[1], floats[2]) * scale;
    direction = Cvector(floats[3], floats[4], floats[5]);
    direction.normalize();
    up = Cvector(0.0f, scale, 0.0f);
    fovMaxDim = floats[6];
    dimensionPin = floats[7];
    VTRACE(4, "dimensionPin " << dimensionPin);
    allowLetterboxing = dimensionPin > 0.0f ? 1 : 0;
    behavior = static_cast<uint8_t>(static_cast<int>(floats[8]));
    return 1;
}

void Ccamera::showCamera() const {
    VTRACE(2, "camera: pos=" << camPos << " direction=" << direction << " up=" << up << " fovy=" << fovy);
}

int Ctank::getCameraFromListUsingCameraNum(Ccamera& cam, int number) {
    VTRACE(4, "getCameraFromListUsingCameraNum " << number);
    auto* list = dynamic_cast<CrotaterVar*>(getChild("cameraRotate"));
    if (list == nullptr) list = dynamic_cast<CrotaterVar*>(findVariable("cameraRotate"));
    if (list == nullptr) return 0;
    // Only an exact match counts; the list's current choice is left alone.
    for (Cvariable* c = list->firstChild; c; c = c->nextSibling) {
        auto* array = dynamic_cast<CarrayVar*>(c);
        if (array == nullptr || array->getFloat(0) != static_cast<float>(number)) continue;
        if (!cam.fillFromCameraArray(array, tankScale)) return 0;
        VTRACE(1, "camera " << cam.name);
        return 1;
    }
    return 0;
}

void Ctank::changeCameraBehavior(short behavior) {
    if (behavior == camera) return;
    camera = behavior;
    if (behavior == CAM_STATIC) {
        following = 0;
    } else if (behavior == CAM_FOLLOW_FISH) {
        followCountdown = 0.0f;
        changeFollowStatus(true, 0.01f);
        followLock = 0;
    } else if (behavior == CAM_MOUSE) {
        followCountdown = 3.0f;
        followLock = 1;
    }
    VTRACE(4, "newBehavior " << behavior);
}

void Ctank::changeFollowStatus(bool follow, float rate) {
    if (!following && follow) {
        followBlend.setMove(0.0f, 0.0f, 2, 1);
        followBlend.setNextMove(std::max(rate, 0.01f), 100.0f, 2);
        followCountdown = 10.0f;
    }
    following = follow ? 1 : 0;
}

void Ctank::doFollowFishCamera(bool start) {
    if (start) {
        Cvariable* followed = following ? focus : nullptr;
        changeFollowStatus(true, 0.01f);
        if (focus && followed != focus) {
            changeFocusThing(focus);
            changeFollowStatus(true, 0.01f);
        }
    } else if (followCountdown > 0.0f) {
        followCountdown -= globalSecondsSinceLastFrame;
        return;
    } else if (!(shop && shop->highlight == 0 && followLock) && focus && !following) {
        changeFocusThing(focus);
        changeFollowStatus(true, 0.01f);
    } else if (camera == CAM_MOUSE && !tankDisplays.empty() && tankDisplays[tankDisplays.size() / 2]) {
        CgraphicsAPI* middle = tankDisplays[tankDisplays.size() / 2];
        Cvariable* under =
            getThingClosestToScreenSpace(middle, middle->width * 0.5f, middle->height * 0.5f, 0.3f);
        if (under && under == focus && following) {
            followCountdown = 1.0f;
        } else if (under) {
            changeFocusThing(under);
            changeFollowStatus(true, 0.01f);
        }
    }
    if (!following) return;
    Cvector target;
    if (focus == nullptr || !tankLiveAccess->getMidPos(focus, target)) {
        following = 0;
        return;
    }
    setDesiredCameraTarget(target, 0.0f);
}

void Ctank::setDesiredCameraTarget(Cvector const& target, float t) {
    destCamera = myCamera;
    destCamera.camPos = target - myCamera.direction * cameraZoffsetFromFollowedFish;
    size_t n = tankDisplays.size();
    if (n > 0 && n % 2 == 0) {
        // Keep the fish off the bezel between the two middle displays.
        CgraphicsAPI* leftOfMiddle = tankDisplays[n / 2 - 1];
        CgraphicsAPI* rightOfMiddle = tankDisplays[n / 2];
        if (leftOfMiddle && rightOfMiddle)
            destCamera.camPos.x += leftOfMiddle->width > rightOfMiddle->width ? 2.0f : -2.0f;
    }
    destCamera.camPos.z = std::max(destCamera.camPos.z, inspectClosestToTankZdist);
    if (t != 1.0f) containCameraInFrustum3D(destCamera);
    VTRACE(4, "TARGET: desiredTarget" << target << " destCamera.camPos[ZZ]" << destCamera.camPos.z);
}

void Ctank::doCameraBlendToNext() {
    followBlend.update();
    float b = followBlend.ownValue;
    float k = 1.0f - b;
    cameraVelocity *= 0.97f;
    lastCameraPos = myCamera.camPos;
    myCamera.camPos += (destCamera.camPos - myCamera.camPos) * b + cameraVelocity;
    myCamera.direction = destCamera.direction * b + myCamera.direction * k;
    myCamera.fovMaxDim = destCamera.fovMaxDim * b + myCamera.fovMaxDim * k;
    myCamera.dimensionPin = destCamera.dimensionPin * b + myCamera.dimensionPin * k;
}

void Ctank::destCameraChanged() {
    adjustOccupantContainmentFrustum(false);
    frustumPending = 1;
}

void Ctank::getBoth2DFrustumLimitPoints(Cvector2& a, Cvector2& b, int axis) {
    if (axis == 0) {
        a = Cvector2((backdrop_xshift - backdrop_width / 2.0f) * tankScale, backdrop_zpos * tankScale);
        b = Cvector2((backdrop_xshift + backdrop_width / 2.0f) * tankScale, backdrop_zpos * tankScale);
    } else {
        a = Cvector2(floor_front[0] * tankScale, floor_front[1] * tankScale);
        b = Cvector2(backdrop_top * tankScale, backdrop_zpos * tankScale);
    }
}

// Moves p (lateral, depth) so that a stays right of the view's one edge and b left of the
// other; true only when both edges had to move it.
bool containCameraInFrustum2D(Cvector2 const& a, Cvector2 const& b, float s, Cvector2& p, bool both) {
    int moved = 0;
    float x = a.x + s * (p.y - a.y);
    if (p.x > x) p.x = x, ++moved;
    x = b.x - s * (p.y - b.y);
    if (p.x < x) p.x = x, ++moved;
    if (moved < 2 || s == 0.0f) return false;
    float d = (s * (a.y + b.y) + b.x - a.x) / (2.0f * s);
    float l = (a.x + b.x) / 2.0f + s * (b.y - a.y) / 2.0f;
    if (p.y < d) {
        if (both) {
            p = Cvector2(l, d);
        } else {
            float den = a.y + b.y - 2.0f * p.y;
            if (den != 0.0f) p.x = a.x + (b.x - a.x) * (a.y - p.y) / den;
        }
    }
    return true;
}

bool Ctank::containCameraInFrustum3D(Ccamera& cam) {
    cam.fovy = cam.fovMaxDim;
    if (imageAspect > 1.5f) cam.fovy *= 1.5f / imageAspect;
    myCamera.containmentCount = 0;
    bool letterbox = cam.allowLetterboxing && imageAspect >= 1.0f;
    float slopeY = halfFovTangent(cam.fovy);
    bool result = false;
    for (int pass = 0; pass < 2; ++pass) {
        for (int axis = 0; axis < 2; ++axis) {
            float& lateral = axis == 0 ? cam.camPos.x : cam.camPos.y;
            Cvector2 f(axis == 0 ? cam.direction.x : cam.direction.y, cam.direction.z);
            float len = std::sqrt(f.x * f.x + f.y * f.y);
            if (!(len > 0.0f)) continue;
            f.x /= len, f.y /= len;
            Cvector2 a, b, p(lateral, cam.camPos.z);
            getBoth2DFrustumLimitPoints(a, b, axis);
            a.rotateBasedOnForwardVect(f);
            b.rotateBasedOnForwardVect(f);
            p.rotateBasedOnForwardVect(f);
            float slope = axis == 0 ? slopeY * imageAspect : slopeY;
            bool report = containCameraInFrustum2D(a, b, slope, p, axis == 0 || !letterbox);
            p.unrotateBasedOnForwardVect(f);
            lateral = p.x;
            if (pass == 0) {
                cam.camPos.z = std::max(p.y, inspectClosestToTankZdist);
                myCamera.containmentCount =
                    static_cast<uint8_t>(myCamera.containmentCount + (report ? 1 : 0));
                if (axis == 1) result = report;
            }
        }
    }
    return letterbox ? result : false;
}

void Ctank::setNewCamera(int number, bool) {
    letterboxLift = 0.0f;
    if (tankDisplays.empty()) return;
    VTRACE(2, "setting camera = " << number);
    short behavior = 0;
    if (number == -1) {
        getCameraFromListUsingCameraNum(destCamera, 7);
        if (camera != -1) {
            destCamera.camPos = camPos;
            myCamera = destCamera;
            behavior = camera;
        }
        camera = -1;
        changeCameraBehavior(behavior);
    } else if (getCameraFromListUsingCameraNum(destCamera, number)) {
        changeCameraBehavior(destCamera.behavior);
    } else {
        setExitError("bad cam2", 1);
    }
    if (camera != CAM_STATIC) {
        if (focus) {
            myCamera = destCamera;
            doFollowFishCamera(true);
        }
    } else if (destCamera.dimensionPin > 0.0f && destCamera.dimensionPin < 1.0f) {
        destCamera.camPos = cameraEyePosAtFullHeight +
                            (cameraEyePosAtFullWidth - cameraEyePosAtFullHeight) * destCamera.dimensionPin;
    }
    containCameraInFrustum3D(destCamera);
    myCamera = destCamera;
    cameraUnlocked = 1;
    lastCameraPos = camPos = myCamera.camPos;
    cameraVelocity = Cvector(0, 0, 0);
    currentCamera = -1;
    adjustOccupantContainmentFrustum(false);
    frustumPending = 1;
    myCamera.showCamera();
}

void Ctank::fillViewCamera(CviewCamera& out) {
    if (!cameraBuilt) return;
    out.eye = myCamera.camPos;
    out.direction = myCamera.direction;
    out.up = camMatrix.rot.up;
    out.nearZ = nearPlane;
    out.farZ = farPlane;
}

CgraphicsAPI* Ctank::interfaceDisplay() {
    return shop && shop->guiDisplay ? shop->guiDisplay : tankInput.interfaceDisplay;
}

void Ctank::updateCamera() {
    if (newCameraPending) {
        setNewCamera(currentCamera, false);
        newCameraPending = 0;
    }
    if (camera != CAM_STATIC) doFollowFishCamera(false);
    doCameraBlendToNext();
    bool contained = containCameraInFrustum3D(myCamera);
    nearPlane = std::max(0.5f, myCamera.camPos.z - (schoolMaxBound.z + 1.0f) * tankScale);
    farPlane = (2.0f - backdrop_zpos) * tankScale + myCamera.camPos.z;

    // No camera chosen yet: the displays keep the view they have.
    if (!(myCamera.fovy > 0.0f)) return;
    Cvector forward = myCamera.direction, side, up;
    side.crossOf(myCamera.up, forward);
    side.normalize();
    up.crossOf(forward, side);
    camMatrix.rot.side = side;
    camMatrix.rot.up = up;
    camMatrix.rot.forward = forward;
    camMatrix.pos = myCamera.camPos;
    cameraBuilt = 1;

    float h = halfFovTangent(myCamera.fovy);
    fovViewRect = Crect(-h * imageAspect, h * imageAspect, -h, h);
    pov.nearDist = nearPlane;
    pov.setViewpoint(myCamera.camPos, myCamera.camPos + myCamera.direction, myCamera.up);
    pov.setFOVandGrids(fovViewRect);

    if (frustumPending && !followBlend.active && followBlend.queuedMoves() == 0) {
        adjustOccupantContainmentFrustum(frustumPending == 2);
        frustumPending = 0;
        VTRACE(4, "SOFRUST " << masterFrame);
    }

    letterboxLift = 0.0f;
    if (contained) {
        Cvector floorFront(myCamera.camPos.x, floor_front[0] * tankScale, floor_front[1] * tankScale);
        pov.worldSpaceToPOV(floorFront);
        letterboxLift = fovViewRect.height() * floorFront.y;
    } else if (!destCamera.allowLetterboxing && myCamera.allowLetterboxing) {
        myCamera.allowLetterboxing = 0;
    }
    letterboxedViewRect = fovViewRect;
    letterboxedViewRect.miny += letterboxLift;
    letterboxedViewRect.maxy -= letterboxLift;
    for (size_t i = 0; i < tankDisplays.size(); ++i) {
        CgraphicsAPI* display = tankDisplays[i];
        if (display == nullptr) continue;
        tankInfoToAPI(display);
        Crect fov = placedWindowRect[std::min<size_t>(i, 7)].normalizeWithin(allViewsRect);
        fov.stretchNormalizedTo(fovViewRect);
        display->calcAllFovRectsAndLetterboxing(fov, letterboxedViewRect, fovViewRect);
    }
    camPos = myCamera.camPos;
    cameraPosition = myCamera.camPos;
    destCameraPosition = destCamera.camPos;
    gridPov = pov;
    gridPov.setFOVandGrids(fovViewRect, viewGridCells[0], viewGridCells[1]);
}
