#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "support/pov.h"
#include "vectorExpect.h"

namespace {

struct Camera {
    Cvector eye, target, up;
};

// Several cameras, most of them turned well away from the world axes.
Camera const kCameras[] = {
    {Cvector(0, 0, -10), Cvector(0, 0, 0), Cvector(0, 1, 0)}, // looking along +z
    {Cvector(3, 2, -12), Cvector(-1, 0.5f, 4), Cvector(0.2f, 1, 0.1f)},
    {Cvector(-6, 4, 5), Cvector(2, -1, 20), Cvector(0, 1, 0)},
    {Cvector(10, -3, 0), Cvector(0, 0, 8), Cvector(0.5f, 0.8f, -0.3f)},
    {Cvector(1, 1, 30), Cvector(0, 0, 0), Cvector(0, 1, 0)}, // looking along -z
};

// The ray through a view position, built from the camera frame directly.
Cvector along(Cmatrix3 const& frame, Cvector const& eye, float vx, float vy, float t) {
    return eye + (frame.side * vx + frame.up * vy + frame.forward) * t;
}

TEST(Cpov, GridCoordinatesFollowTheCameraFrame) {
    Crect fov(-0.6f, 0.6f, -0.4f, 0.4f);
    for (Camera const& cam : kCameras) {
        Cpov pov;
        pov.setViewpoint(cam.eye, cam.target, cam.up);
        pov.setFOVandGrids(fov, 64, 32);
        Cmatrix3 const& f = pov.viewRotation;

        Cvector low = along(f, cam.eye, fov.minx, fov.miny, 7);
        pov.worldSpaceToPOV(low);
        expectNear(low, Cvector(0, 0, 7), 2e-4f);
        Cvector high = along(f, cam.eye, fov.maxx, fov.maxy, 3);
        pov.worldSpaceToPOV(high);
        expectNear(high, Cvector(64, 32, 3), 2e-3f);
        Cvector mid = along(f, cam.eye, 0, 0, 5);
        pov.worldSpaceToPOV(mid);
        expectNear(mid, Cvector(32, 16, 5), 2e-3f);

        Cvector raw;
        pov.worldSpaceToPOVraw(raw, along(f, cam.eye, 0.25f, -0.1f, 4));
        expectNear(raw, Cvector(0.25f, -0.1f, 0.25f), 1e-5f);
    }
}

// World to view and back at the point's own depth returns the point, for any camera
// rotation.
TEST(Cpov, RoundTripWithRotatedCameras) {
    std::mt19937 rng(77);
    std::uniform_real_distribution<float> u(-1, 1);
    Crect fov(-0.5f, 0.7f, -0.3f, 0.45f);
    for (Camera const& cam : kCameras) {
        for (float gx : {1.0f, 40.0f}) {
            Cpov pov;
            pov.setViewpoint(cam.eye, cam.target, cam.up);
            pov.setFOVandGrids(fov, gx, gx * 0.5f);
            for (int i = 0; i < 40; i++) {
                Cvector p = along(pov.viewRotation, cam.eye, u(rng), u(rng), 2 + 10 * std::fabs(u(rng)));
                if (std::fabs(p.z - cam.eye.z) < 0.5f) continue; // the ray must cross the depth
                Cvector v = p;
                pov.worldSpaceToPOV(v);
                pov.povToWorldSpace(v, p.z);
                expectNear(v, p, 2e-3f);
            }
        }
    }
}

TEST(Cpov, NearPlanePointsLieOnTheirRays) {
    Crect fov(-0.5f, 0.5f, -0.5f, 0.5f);
    Camera const& cam = kCameras[2];
    Cpov pov;
    pov.setViewpoint(cam.eye, cam.target, cam.up);
    pov.setFOVandGrids(fov, 10, 10);
    pov.nearDist = 0.25f;
    Cvector v(7, 2, 0);
    pov.povToNearPlane(v);
    Cvector back = v;
    pov.worldSpaceToPOV(back);
    EXPECT_NEAR(back.x, 7, 1e-3);
    EXPECT_NEAR(back.y, 2, 1e-3);
    EXPECT_NEAR(back.z, 0.25f, 1e-5);
}

TEST(Cpov, SettingGridsTwiceDoesNotCompound) {
    Crect fov(-0.5f, 0.5f, -0.25f, 0.25f);
    Camera const& cam = kCameras[1];
    Cpov once, twice;
    once.setViewpoint(cam.eye, cam.target, cam.up);
    twice.setViewpoint(cam.eye, cam.target, cam.up);
    once.setFOVandGrids(fov, 8, 4);
    twice.setFOVandGrids(Crect(0, 1, 0, 1), 3, 3);
    twice.setFOVandGrids(fov, 8, 4);
    expectNear(twice.gridRotation.side, once.gridRotation.side, 0);
    expectNear(twice.gridRotation.up, once.gridRotation.up, 0);
    expectNear(twice.gridRotation.forward, once.gridRotation.forward, 0);
}

} // namespace
