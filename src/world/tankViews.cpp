// The tank's views across its displays, the mapping from screen positions into the tank,
// and the pointer gestures that move the camera: drag, pinch and double click.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "graphics/graphicsMaster.h"
#include "script/scripter.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"

Cvector Ctank::normalizedViewportToTankSpace(CgraphicsAPI* display, float u, float v, float depth) {
    if (display == nullptr) return Cvector(0, 0, depth);
    Crect const& r = display->fovRect;
    Cvector p(r.minx + u * r.width(), r.miny + v * r.height(), 0.0f);
    float w = fovViewRect.width(), h = fovViewRect.height();
    p.x = w != 0.0f ? (p.x - fovViewRect.minx) / w : 0.0f;
    p.y = h != 0.0f ? (p.y - fovViewRect.miny) / h : 0.0f;
    pov.povToWorldSpace(p, depth);
    return p;
}

Cvector Ctank::screenPixelToTankSpace(CgraphicsAPI* display, float x, float y, float depth) {
    if (display == nullptr || display->width <= 0.0f || display->height <= 0.0f) return Cvector(0, 0, depth);
    return normalizedViewportToTankSpace(display, x / display->width, y / display->height, depth);
}

void Ctank::rebuildAllViewsRect() {
    if (tankDisplays.empty()) return;
    float bezel = shop ? shop->bezel : 0.0f;
    float offset = 0.0f;
    size_t n = std::min<size_t>(tankDisplays.size(), 8);
    for (size_t i = 0; i < n; ++i) {
        CgraphicsAPI* display = tankDisplays[i];
        if (display == nullptr) {
            // A hole in the display list: the views cannot be laid out.
            setExitError("ravr", 1);
            return;
        }
        Crect placed = display->appliedWindowRect;
        placed.minx += offset;
        placed.maxx += offset;
        placedWindowRect[i] = placed;
        if (i == 0) allViewsRect = placed;
        allViewsRect.enlargeToEncompass(placed);
        offset += 4.0f * bezel * display->width;
    }
    displayShare = 1.0f / static_cast<float>(tankDisplays.size());
    imageAspect = allViewsRect.height() != 0.0f ? allViewsRect.width() / allViewsRect.height() : 0.0f;
    VTRACE(2, "rebuildAllViewsRect devices: " << tankDisplays.size() << " tank bezel frame: " << allViewsRect
                                              << " bezel " << bezel);
    recalcTankAspect();
    newCameraPending = 1;
}

void Ctank::mouseDrag(CtouchPointer& pointer) {
    if (!cameraUnlocked) return;
    zoomLocked = 0;
    Cvector before = screenPixelToTankSpace(pointer.display, pointer.previous.x, pointer.previous.y,
                                            touchManipulationZplane);
    Cvector now = screenPixelToTankSpace(pointer.display, pointer.current.x, pointer.current.y,
                                         touchManipulationZplane);
    Cvector delta(before.x - now.x, before.y - now.y, 0.0f);
    float threshold = shop ? shop->dragThreshold : 0.0f;
    if (tankInput.dragDistance <= threshold && !dragging) return;
    dragging = 1;
    if (following) {
        destCamera = myCamera;
        following = 0;
    }
    if (camera == CAM_FOLLOW_FISH && !followLock && tankInput.dragDistance > 0.5f)
        changeCameraBehavior(CAM_MOUSE);
    followCountdown = 3.0f;
    followBlend.setMove(0.15f, 0.0f, 2, 1);
    destCamera.camPos += delta;
    containCameraInFrustum3D(destCamera);
    if (shop) shop->giveGraceSecondsUntilSequenceRotate();
}

void Ctank::doPinch(CtouchPointer& a, CtouchPointer& b) {
    // A pinch (or the wheel) before any camera was set has nothing to move.
    if (!cameraUnlocked) return;
    zoomLocked = 0;
    float dx0 = a.previous.x - b.previous.x, dy0 = a.previous.y - b.previous.y;
    float dx1 = a.current.x - b.current.x, dy1 = a.current.y - b.current.y;
    float now = std::sqrt(dx1 * dx1 + dy1 * dy1);
    float ratio = now > 0.0f ? std::sqrt(dx0 * dx0 + dy0 * dy0) / now : 0.0f;
    if (shop) shop->realMousePointerOn();
    if (ratio > 0.5f && ratio < 2.0f) {
        Cvector pa = screenPixelToTankSpace(b.display, a.previous.x, a.previous.y, touchManipulationZplane);
        Cvector pb = screenPixelToTankSpace(b.display, a.current.x, a.current.y, touchManipulationZplane);
        dragging = 1;
        if (following) {
            destCamera = myCamera;
            following = 0;
        }
        followCountdown = 3.0f;
        Cvector const& c = destCamera.camPos;
        float x = (c.x - pb.x) * ratio + pa.x;
        float y = (c.y - pb.y) * ratio + pa.y;
        float z = std::max((c.z - pb.z) * ratio + pa.z, inspectClosestToTankZdist);
        if (ratio > 1.0f || c.z - z > 0.001f) {
            Ccamera saved = destCamera;
            destCamera.camPos = Cvector(x, y, z);
            containCameraInFrustum3D(destCamera);
            followBlend.setMove(0.15f, 0.0f, 1, 1);
            bool moved = destCamera.camPos.x != x || destCamera.camPos.y != y || destCamera.camPos.z != z;
            if (moved && std::fabs(destCamera.camPos.z - saved.camPos.z) < 0.001f) destCamera = saved;
        }
        if (z > inspectFollowOrStaticThresholdZdist || camera == CAM_STATIC)
            changeCameraBehavior(z > inspectFollowOrStaticThresholdZdist ? CAM_STATIC : CAM_MOUSE);
        if (shop && shop->highlight) followLock = 0;
        if (shop) shop->giveGraceSecondsUntilSequenceRotate();
    }
    // The wheel's pinch is made of single steps: both pointers let go after each.
    if (shop && shop->pinchRelease) {
        a.setMouseButtonState(0);
        b.setMouseButtonState(0);
    }
}

void Ctank::autoResizeScreen(float x, float y) {
    bool target = true;
    if (destCamera.camPos.z < cameraEyePosAtFullHeight.z - 0.1f) {
        if (camera != CAM_STATIC) {
            destCamera = myCamera;
            zoomLocked = 1;
            changeCameraBehavior(CAM_STATIC);
            if (shop && shop->controlPanel) runStringScript(shop, ":pane camlock /std_scripts/cam_locked");
            return;
        }
        zoomLocked = 0;
        changeCameraBehavior(CAM_STATIC);
    } else if (destCamera.camPos.z < cameraEyePosAtFullWidth.z - 0.05f) {
        destCamera.camPos = cameraEyePosAtFullWidth;
        changeCameraBehavior(CAM_STATIC);
        zoomLocked = 0;
        target = false;
    } else {
        changeCameraBehavior(CAM_STATIC);
        zoomLocked = 0;
    }
    if (target) {
        float tx = backdrop_xshift, ty = (backdrop_top - backdrop_base) * 0.5f;
        CgraphicsAPI* display = interfaceDisplay();
        if (x != -1.0f && display && display->width > 0.0f && display->height > 0.0f) {
            Cvector p =
                normalizedViewportToTankSpace(display, x / display->width, y / display->height, -2.0f);
            tx = p.x, ty = p.y;
        }
        destCamera.camPos = Cvector(tx, ty, cameraEyePosAtFullHeight.z);
    }
    containCameraInFrustum3D(destCamera);
    followBlend.setMove(0.0f, 0.0f, 2, 1);
    followBlend.setNextMove(0.1f, 30.0f, 2);
}

void Ctank::rebuildCameraMenu(CgraphicsAPI*) {
    char path[512];
    std::snprintf(path, sizeof path, "/tanks/%s/buildCameraList", tankTypeName.c_str());
    Cvariable* script = findVariable(path);
    if (script == nullptr) return;
    CgraphicsAPI* display = interfaceDisplay();
    if (display) addScriptSearchPath(display, 0);
    runScript(this, script);
    if (display) removeScriptSearchPath(display);
    clearTemporaryScriptSearchPaths();
}
