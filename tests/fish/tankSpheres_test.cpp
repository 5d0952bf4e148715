// A real tank's obstacle spheres: loaded from the definition's avoid-sphere model through the
// tank's hook, refused for a model that is no sphere model, freed with the tank.
#include <gtest/gtest.h>

#include "fish/sphereField.h"
#include "fish/tankSpheres.h"
#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "support/cerr.h"
#include "world/tank.h"

namespace {

// A model of points with the given attributes: positions, and a radius when asked.
CgeoNew* pointModel(bool radii) {
    CgeoFileContents contents;
    contents.attribs.push_back({Cstring("pos"), 3, 0});
    contents.floatsPerPoint = 3;
    if (radii) {
        contents.attribs.push_back({Cstring("pscale"), 1, 0});
        contents.floatsPerPoint = 4;
    }
    float const points[2][4] = {{0, 0, 0, 0.5f}, {2, 1, 0, 0.25f}};
    for (auto const& p : points) {
        contents.data.insert(contents.data.end(), p, p + contents.floatsPerPoint);
        contents.points++;
    }
    std::string bytes;
    auto* geo = new CgeoNew;
    if (encodeGeoFile(contents, bytes) != nullptr ||
        geo->loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                     "test") != 0) {
        delete geo;
        return nullptr;
    }
    return geo;
}

TEST(TankSpheres, TheDefinitionsModelBecomesTheTanksObstacles) {
    installTankSpheres();
    ASSERT_NE(loadTankSpheres, nullptr);
    struct Case {
        bool radii;
        float scale;
        int result;
        size_t spheres;
    } const cases[] = {
        {true, 1.0f, 0, 2},  // two rocks
        {true, 2.0f, 0, 2},  // the tank's scale grows them
        {false, 1.0f, 1, 0}, // points without radii are no obstacles
    };
    for (Case const& c : cases) {
        resetExitState();
        auto* tank = new Ctank(nullptr);
        CgeoNew* model = pointModel(c.radii);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(loadTankSpheres(tank, model, c.scale), c.result);
        size_t made = tank->sphereField() ? tank->sphereField()->spheres.size() : 0;
        EXPECT_EQ(made, c.spheres);
        if (c.spheres) {
            // Inside the first rock, and clear of both in open water.
            EXPECT_LT(tank->sphereField()->getSphereLevelSet(Cvector(0.1f, 0, 0), nullptr), 0.0f);
            EXPECT_GT(tank->sphereField()->getSphereLevelSet(Cvector(1.0f, 3.0f, 0), nullptr), 0.0f);
            EXPECT_NEAR(tank->sphereField()->spheres[0].radius, 0.5f * c.scale, 1e-6f);
        }
        EXPECT_EQ(loadTankSpheres(tank, nullptr, 1.0f), 1) << "no model";
        delete model;
        delete tank; // frees the field (the leak checker watches)
    }
    resetExitState();
}

} // namespace
