// The values of a tank that follow from the aspect of its views: backdrop width of a
// swatch tank, follow and inspect distances, the full-width and full-height eyes, the
// water-push grid, and the frustum and walls that hold the fish.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"

void Ctank::recalcTankAspect() {
    if (tankTypeName == "swatch") {
        tankObjectsAspect = imageAspect;
        double depth = (static_cast<double>(floor_front[1]) - backdrop_zpos) * 0.2;
        backdrop_width = static_cast<float>((depth + (static_cast<double>(backdrop_top) - backdrop_base)) *
                                            static_cast<double>(imageAspect));
        frustumPending = 1;
    }
    cameraZoffsetFromFollowedFish = imageAspect > 0.0f ? 5.0f * std::sqrt(imageAspect) : 0.0f;
    inspectClosestToTankZdist = (std::max(floor_front[1], schoolMaxBound.z) + 2.0f) * tankScale;
    tankToViewRatio = imageAspect != 0.0f ? tankObjectsAspect / imageAspect : 0.0f;
    VTRACE(1, "tankObjectsAspect " << tankObjectsAspect << " allViewsAspect " << imageAspect
                                   << " tankToViewRatio " << tankToViewRatio);
    if (tankToViewRatio < 1000.0f && tankToViewRatio > 0.01f) rebuildCameraMenusOnDisplays();
    calcWidescreenFullscreenAndFollowThreshold();
    setUpFoodPushVoxels();
    newCameraPending = 1;
}

void Ctank::calcWidescreenFullscreenAndFollowThreshold() {
    Ccamera cam;
    if (!getCameraFromListUsingCameraNum(cam, 7)) {
        // A tank without its wide camera cannot frame itself; the run ends cleanly.
        Cstring reason = Cstring("nocam9 ") + name;
        setExitError(reason.c_str(), 1);
        return;
    }
    cam.camPos -= cam.direction * 100.0f;
    if (cam.allowLetterboxing) containCameraInFrustum3D(cam);
    cam.camPos -= cam.direction;
    containCameraInFrustum3D(cam);
    cameraEyePosAtFullWidth = cam.camPos;
    cam.allowLetterboxing = 0;
    containCameraInFrustum3D(cam);
    cameraEyePosAtFullHeight = cam.camPos;
    inspectFollowOrStaticThresholdZdist =
        std::max(cameraEyePosAtFullHeight.z - 3.0f * tankScale,
                 (inspectClosestToTankZdist + cameraEyePosAtFullHeight.z) / 2.0f);
    newCameraPending = 1;
    VTRACE(4, "calcWidescreenFullscreenAndFollowThreshold cameraEyePosAtFullWidth"
                  << cameraEyePosAtFullWidth << " cameraEyePosAtFullHeight" << cameraEyePosAtFullHeight);
}

int Ctank::setUpFoodPushVoxels() {
    if (waterSwishField == nullptr) {
        waterSwishField = new CdataImage;
        waterSwishField->name = "waterSwishField";
        waterSwishField->setParent(this, 1);
    }
    waterSwishField->clearDataArray();
    // Four cells per unit of backdrop; a degenerate backdrop still gets one cell.
    int resX = static_cast<int>(std::max(0.0f, backdrop_width * 4.0f + 1.0f));
    int resY = static_cast<int>(std::max(0.0f, (backdrop_top - backdrop_base) * 4.0f + 1.0f));
    waterSwishField->init(std::max(resX, 1), std::max(resY, 1), 0, 2, 4);
    waterSwishField->fillWithConstant(0.0f);
    double half = static_cast<double>(backdrop_width) / 2.0;
    waterSwishField->setDimensionSpace(0, static_cast<float>(backdrop_xshift - half),
                                       static_cast<float>(backdrop_xshift + half));
    waterSwishField->setDimensionSpace(1, backdrop_base, backdrop_top);
    return 0;
}

void Ctank::rebuildCameraMenusOnDisplays() {
    rebuildCameraMenu(nullptr);
}

void Ctank::adjustOccupantContainmentFrustum(bool) {
    Cvector eye = cameraEyePosAtFullWidth;
    float back = tankScale * schoolMinBound.z;
    float front = tankScale * schoolMaxBound.z;
    Cvector2 left, right, bottom, top;
    getBoth2DFrustumLimitPoints(left, right, 0);
    getBoth2DFrustumLimitPoints(bottom, top, 1);
    bottom.x += bottomLift;
    if (eye.z == left.y) return; // the eye on the backdrop: no frustum to build
    float t = (front - left.y) / (eye.z - left.y);
    float z = left.y + (eye.z - left.y) * t;
    Cvector cornerBottomLeft(left.x + (eye.x - left.x) * t, bottom.x + (eye.y - bottom.x) * t, z);
    Cvector cornerTopRight(right.x + (eye.x - right.x) * t, top.x + (eye.y - top.x) * t, z);
    fishFrustum.setFrustum(eye, cornerBottomLeft, cornerTopRight, back);
    for (int k = 0; k < 3; ++k) {
        for (int s = 0; s < 2; ++s) {
            Cvector p[3];
            float const others[3][2] = {{0, 0}, {1, 0}, {0, 1}};
            for (int i = 0; i < 3; ++i) {
                float c[3];
                c[k] = static_cast<float>(s);
                c[(k + 1) % 3] = others[i][0];
                c[(k + 2) % 3] = others[i][1];
                p[i] = Cvector(c[0] * 2.0f - 1.0f, c[1] * 2.0f - 1.0f, c[2]);
                fishFrustum.frustumToReal(p[i]);
            }
            Cvector normal;
            normal.crossOf(p[1] - p[0], p[2] - p[0]);
            if (s == 0) normal = -normal;
            normal.normalize();
            wanderWallNormal[2 * k + s] = normal;
            wanderWallPoint[2 * k + s] = (p[k] + p[(k + 2) % 3]) * 0.5f;
        }
    }
    schoolBoxMin = Cvector(cornerBottomLeft.x, cornerBottomLeft.y, back);
    schoolBoxMax = Cvector(cornerTopRight.x, cornerTopRight.y, front);
    VTRACE(4, "adjustOccupantContainmentFrustum cornerBottomLeft" << cornerBottomLeft << " cornerTopRight"
                                                                  << cornerTopRight << " farPlane" << back);
}

void Ctank::containPointWithinFishFrustum(Cvector& point, float margin) {
    if (fishFrustum.depthScale == 0.0f) return;
    fishFrustum.realToFrustum(point);
    auto clampTo = [](float v, float lo, float hi) { return v < lo ? lo : std::min(v, hi); };
    point.x = clampTo(point.x, -1.0f + margin, 1.0f - margin);
    point.y = clampTo(point.y, -1.0f + margin, 1.0f - margin);
    point.z = clampTo(point.z, margin, 1.0f - margin);
    fishFrustum.frustumToReal(point);
}
