// The frame road (behaviour once per tank frame) and the geometry road (two buffers
// blended by the frame fraction), seen through a recording work object.
#include "scriptedThing.h"
#include "thingTestSupport.h"

namespace {

class FrameRoad : public ThingTest {};

TEST_F(FrameRoad, BehaviourRunsOncePerTankFrameWithSmoothingAndEveryCallWithout) {
    struct Step {
        int frame;
        float fraction;
    };
    std::vector<Step> steps = {{1, 0.0f}, {1, 0.5f}, {2, 0.0f}, {2, 0.5f}, {2, 0.75f}, {3, 0.25f}};
    struct {
        char const* label;
        uint8_t smoothing;
        std::vector<int> behaviour;   // behaviour frames run by each step
        std::vector<float> fractions; // fraction kept after each step
    } cases[] = {
        // The first two steps after joining are forced to be behaviour frames; the same
        // frame again then only moves the fraction.
        {"smoothing", 1, {1, 1, 1, 0, 0, 1}, {0.0f, 0.5f, 0.0f, 0.5f, 0.75f, 0.25f}},
        {"no smoothing", 0, {1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0}},
    };
    for (auto const& c : cases) {
        ScriptedThing thing;
        thing.smoothing = c.smoothing;
        thing.resetThing(0);
        ASSERT_EQ(thing.addRenderGeometry(), 0);
        for (size_t i = 0; i < steps.size(); i++) {
            int before = thing.behaviourFrames();
            ASSERT_EQ(thing.updateThing(steps[i].frame, steps[i].fraction), 0);
            EXPECT_EQ(thing.behaviourFrames() - before, c.behaviour[i]) << c.label << " step " << i;
            EXPECT_EQ(thing.needsGeometry, static_cast<uint32_t>(c.behaviour[i])) << c.label << " step " << i;
            EXPECT_FLOAT_EQ(thing.fraction, c.fractions[i]) << c.label << " step " << i;
            EXPECT_EQ(thing.lastUpdateFrame, steps[i].frame);
            thing.getFinalGeometry();
        }
    }
}

TEST_F(FrameRoad, ABehaviourFrameRunsTheHooksInOrderAndDrainsTheInbox) {
    ScriptedThing thing;
    thing.resetThing(0);
    thing.middle = Cvector(1, 2, 3);
    thing.sendMessage(5, &thing, 0, 0.0f, 0);
    thing.sendMessage(6, &thing, 0, 0.0f, 1); // waits one pass
    thing.journal.clear();
    thing.updateThing(1, 0.0f);
    EXPECT_EQ(thing.journal, (std::vector<std::string>{"cook", "behave", "message 5", "fish"}));
    EXPECT_FLOAT_EQ(thing.lastMidPos.y, 2.0f);
    thing.journal.clear();
    thing.updateThing(2, 0.0f);
    EXPECT_EQ(thing.journal, (std::vector<std::string>{"cook", "behave", "message 6", "fish"}));
    EXPECT_EQ(thing.numMessages(), 0);
}

TEST_F(FrameRoad, ThingsThatCannotRunAreRefusedOrSkipped) {
    struct {
        char const* label;
        uint8_t active;
        uint8_t initialized;
        int result;
        char const* reason; // null: none recorded
    } cases[] = {
        {"crab7", 1, 0, 1, "crab7 is not initialized"},
        {"gone", 0, 0, 0, nullptr},
        {"ready", 1, 1, 0, nullptr},
    };
    for (auto const& c : cases) {
        resetExitState();
        ScriptedThing thing(c.label);
        thing.active = c.active;
        thing.initialized = c.initialized;
        EXPECT_EQ(thing.updateThing(1, 0.0f), c.result) << c.label;
        EXPECT_EQ(thing.behaviourFrames(), c.active && c.initialized ? 1 : 0) << c.label;
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.label;
            EXPECT_EQ(exitSaver, 1);
        } else {
            EXPECT_TRUE(exitReasonList.empty()) << c.label;
        }
    }
}

class GeometryRoad : public ThingTest {
  protected:
    void SetUp() override {
        ThingTest::SetUp();
        thing.resetThing(0);
        ASSERT_EQ(thing.addRenderGeometry(), 0);
        rec = recorder(thing);
        rec->calls.clear();
    }
    // One refresh: the frame road, then the geometry the renderer would take.
    std::vector<std::string> refresh(int frame, float fraction, short* handedOut = nullptr) {
        rec->calls.clear();
        thing.updateThing(frame, fraction);
        CworkObject* w = thing.getFinalGeometry();
        EXPECT_EQ(w, thing.workObject);
        if (handedOut && w) *handedOut = w->curGeoIndex;
        return rec->calls;
    }
    ScriptedThing thing;
    RecordingWorkObject* rec = nullptr;
};

TEST_F(GeometryRoad, NothingIsHandedOutBeforeTheFirstBehaviourFrame) {
    EXPECT_EQ(thing.getFinalGeometry(), nullptr);
    EXPECT_TRUE(rec->calls.empty());
    ScriptedThing bare;
    bare.resetThing(0);
    bare.updateThing(1, 0.0f);
    EXPECT_EQ(bare.getFinalGeometry(), nullptr); // no work object
}

TEST_F(GeometryRoad, BuffersAlternateAndBlendTowardsTheNewestGeometry) {
    struct {
        int frame;
        float fraction;
        std::vector<std::string> calls;
        short handedOut;
    } steps[] = {
        // The first geometry is the buffer just computed.
        {1, 0.0f, {"calc 0"}, 0},
        // Forced second behaviour frame: the older buffer (0) now blends towards 1.
        {1, 0.25f, {"calc 1", "blend 0->1 t=0.25", "matrices 0.25"}, 0},
        // A new frame at fraction 0 shows the previous frame's geometry untouched.
        {2, 0.0f, {"calc 0"}, 1},
        // Refreshes in between move the rest of the way step by step.
        {2, 0.5f, {"blend 1->0 t=0.5", "matrices 0.5"}, 1},
        {2, 0.75f, {"blend 1->0 t=0.5", "matrices 0.75"}, 1},
        {3, 0.25f, {"calc 1", "blend 0->1 t=0.25", "matrices 0.25"}, 0},
        {3, 0.5f, {"blend 0->1 t=0.333333", "matrices 0.5"}, 0},
    };
    for (size_t i = 0; i < std::size(steps); i++) {
        auto const& s = steps[i];
        short out = -1;
        EXPECT_EQ(refresh(s.frame, s.fraction, &out), s.calls) << "step " << i;
        EXPECT_EQ(out, s.handedOut) << "step " << i;
    }
    EXPECT_EQ(thing.geometryCount, std::size(steps));
    EXPECT_EQ(thing.refreshes, static_cast<int>(std::size(steps)));
}

TEST_F(GeometryRoad, WithoutSmoothingEveryRefreshComputesTheSameBuffer) {
    thing.smoothing = 0;
    for (int frame = 1; frame <= 3; frame++) {
        short out = -1;
        EXPECT_EQ(refresh(frame, 0.5f, &out), std::vector<std::string>{"calc 0"});
        EXPECT_EQ(out, 0);
    }
    EXPECT_EQ(thing.geometryCount, 0u);
    EXPECT_EQ(thing.refreshes, 0);
}

TEST_F(GeometryRoad, ScrollingTexturesFollowTheTank) {
    TestTank tank;
    thing.setToTank(&tank);
    tank.textureShift = 0.125f;
    rec->texShiftAttribIndex = 3;
    EXPECT_EQ(refresh(1, 0.0f), (std::vector<std::string>{"calc 0", "shift 1 a3 by 0.125"}));
    thing.setToTank(nullptr);
}

} // namespace
