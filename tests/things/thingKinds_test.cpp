// The simple kinds: skinned meshes, limbs on the species skeleton and the backdrop picture.
#include "data/dataArray.h"
#include "thingTestSupport.h"
#include "things/backdropThing.h"
#include "things/targetThing.h"

namespace {

class ThingKinds : public ThingTest {};

TEST_F(ThingKinds, MeshesBindTheirSkeleton) {
    TestSpecies fourJoints("four", {Cvector(), Cvector(0, 1, 0), Cvector(0, 2, 0), Cvector(0, 3, 0)});
    struct {
        TestSpecies* species;
        bool interleaved;
        int result, joints;
    } cases[] = {{&threeJoints, 1, 0, 3}, {&plain, 1, 0, 0}, {&threeJoints, 0, 1, 0}, {nullptr, 1, 1, 0}};
    for (auto const& c : cases) {
        resetExitState();
        auto* thing = make<CbasicDeformThing>(c.species);
        threeJoints.interleaved = c.interleaved;
        EXPECT_EQ(thing->resetThing(0), c.result);
        threeJoints.interleaved = true;
        EXPECT_EQ(thing->initialized, c.result == 0);
        EXPECT_EQ(thing->workObject->numMatrices, c.joints);
        EXPECT_EQ(hasReason("no species!"), c.species == nullptr);
        if (c.joints) {
            // Joints hang from the thing's own positions and rotations; a skeleton of
            // another size moves them, and the position references follow.
            for (TestSpecies* s : {&threeJoints, &fourJoints}) {
                thing->species = s;
                ASSERT_EQ(thing->resetThing(0), 0);
                size_t last = thing->jointPositions.size() - 1;
                EXPECT_EQ(thing->workObject->matrixPoints[last].translatePoint, &thing->jointPositions[last]);
                EXPECT_EQ(thing->workObject->matrixPoints[last].rotationLink, &thing->jointMatrices[last]);
                EXPECT_EQ(thing->positionRefs[1], &thing->jointPositions[0]);
            }
            thing->goFish(1);
            EXPECT_FLOAT_EQ(thing->jointMatrices[0].forward.z, 1.0f);
            thing->species = &threeJoints;
        }
        deleteVariable(thing);
    }
}

TEST_F(ThingKinds, LimbsAreBoundOnTheSpeciesSkeleton) {
    auto* thing = make<CbasicDeformThing>(&threeJoints);
    thing->thingScale = 2.0f;
    struct {
        int joint;
        bool interleaved;
        float limb; // -1: refused
    } cases[] = {{0, true, 5.0f}, {1, true, 2.0f}, {2, true, -1}, {-1, true, -1}, {0, false, -1}};
    for (auto const& c : cases) {
        resetExitState();
        threeJoints.interleaved = c.interleaved;
        std::vector<CskeletonIdentity> ids(3);
        std::vector<Cmatrix3> m(3);
        Cvector offset(7, 7, 7);
        float limb = -1;
        EXPECT_EQ(thing->getIKchain(c.joint, ids, m, offset, limb), c.limb < 0 ? 1 : 0) << c.joint;
        EXPECT_FLOAT_EQ(limb, c.limb) << c.joint;
        EXPECT_EQ(hasReason("notInterlvd"), !c.interleaved);
        EXPECT_FLOAT_EQ(offset.x, c.limb < 0 ? 7.0f : 0.0f);
        if (c.limb >= 0) {
            size_t j = size_t(c.joint);
            EXPECT_EQ(ids[j].translatePoint, nullptr);
            EXPECT_EQ(ids[j + 1].translatePoint, &offset);
            EXPECT_EQ(ids[j + 1].rotation, &m[j + 1]);
            EXPECT_FLOAT_EQ(m[j].up.y, 1.0f);
        }
    }
    threeJoints.interleaved = true;
    deleteVariable(thing);
}

TEST_F(ThingKinds, TheTargetMarkerSitsOnTheFocusThingAndStaysWithoutOne) {
    auto* marker = make<CtargetThing>(&oneJoint);
    ASSERT_EQ(marker->resetThing(0), 0);
    ScriptedThing fish;
    fish.middle = Cvector(1, 2, 3);
    for (auto [focus, y] : {std::pair{static_cast<Cthing*>(nullptr), 0.0f}, {&fish, 2.0f}, {nullptr, 2.0f}}) {
        tank.focusThing = focus;
        marker->goFish(1);
        EXPECT_FLOAT_EQ(marker->jointPositions[0].y, y);
    }
    deleteVariable(marker);
}

TEST_F(ThingKinds, BackdropPicturesFitTheAreaAndPanAcrossTheRest) {
    struct {
        int w, h;        // the area is 4 x 2: r = 2
        double adaptive; // "adaptiveWidth"
        uint16_t tall;
        float pan; // panRange over the picture's extent in its panning direction
        float width;
    } cases[] = {{64, 32, 0, 0, 0.0f, 4.0f},  // a = r: nothing to pan
                 {128, 32, 0, 0, 0.5f, 4.0f}, // a = 2r: pans across
                 {32, 32, 0, 1, 0.5f, 4.0f},  // a = r / 2: pans vertically
                 {96, 32, 1, 0, 0.0f, 6.0f}}; // the tank takes the picture's width
    for (auto const& c : cases) {
        for (auto [n, v] : {std::pair{"tankScale", 2.0},
                            {"backdrop_top", 3.0},
                            {"backdrop_base", 1.0},
                            {"backdrop_width", 4.0},
                            {"backdrop_xshift", 0.5},
                            {"backdrop_zpos", -5.0},
                            {"backdrop_ishift", 0.0},
                            {"tankObjectsAspect", 1.0},
                            {"adaptiveWidth", c.adaptive}})
            tank.set(n, v);
        auto* backdrop = make<CbackdropThing>(&oneJoint);
        ASSERT_EQ(backdrop->resetThing(0), 0);
        backdrop->setSave(1);
        CdataArray image;
        image.init(c.w, c.h, 1, 3, 1);
        backdrop->notifyOfCustomTexSize(&image);
        float eu = (c.w - 1.0f) / image.res[0], ev = (c.h - 1.0f) / image.res[1];
        EXPECT_EQ(backdrop->tall, c.tall);
        EXPECT_FLOAT_EQ(backdrop->panRange, c.pan * (c.tall ? ev : eu)) << c.w;
        EXPECT_FLOAT_EQ(backdrop->width, c.width) << c.w;
        // The part of the picture the area shows at the picture's own shape.
        EXPECT_FLOAT_EQ(backdrop->scaleH - backdrop->shiftH, c.tall ? eu : eu - backdrop->panRange);
        EXPECT_FALSE(backdrop->doSave());
        EXPECT_FLOAT_EQ(tank.tankValue("tankObjectsAspect", 0), c.adaptive ? 6.0f : 1.0f);
        // "update" runs on the next two frames only, panning by "backdrop_ishift".
        std::vector<std::string> pans;
        for (int frame = 0; frame < 3; frame++) {
            tank.set("backdrop_ishift", frame);
            rec(backdrop).calls.clear();
            backdrop->goFish(1);
            float across = rec(backdrop).remapLo[0] - backdrop->shiftH;
            // Never past the picture's first or last column (into the padding).
            float first = 0.5f / image.res[0];
            if (!rec(backdrop).calls.empty()) EXPECT_GE(rec(backdrop).remapLo[0], first - 1e-6f) << c.w;
            if (!rec(backdrop).calls.empty()) EXPECT_LE(rec(backdrop).remapHi[0], first + eu + 1e-6f) << c.w;
            pans.push_back(rec(backdrop).calls.empty() ? "-" : num(across / (eu ? eu : 1)));
        }
        std::string half = c.tall ? "0" : num(c.pan / 2);
        EXPECT_EQ(pans, (std::vector<std::string>{c.tall ? "0" : num(0.0f - c.pan / 2), half, "-"})) << c.w;
        EXPECT_FLOAT_EQ(backdrop->jointPositions[0].z, -10.0f);
        EXPECT_FLOAT_EQ(backdrop->jointMatrices[0].side.x, -2.0f * backdrop->width); // mirrored
        deleteVariable(backdrop);
    }
    EXPECT_EQ(tank.aspectRecalcs, 1);
}

} // namespace
