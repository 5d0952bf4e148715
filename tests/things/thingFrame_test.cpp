// The frame road (behaviour once per tank frame) and the geometry road (two buffers
// blended by the frame fraction), seen through a recording work object.
#include "thingTestSupport.h"

namespace {

class FrameRoad : public ThingTest {};

TEST_F(FrameRoad, BehaviourAndGeometryPerRefresh) {
    using Calls = std::vector<std::string>;
    struct Step {
        int frame;
        float fraction;
        float keptFraction; // after updateThing
        Calls calls;        // on the work object
        short handedOut;
    };
    struct {
        uint8_t smoothing;
        std::vector<Step> steps;
    } cases[] = {
        {1,
         {
             {1, 0.0f, 0.0f, {"calc 0"}, 0}, // the first geometry is the buffer just computed
             // The second step is forced to be a behaviour frame; the older buffer blends.
             {1, 0.25f, 0.25f, {"calc 1", "blend 0->1 t=0.25"}, 0},
             {2, 0.0f, 0.0f, {"calc 0"}, 1},           // a new frame first shows the previous one
             {2, 0.5f, 0.5f, {"blend 1->0 t=0.5"}, 1}, // same frame: no behaviour
             {2, 0.75f, 0.75f, {"blend 1->0 t=0.5"}, 1},
             {3, 0.5f, 0.5f, {"calc 1", "blend 0->1 t=0.5"}, 0},
         }},
        {0,
         {{1, 0.0f, 0.0f, {"calc 0"}, 0}, {1, 0.5f, 0.0f, {"calc 0"}, 0}, {2, 0.75f, 0.0f, {"calc 0"}, 0}}},
    };
    for (auto const& c : cases) {
        ScriptedThing thing;
        thing.smoothing = c.smoothing;
        thing.resetThing(0);
        EXPECT_EQ(thing.getFinalGeometry(), nullptr); // no work object yet
        EXPECT_EQ(thing.addRenderGeometry(), 1);      // the species has no model
        EXPECT_NE(std::string(exitMsg.c_str()).find("init geometry failed!"), std::string::npos);
        record(thing);
        EXPECT_EQ(thing.getFinalGeometry(), nullptr); // before the first behaviour frame
        for (size_t i = 0; i < c.steps.size(); i++) {
            Step const& s = c.steps[i];
            rec(&thing).calls.clear();
            thing.journal.clear();
            ASSERT_EQ(thing.updateThing(s.frame, s.fraction), 0);
            bool behaved = !thing.journal.empty();
            EXPECT_EQ(behaved, s.calls[0].rfind("calc", 0) == 0) << int(c.smoothing) << " step " << i;
            EXPECT_FLOAT_EQ(thing.fraction, s.keptFraction) << i;
            ASSERT_EQ(thing.getFinalGeometry(), thing.workObject);
            EXPECT_EQ(rec(&thing).calls, s.calls) << int(c.smoothing) << " step " << i;
            EXPECT_EQ(thing.workObject->curGeo, &thing.workObject->workGeo[s.handedOut])
                << int(c.smoothing) << " step " << i;
        }
    }
}

TEST_F(FrameRoad, HooksRunInOrderAndThingsThatCannotRunAreRefused) {
    ScriptedThing thing("crab7");
    EXPECT_EQ(thing.updateThing(1, 0.0f), 1);
    EXPECT_TRUE(hasReason("crab7 is not initialized"));
    thing.active = 0;
    EXPECT_EQ(thing.updateThing(1, 0.0f), 0);
    thing.active = 1;
    thing.resetThing(0);
    thing.middle = Cvector(1, 2, 3);
    thing.sendMessage(5, &thing, 0, 0.0f, 0);
    thing.journal.clear();
    thing.updateThing(1, 0.0f);
    EXPECT_EQ(thing.journal, (std::vector<std::string>{"cook", "behave", "message 5", "fish"}));
    EXPECT_FLOAT_EQ(thing.lastMidPos.z, 3.0f);
}

} // namespace
