// A tank's frame step reaches the things of this layer through the installed access.
#include <gtest/gtest.h>

#include "things/targetThing.h"
#include "things/thingKinds.h"
#include "world/tank.h"
#include "world/tankLive.h"

TEST(ThingLiveAccess, TankStepSeesThingsOfThisLayer) {
    CtankLiveAccess* before = tankLiveAccess;
    installThingKinds();
    CdirectoryVar root;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    auto* thing = new CtargetThing;
    thing->tank = tank;
    thing->boundingBoxMin[0] = -2.0f, thing->boundingBoxMin[1] = 3.0f;
    tank->thingList->addVariable(thing, 1);
    CdirectoryVar plain;
    struct {
        Cvariable* node;
        Ctank* tank;
        float boxX;
        bool hasMiddle;
    } const cases[] = {{thing, tank, -2.0f, true}, {&plain, nullptr, 0.0f, false}};
    for (auto const& c : cases) {
        float x = 9, y = 9;
        Cvector mid;
        EXPECT_EQ(tankLiveAccess->tankOf(c.node), c.tank);
        tankLiveAccess->boundingBoxMin(c.node, x, y);
        EXPECT_FLOAT_EQ(x, c.boxX);
        EXPECT_EQ(tankLiveAccess->getMidPos(c.node, mid), c.hasMiddle);
        EXPECT_FALSE(tankLiveAccess->isBeingDeleted(c.node));
    }
    thing->dying = 1;
    EXPECT_TRUE(tankLiveAccess->isBeingDeleted(thing));
    thing->dying = 0;
    thing->tank = nullptr;
    root.deleteChildren();
    tankLiveAccess = before;
}
