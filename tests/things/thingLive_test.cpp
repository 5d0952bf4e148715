// A tank's frame step reaches the things of this layer through the installed access.
#include <gtest/gtest.h>

#include "things/targetThing.h"
#include "things/thingKinds.h"
#include "world/tank.h"
#include "world/tankLive.h"

TEST(ThingLiveAccess, TankStepSeesThingsOfThisLayer) {
    CtankLiveAccess* before = tankLiveAccess;
    installThingKinds();
    CdirectoryVar root, plain;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    auto* thing = new CtargetThing;
    thing->tank = tank;
    thing->boundingBoxMin[0] = -2.0f;
    tank->thingList->addVariable(thing, 1);
    for (auto [node, owner, boxX] :
         {std::tuple<Cvariable*, Ctank*, float>{thing, tank, -2.0f}, {&plain, nullptr, 0.0f}}) {
        float x = 9, y = 9;
        Cvector mid;
        EXPECT_EQ(tankLiveAccess->tankOf(node), owner);
        tankLiveAccess->boundingBoxMin(node, x, y);
        EXPECT_FLOAT_EQ(x, boxX);
        EXPECT_EQ(tankLiveAccess->getMidPos(node, mid), owner != nullptr);
    }
    thing->dying = 1;
    EXPECT_TRUE(tankLiveAccess->isBeingDeleted(thing));
    EXPECT_FALSE(tankLiveAccess->isBeingDeleted(&plain));
    thing->dying = 0;
    thing->tank = nullptr;
    root.deleteChildren();
    tankLiveAccess = before;
}
