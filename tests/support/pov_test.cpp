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

} // namespace
