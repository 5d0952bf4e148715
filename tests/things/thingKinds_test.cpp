// The simple kinds: skinned meshes, the focus marker and the backdrop picture, and the
// two-joint limbs a thing binds on its species skeleton.
#include <cmath>

#include "data/dataArray.h"
#include "scriptedThing.h"
#include "thingTestSupport.h"
#include "things/backdropThing.h"
#include "things/basicDeformThing.h"
#include "things/targetThing.h"

namespace {

class ThingKinds : public ThingTest {
  protected:
    template <typename T> T* make(CspeciesServices* s, TestTank* t = nullptr) {
        T* thing = new T;
        thing->setName("kind");
        thing->species = s;
        if (t) thing->setToTank(t);
        EXPECT_EQ(thing->addRenderGeometry(), 0);
        return thing;
    }
    void TearDown() override {
        emptyTrash(); // before the species go
        ThingTest::TearDown();
    }
    TestSpecies oneJoint{"one", {Cvector(0, 0, 0)}};
    TestSpecies threeJoints{"three", {Cvector(0, 0, 0), Cvector(3, 4, 0), Cvector(3, 4, 2)}};
    TestSpecies noSkeleton{"plain"};
};

TEST_F(ThingKinds, DeformableMeshesBindTheirSkeletonOrScaleTheirBuffers) {
    struct {
        char const* label;
        TestSpecies* species;
        int skeletonResult;
        int result;
        uint8_t initialized;
        std::vector<std::string> calls;
    } cases[] = {
        {"three joints", &threeJoints, 0, 0, 1, {"init", "skeleton 3 x1.5"}},
        {"no skeleton", &noSkeleton, 0, 0, 1, {"init", "scale x1.5"}},
        {"skeleton refused", &threeJoints, 1, 1, 0, {"init", "skeleton 3 x1.5"}},
        {"no species", nullptr, 0, 1, 0, {"init"}},
    };
    for (auto const& c : cases) {
        resetExitState();
        auto* thing = make<CbasicDeformThing>(c.species);
        thing->thingScale = 1.5f;
        recorder(*thing)->skeletonResult = c.skeletonResult;
        EXPECT_EQ(thing->resetThing(0), c.result) << c.label;
        EXPECT_EQ(thing->initialized, c.initialized) << c.label;
        EXPECT_EQ(recorder(*thing)->calls, c.calls) << c.label;
        EXPECT_EQ(hasReason("no species!"), c.species == nullptr) << c.label;
        if (c.species == &threeJoints && c.result == 0) {
            auto const& bound = recorder(*thing)->boundJoints;
            for (size_t i = 0; i < 3; i++) {
                EXPECT_EQ(bound[i].translatePoint, &thing->jointPositions[i]);
                EXPECT_EQ(bound[i].rotation, &thing->jointMatrices[i]);
                EXPECT_FLOAT_EQ(thing->jointMatrices[i].up.y, 1.0f);
            }
            for (Cvector* ref : thing->positionRefs)
                EXPECT_EQ(ref, &thing->jointPositions[0]);
        }
        deleteVariable(thing);
    }
}

TEST_F(ThingKinds, ASecondResetKeepsThePositionReferencesValid) {
    auto* thing = make<CbasicDeformThing>(&threeJoints);
    ASSERT_EQ(thing->resetThing(0), 0);
    ASSERT_EQ(thing->resetThing(0), 0);
    EXPECT_EQ(thing->positionRefs[1], &thing->jointPositions[0]);
    threeJoints.restPositions.push_back(Cvector(9, 9, 9)); // the skeleton changed
    ASSERT_EQ(thing->resetThing(0), 0);
    EXPECT_EQ(thing->jointCount, 4);
    EXPECT_EQ(thing->positionRefs[2], &thing->jointPositions[0]);
    threeJoints.restPositions.pop_back();
    deleteVariable(thing);
}

TEST_F(ThingKinds, AMeshFacesForwardAndCountsItsFrames) {
    auto* thing = make<CbasicDeformThing>(&oneJoint);
    ASSERT_EQ(thing->resetThing(0), 0);
    thing->jointMatrices[0] = Cmatrix3();
    thing->goFish(1);
    EXPECT_EQ(thing->framesUpdated, 1);
    EXPECT_FLOAT_EQ(thing->jointMatrices[0].forward.z, 1.0f);
    EXPECT_FLOAT_EQ(thing->jointMatrices[0].up.y, 1.0f);
    deleteVariable(thing);
}

TEST_F(ThingKinds, TheTargetMarkerSitsOnTheFocusThing) {
    TestTank tank;
    auto* marker = make<CtargetThing>(&oneJoint, &tank);
    ASSERT_EQ(marker->resetThing(0), 0);
    ScriptedThing* fish = new ScriptedThing("fish");
    fish->setToTank(&tank);
    fish->middle = Cvector(1, 2, 3);
    struct {
        Cthing* focus;
        Cvector where;
    } steps[] = {{nullptr, Cvector(0, 0, 0)}, {fish, Cvector(1, 2, 3)}, {nullptr, Cvector(1, 2, 3)}};
    for (auto const& s : steps) {
        tank.focusThing = s.focus;
        marker->goFish(1);
        EXPECT_FLOAT_EQ(marker->jointPositions[0].x, s.where.x);
        EXPECT_FLOAT_EQ(marker->jointPositions[0].z, s.where.z);
    }
    EXPECT_EQ(marker->framesUpdated, 3);
    deleteVariable(fish);
    deleteVariable(marker);
}

TEST_F(ThingKinds, LimbsAreBoundOnTheSpeciesSkeleton) {
    auto* thing = make<CbasicDeformThing>(&threeJoints);
    thing->thingScale = 2.0f;
    struct {
        int joint;
        bool interleaved;
        int result;
        float limb;
    } cases[] = {
        {0, true, 0, 5.0f},                        // 0.5 x 2 x |(3, 4, 0)|
        {1, true, 0, 2.0f},   {2, true, 1, -1.0f}, // no next joint
        {-1, true, 1, -1.0f}, {0, false, 1, -1.0f},
    };
    for (auto const& c : cases) {
        resetExitState();
        threeJoints.interleaved = c.interleaved;
        std::vector<CskeletonIdentity> ids(3);
        std::vector<Cmatrix3> matrices(3);
        Cvector offset(7, 7, 7);
        float limb = -1.0f;
        EXPECT_EQ(thing->getIKchain(c.joint, ids, matrices, offset, limb), c.result) << c.joint;
        EXPECT_FLOAT_EQ(limb, c.limb) << c.joint;
        EXPECT_EQ(hasReason("notInterlvd"), !c.interleaved);
        if (c.result == 0) {
            size_t j = static_cast<size_t>(c.joint);
            EXPECT_EQ(ids[j].rotation, &matrices[j]);
            EXPECT_EQ(ids[j].translatePoint, nullptr);
            EXPECT_EQ(ids[j + 1].rotation, &matrices[j + 1]);
            EXPECT_EQ(ids[j + 1].translatePoint, &offset);
            EXPECT_FLOAT_EQ(offset.x, 0.0f);
            EXPECT_FLOAT_EQ(matrices[j + 1].side.x, 1.0f);
        } else {
            EXPECT_FLOAT_EQ(offset.x, 7.0f);
        }
    }
    threeJoints.interleaved = true;
    deleteVariable(thing);
}

class Backdrop : public ThingKinds {
  protected:
    void SetUp() override {
        ThingKinds::SetUp();
        tank.addValue("tankScale", 2.0);
        tank.addValue("backdrop_top", 3.0);
        tank.addValue("backdrop_base", 1.0); // area height 2
        tank.addValue("backdrop_width", 4.0);
        tank.addValue("backdrop_xshift", 0.5);
        tank.addValue("backdrop_zpos", -5.0);
        tank.addValue("backdrop_ishift", 0.0);
        tank.addValue("adaptiveWidth", 0.0);
        tank.addValue("tankObjectsAspect", 1.0);
        backdrop = make<CbackdropThing>(&oneJoint, &tank);
        ASSERT_EQ(backdrop->resetThing(0), 0);
        backdrop->setSave(1);
    }
    void TearDown() override {
        deleteVariable(backdrop);
        ThingKinds::TearDown();
    }
    // Tells the backdrop of a w x h picture; gives eu and ev, the picture's uv extents.
    void fit(int w, int h, float& eu, float& ev) {
        CdataArray image;
        image.init(w, h, 1, 3, 1);
        backdrop->notifyOfCustomTexSize(&image);
        float nw = static_cast<float>(image.res[0]);
        float nh = static_cast<float>(image.res[1]);
        eu = (w - 1.0f) / w * (w / nw);
        ev = (h - 1.0f) / h * (h / nh);
    }
    // The horizontal uv shift update applies at this ishift.
    float panAt(float ishift) {
        tank.getChild("backdrop_ishift")->setFloat(ishift);
        backdrop->update();
        return recorder(*backdrop)->lastRemap("uv", 0)->lo - backdrop->shiftH;
    }
    TestTank tank;
    CbackdropThing* backdrop = nullptr;
};

TEST_F(Backdrop, PicturesFitTheAreaAndPanAcrossTheRest) {
    struct {
        char const* label;
        int w, h; // area aspect r = 4 / 2 = 2
        uint16_t tall;
        float panOverExtent; // panRange / eu (wide) or / ev (tall)
        float width;
    } cases[] = {
        {"a = r", 64, 32, 0, 0.0f, 4.0f},
        {"a = 2r", 128, 32, 0, 0.5f, 8.0f},
        {"a = r/2", 32, 32, 1, 0.5f, 4.0f},
    };
    for (auto const& c : cases) {
        float eu = 0, ev = 0;
        fit(c.w, c.h, eu, ev);
        EXPECT_EQ(backdrop->tall, c.tall) << c.label;
        EXPECT_FLOAT_EQ(backdrop->panRange, c.panOverExtent * (c.tall ? ev : eu)) << c.label;
        EXPECT_FLOAT_EQ(backdrop->width, c.width) << c.label;
        EXPECT_FLOAT_EQ(backdrop->height, 2.0f) << c.label;
        EXPECT_FLOAT_EQ(backdrop->scaleH - backdrop->shiftH, eu) << c.label;
        EXPECT_FALSE(backdrop->doSave()) << c.label;
        EXPECT_FLOAT_EQ(recorder(*backdrop)->textureAspect, 0.3f * c.w / c.h) << c.label;
        if (!c.tall) {
            EXPECT_FLOAT_EQ(panAt(0.0f), -c.panOverExtent * eu / 2) << c.label;
            EXPECT_FLOAT_EQ(panAt(1.0f), c.panOverExtent * eu / 2) << c.label;
        }
    }
}

TEST_F(Backdrop, AnAdaptiveTankTakesThePicturesWidth) {
    tank.getChild("adaptiveWidth")->setFloat(1.0);
    float eu, ev;
    fit(96, 32, eu, ev); // a = 3: the area becomes 6 wide
    EXPECT_FLOAT_EQ(tank.tankValue("backdrop_width", 0), 6.0f);
    EXPECT_FLOAT_EQ(tank.tankValue("tankObjectsAspect", 0), 6.0f);
    EXPECT_EQ(tank.aspectRecalcs, 1);
    EXPECT_FLOAT_EQ(backdrop->width, 6.0f);
    EXPECT_FLOAT_EQ(backdrop->panRange, 0.0f);
}

TEST_F(Backdrop, UpdateRunsOnTheNextTwoFramesOnly) {
    float eu, ev;
    fit(64, 32, eu, ev);
    RecordingWorkObject* rec = recorder(*backdrop);
    std::vector<int> uploads;
    for (int frame = 0; frame < 4; frame++) {
        rec->uploads = 0;
        backdrop->goFish(1);
        uploads.push_back(rec->uploads);
    }
    EXPECT_EQ(uploads, (std::vector<int>{1, 1, 0, 0}));
    EXPECT_EQ(backdrop->framesUpdated, 4);
    EXPECT_EQ(runStringScript(backdrop, ":update"), 0);
    EXPECT_EQ(rec->uploads, 1);
}

TEST_F(Backdrop, TheQuadStandsWhereTheTankSays) {
    backdrop->width = 1.5f;
    backdrop->height = 0.5f;
    backdrop->update();
    Cvector const& at = backdrop->jointPositions[0];
    EXPECT_FLOAT_EQ(at.x, 1.0f);
    EXPECT_FLOAT_EQ(at.y, 2.0f);
    EXPECT_FLOAT_EQ(at.z, -10.0f);
    Cmatrix3 const& m = backdrop->jointMatrices[0];
    EXPECT_FLOAT_EQ(m.side.x, -3.0f); // mirrored
    EXPECT_FLOAT_EQ(m.up.y, 1.0f);
    EXPECT_FLOAT_EQ(m.forward.z, 2.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(backdrop->getChild("brightness")->getFloat()), 1.5f);
}

TEST_F(Backdrop, PicturesWithoutPixelsChangeNothing) {
    CdataArray empty;
    backdrop->notifyOfCustomTexSize(&empty);
    backdrop->notifyOfCustomTexSize(nullptr);
    EXPECT_EQ(backdrop->refreshCountdown, 0);
    EXPECT_FLOAT_EQ(backdrop->width, 0.5f);
}

} // namespace
