// The program's own wiring: nothing of a built part is left empty, an emptied slot stops the
// start with its name, and the slots that once stayed empty now act in the program.
#include "program/programWiring.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "support/hookTable.h"
#include "things/basicDeformThing.h"
#include "world/shopGlobals.h"
#include "world/thingFactory.h"

namespace {

using Strings = std::vector<std::string>;

TEST(ProgramWiring, TheProgramsOwnWiringLeavesNothingUnwired) {
    // The test programs start with wireProgram(), as the view does.
    EXPECT_EQ(unwiredSlots(), Strings{});
    EXPECT_EQ(checkWiring(), 0);
    EXPECT_TRUE(exitReasonList.empty());
}

// Every slot of every table, emptied alone, is the one the check names; a slot of a part
// that is not built (the in-scene interface's, before it is) is never asked for.
TEST(ProgramWiring, EachEmptiedSlotIsNamedAlone) {
    int checked = 0;
    for (ChookTable const& table : programHookTables()) {
        for (size_t i = 0; i < table.count; i++) {
            char* slot = static_cast<char*>(const_cast<void*>(table.table)) + table.slots[i].offset;
            void* saved = nullptr;
            std::memcpy(&saved, slot, sizeof saved);
            std::memset(slot, 0, sizeof saved);
            std::string name = std::string(table.name) + "." + table.slots[i].name;
            if (partIsBuilt(table.slots[i].owner)) {
                EXPECT_EQ(unwiredSlots(), Strings{name});
                checked++;
            } else {
                EXPECT_EQ(unwiredSlots(), Strings{}) << name;
            }
            std::memcpy(slot, &saved, sizeof saved);
        }
    }
    EXPECT_GT(checked, 30);
    EXPECT_EQ(unwiredSlots(), Strings{});
}

TEST(ProgramWiring, AnUnwiredSlotStopsTheStartWithItsName) {
    auto saved = graphicsHooks.displayCount;
    graphicsHooks.displayCount = nullptr;
    registerThingMaker("bubbles", nullptr);
    EXPECT_EQ(checkWiring(), 1);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(std::string(exitReasonList[0].c_str()),
              "unwired: graphicsHooks.displayCount thingKinds.bubbles");
    EXPECT_EQ(exitSaver, 1);
    graphicsHooks.displayCount = saved;
    wireProgram();
    EXPECT_EQ(unwiredSlots(), Strings{});
}

// The device asks the program how many displays there are: the last one ends the span.
TEST(ProgramWiring, TheLastDisplayEndsItsPeersSpan) {
    CgraphicsAPI first, last;
    int16_t savedCount = numDisplays;
    numDisplays = 2;
    first.setDisplayIndex(0), last.setDisplayIndex(1);
    first.setOrderingWithinPeers(0, 2);
    last.setOrderingWithinPeers(1, 2);
    EXPECT_EQ(first.leftMonitorExtendStatus, -1);
    EXPECT_EQ(first.rightMonitorExtendStatus, 1);
    EXPECT_EQ(last.leftMonitorExtendStatus, 1);
    EXPECT_EQ(last.rightMonitorExtendStatus, -1);
    numDisplays = savedCount;
}

// The device skips a thing being torn down and draws an interface thing flat and unfaded:
// it learns both of the thing behind a work object.
TEST(ProgramWiring, TheDeviceLearnsOfTheThingBehindAWorkObject) {
    CbasicDeformThing thing;
    CworkObject object;
    object.thing = &thing.workOwner;
    CworkObject loose; // no thing behind it
    EXPECT_FALSE(graphicsHooks.interfaceThing(&object));
    EXPECT_FALSE(graphicsHooks.thingTearingDown(&object));
    thing.attributes |= 256;
    thing.flags |= VAR_TEARING_DOWN;
    EXPECT_TRUE(graphicsHooks.interfaceThing(&object));
    EXPECT_TRUE(graphicsHooks.thingTearingDown(&object));
    EXPECT_FALSE(graphicsHooks.interfaceThing(&loose));
    EXPECT_FALSE(graphicsHooks.thingTearingDown(&loose));
    thing.flags &= ~VAR_TEARING_DOWN;
}

} // namespace
