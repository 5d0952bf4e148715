// Waving plants: the model attributes they need, the sway against a known noise curve,
// plants in step and joints out of step, and the clocks.
#include <cmath>

#include "thingTestSupport.h"
#include "things/wavingPlant.h"

namespace {

// The signed angle the matrix turns a vector perpendicular to axis by, and whether axis
// stays where it is.
float turnAbout(Cmatrix3 const& m, Cvector axis, bool* axisFixed) {
    axis.normalize();
    Cvector fixedAxis = axis;
    fixedAxis *= m;
    *axisFixed = (fixedAxis - axis).length() < 1e-5f;
    Cvector p = std::fabs(axis.x) < 0.9f ? Cvector(1, 0, 0) : Cvector(0, 1, 0);
    p = p - axis * p.dot(axis);
    Cvector q = p;
    q *= m;
    Cvector c;
    c.crossOf(p, q);
    return std::atan2(c.dot(axis), p.dot(q));
}

class WavingPlantTest : public ThingTest {
  protected:
    // A plant of species s, not yet reset.
    CwavingPlant* make(TestSpecies& s) { return ThingTest::make<CwavingPlant>(&s); }
    static void setNormals(TestSpecies& s, std::vector<Cvector> const& normals) {
        s.addAttrib("N", 3);
        for (size_t j = 0; j < normals.size(); j++)
            s.setAttrib("N", static_cast<int>(j), {normals[j].x, normals[j].y, normals[j].z});
    }
    static std::vector<Cvector> axes() { return {Cvector(0, 0, 1), Cvector(2, 0, 0), Cvector(0, 1, 1)}; }
    // Three joints along the three axes, swinging from different noise positions.
    static constexpr float starts[3] = {0.0f, 5.0f, 40.0f}, amps[3] = {1.0f, 2.0f, -3.0f};
    static constexpr float bases[3] = {0.1f, -0.2f, 0.5f};
    static void threeJoints(TestSpecies& s, bool withBase) {
        setNormals(s, axes());
        s.addAttrib("noiseStart", 1);
        s.addAttrib("noiseAmp", 1);
        if (withBase) s.addAttrib("baseAngle", 1);
        for (int j = 0; j < 3; j++) {
            s.setAttrib("noiseStart", j, {starts[j]});
            s.setAttrib("noiseAmp", j, {amps[j]});
            if (withBase) s.setAttrib("baseAngle", j, {bases[j]});
        }
    }
};

// The noise curve is the straight line x / 100 over [0, 50): samples are index / 1000.
float ramp(int i) {
    return 0.001f * static_cast<float>(i);
}

TEST_F(WavingPlantTest, ModelsWithoutNoiseAttributesAreRefused) {
    struct {
        char const* label;
        bool start, amp, interleaved;
        int result;
        char const* reason;
    } cases[] = {
        {"both", true, true, true, 0, nullptr},
        {"no noiseStart", false, true, true, 1, "waving plant does not have proper attribs"},
        {"no noiseAmp", true, false, true, 1, "waving plant does not have proper attribs"},
        {"neither", false, false, true, 1, "waving plant does not have proper attribs"},
        {"not interleaved", true, true, false, 1, "notInterlvd"},
    };
    for (auto const& c : cases) {
        resetExitState();
        TestSpecies& s = newSpecies(2);
        if (c.start) s.addAttrib("noiseStart", 1);
        if (c.amp) s.addAttrib("noiseAmp", 1);
        s.interleaved = c.interleaved;
        auto* plant = make(s);
        EXPECT_EQ(plant->resetThing(0), c.result) << c.label;
        EXPECT_EQ(plant->initialized, c.result == 0 ? 1 : 0) << c.label;
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.label;
            // Refused again on the next reset, not passed as set up.
            EXPECT_EQ(plant->resetThing(0), 1) << c.label;
            EXPECT_EQ(plant->initialized, 0) << c.label;
        } else {
            EXPECT_TRUE(boundTo(*plant, 1, &plant->jointOrigin, &plant->rotations[1])) << c.label;
            EXPECT_TRUE(exitReasonList.empty()) << c.label;
        }
        dropThing(plant);
    }
}

TEST_F(WavingPlantTest, JointsTurnAboutTheirNormalsByBasePlusNoiseTimesAmplitude) {
    KnownNoise noise(ramp);
    for (bool withBase : {true, false}) {
        TestSpecies& s = newSpecies(3);
        threeJoints(s, withBase);
        auto* plant = make(s);
        plant->thingScale = 2.0f;
        ASSERT_EQ(plant->resetThing(0), 0);
        EXPECT_EQ(plant->workObject->matrixPoints.size(), 3u);
        for (int f = 0; f < 10; f++)
            plant->goFish(1);
        EXPECT_EQ(plant->framesUpdated, 10);
        for (int j = 0; j < 3; j++) {
            // clock0 is 10 x 0.01 after ten frames.
            float expected = (withBase ? bases[j] : 0.0f) + (0.1f + starts[j]) * 0.01f * amps[j];
            bool fixed = false;
            float angle = turnAbout(plant->rotations[j], axes()[static_cast<size_t>(j)], &fixed);
            EXPECT_TRUE(fixed) << "joint " << j;
            EXPECT_NEAR(angle, expected, 1e-5f) << "joint " << j << " base " << withBase;
            // Joints are bound to their rotation and to the shared origin.
            EXPECT_TRUE(boundTo(*plant, j, &plant->jointOrigin, &plant->rotations[j])) << "joint " << j;
        }
        dropThing(plant);
    }
}

TEST_F(WavingPlantTest, ZeroAmplitudeHoldsTheBaseAngleWhileTheClocksWrap) {
    KnownNoise noise([](int i) { return std::cos(0.1f * static_cast<float>(i)); });
    TestSpecies& s = newSpecies(1);
    setNormals(s, {Cvector(1, 0, 0)});
    s.addAttrib("noiseStart", 2);
    s.addAttrib("noiseAmp", 2);
    s.addAttrib("baseAngle", 1);
    s.setAttrib("noiseStart", 0, {3.0f, 4.0f});
    s.setAttrib("noiseAmp", 0, {0.0f, 9.0f});
    s.setAttrib("baseAngle", 0, {0.75f});
    auto* plant = make(s);
    ASSERT_EQ(plant->resetThing(0), 0);
    // The second component is kept for the model but does not move the joint.
    EXPECT_FLOAT_EQ(plant->noiseStarts1[0], 4.0f);
    EXPECT_FLOAT_EQ(plant->noiseAmps1[0], 9.0f);
    for (int f = 1; f <= 5100; f++) {
        plant->goFish(1);
        bool fixed;
        ASSERT_NEAR(turnAbout(plant->rotations[0], Cvector(1, 0, 0), &fixed), 0.75f, 1e-5f) << "frame " << f;
        ASSERT_GE(plant->clock0, 0.0f);
        ASSERT_LT(plant->clock0, 50.0f);
        ASSERT_LT(plant->clock1, 50.0f);
    }
    // 5100 x 0.01 is one wrap and 1.0 more, with the rounding of the sums.
    EXPECT_NEAR(plant->clock0, 1.0f, 0.05f);
}

TEST_F(WavingPlantTest, ALaterResetKeepsTheListsAndARefusedSkeletonIsRetried) {
    TestSpecies& s = newSpecies(2);
    s.addAttrib("noiseStart", 1);
    s.addAttrib("noiseAmp", 1);
    s.removeAttrib("parentMat"); // a skeleton without parents is refused
    auto* plant = make(s);
    EXPECT_EQ(plant->resetThing(0), 1);
    EXPECT_EQ(plant->initialized, 0);
    s.addAttrib("parentMat", 1);
    s.setAttrib("parentMat", 0, {-1.0f});
    s.setAttrib("parentMat", 1, {-1.0f});
    ASSERT_EQ(plant->resetThing(0), 0);
    Cmatrix3* lists = plant->rotations.elements;
    plant->goFish(1);
    plant->initialized = 0;
    EXPECT_EQ(plant->resetThing(0), 0);
    EXPECT_EQ(plant->initialized, 1);
    EXPECT_EQ(plant->rotations.elements, lists);
    EXPECT_TRUE(boundTo(*plant, 1, &plant->jointOrigin, &plant->rotations[1]));
    EXPECT_STREQ(plant->rotations.name.c_str(), "wprot");
}

} // namespace
